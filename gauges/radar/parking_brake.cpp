// PB: the parking brake light. A press sends the host's parking brake event,
// from the area itself. No gauge callback.
//
// Reads: 323 (parking brake: non-zero while set). Sends: 65752 (by the host,
// from the area). Shares: PowerAvailable (read).

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"

extern GAUGE_HEADER gauge_PB;

namespace {

constexpr uint32_t BmpLight = 0x3790;  // the face, and the light's two images

// ---- Element callbacks ------------------------------------------------------

double HOSTAPI brakeLight(ELEMENT_HEADER* e) {
    const double brake = refreshVar(elementAs<ELEMENT_ICON>(e)->source_var);
    return brake != 0.0 && PowerAvailable == 1 ? 1.0 : 0.0;
}

// ---- Records ----------------------------------------------------------------

constinit ELEMENT_ICON light =
    icon({&gauge_PB, BmpLight, 0, 0, ImageLuminous | ImageErase | ImageTransparent},
         hostvar::ParkingBrake, brakeLight, 2);
constinit ELEMENT_HEADER* faceNext[] = {&light.header, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_PB, BmpLight, 0, 0, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* pbElements[] = {&face, nullptr};

constexpr int32_t LightCursor = 5;

constinit MOUSE_RECT pbMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseTooltip("Parking Brake Light"),
    mouseChildEvent(0, 0, 127, 127, LightCursor, MouseLeftPress, hostevent::ParkingBrake),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_PB = makeGaugeHeader("PB", 10, pbElements, pbMouse, nullptr);
