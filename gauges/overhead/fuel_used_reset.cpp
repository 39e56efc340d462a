// FU_RESET: the spring-loaded fuel-used reset switch on the overhead panel. A
// press holds it down; a few ticks later it springs back and zeroes the four
// fuel-used totals. A second press before then lets it go without a reset.
//
// Reads: 1 (tick counter). Sends: nothing. Sounds: none. Shares: FuelUsed
// (zeroed); the gauge's own FuelUsedResetSwitch and FuelUsedResetDeadline.

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/tick_deadline.h"
#include "gauges/panel_switch.h"

extern GAUGE_HEADER gauge_FU_RESET;

extern "C" {
uint32_t FuelUsedResetSwitch = 2;    // 2 at rest, 0 while pressed
uint32_t FuelUsedResetDeadline = 0;  // tick counter after which it springs back
}

namespace {

constexpr uint32_t AtRest = 2;
constexpr uint32_t Pressed = 0;
constexpr int32_t HoldTicks = 6;

MODULE_VAR clickTick = hostVar(hostvar::TickCounter);
MODULE_VAR updateTick = hostVar(hostvar::TickCounter);

int32_t HOSTAPI resetClick(PIXPOINT*, uint32_t) {
    if (FuelUsedResetSwitch == AtRest) {
        FuelUsedResetSwitch = Pressed;
        FuelUsedResetDeadline =
            static_cast<uint32_t>(tickDeadline(refreshVar(clickTick), HoldTicks));
    } else {
        FuelUsedResetSwitch = AtRest;
        FuelUsedResetDeadline = 0;
    }
    return 0;
}

void HOSTAPI resetCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreUpdate) return;
    const double tick = refreshVar(updateTick);
    if (FuelUsedResetSwitch == Pressed && tickPassed(tick, FuelUsedResetDeadline)) {
        FuelUsedResetSwitch = AtRest;
        for (double& used : FuelUsed) used = 0.0;
    }
}

// ---- Records ----------------------------------------------------------------

constexpr uint32_t BmpPanel = 0x3450;
constexpr uint32_t BmpSwitch = 0x3110;

constinit ELEMENT_ICON resetSwitch = icon({&gauge_FU_RESET, BmpSwitch, 9, 67, ImageTransparent}, 0,
                                          positionIcon<uint32_t, FuelUsedResetSwitch>, 3);
constinit ELEMENT_HEADER* panelNext[] = {&resetSwitch.header, nullptr};
constinit ELEMENT_STATIC_IMAGE panel =
    staticImage({&gauge_FU_RESET, BmpPanel, 0, 0, ImageTransparent, panelNext});
constinit ELEMENT_HEADER* resetElements[] = {&panel, nullptr};

constinit MOUSE_RECT resetMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseTooltip("Fuel Used Gauge Reset Switch"),
    panelClick(0, 50, 50, 60, resetClick),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_FU_RESET =
    makeGaugeHeader("FU_RESET", 100, resetElements, resetMouse, resetCallback);
