// apwarn: the autopilot disconnect warning light. Once the autopilot has been
// engaged, the light flashes after it drops out, three ticks on and three off,
// until the pilot presses it. No gauge callback.
//
// Reads: 103 (autopilot engaged: non-zero), 1 (tick counter). Sends: nothing.
// Shares: PowerAvailable (read), and the gauge's own ApWarnLatch.

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/truncate.h"

extern GAUGE_HEADER gauge_apwarn;

extern "C" {

// Set while the autopilot has been engaged since the last reset.
uint32_t ApWarnLatch = 0;

}  // extern "C"

namespace {

constexpr int32_t FlashPeriodTicks = 6;
constexpr int32_t FlashOnTicks = 3;

constexpr uint32_t BmpFace = 0x4790;
constexpr uint32_t BmpLight = 0x47a0;

MODULE_VAR tickCounter = hostVar(hostvar::TickCounter);

// ---- Element callbacks ------------------------------------------------------

double HOSTAPI warningLight(ELEMENT_HEADER* e) {
    const double engaged = refreshVar(elementAs<ELEMENT_ICON>(e)->source_var);
    const int32_t tick = truncToInt(refreshVar(tickCounter));
    if (engaged != 0.0) ApWarnLatch = 1;
    if (engaged == 0.0 && ApWarnLatch == 1 && PowerAvailable == 1)
        return tick % FlashPeriodTicks < FlashOnTicks ? 0.0 : -1.0;
    return -1.0;
}

// ---- Mouse callbacks --------------------------------------------------------

int32_t HOSTAPI resetWarning(PIXPOINT*, uint32_t) {
    ApWarnLatch = 0;
    return 0;
}

// ---- Records ----------------------------------------------------------------

constinit ELEMENT_ICON light =
    icon({&gauge_apwarn, BmpLight, 0, 0, ImageLuminous | ImageErase | ImageTransparent},
         hostvar::AutopilotMaster, warningLight, 1);
constinit ELEMENT_HEADER* faceNext[] = {&light.header, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_apwarn, BmpFace, 0, 45, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* apwarnElements[] = {&face, nullptr};

constexpr int32_t LightCursor = 5;

constinit MOUSE_RECT apwarnMouse[] = {
    mouseParent(0, 0, 28, 27),
    mouseTooltip("Autopilot Warning Light - Press to Reset"),
    mouseChild(0, 0, 28, 27, LightCursor, MouseLeftPress, resetWarning),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_apwarn =
    makeGaugeHeader("apwarn", 28, apwarnElements, apwarnMouse, nullptr);
