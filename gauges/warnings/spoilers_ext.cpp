// SPOILERS_EXT: the speed brakes extended light, lit with power while the speed
// brake lever is fully up.
//
// Reads: 325 (speed brake lever, through the light's own record). Sends:
// nothing. Sounds: none. Shares: PowerAvailable (read).

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"

extern GAUGE_HEADER gauge_SPOILERS_EXT;

namespace {

constexpr uint32_t BmpFace = 16736;
constexpr uint32_t BmpLight = 16752;
constexpr double SpeedBrakeFullyUp = 16383.0;

double HOSTAPI speedBrakeLight(ELEMENT_HEADER* e) {
    const double lever = elementAs<ELEMENT_ICON>(e)->source_var.var_value;
    return lever == SpeedBrakeFullyUp && PowerAvailable == 1 ? 0.0 : -1.0;
}

constinit ELEMENT_ICON light = icon({&gauge_SPOILERS_EXT, BmpLight, 0, 0, ImageTransparent},
                                    hostvar::SpeedBrakeLever, speedBrakeLight, 1);
constinit ELEMENT_HEADER* faceNext[] = {&light.header, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_SPOILERS_EXT, BmpFace, 0, 0, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* spoilersElements[] = {&face, nullptr};

constinit MOUSE_RECT spoilersMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_SPOILERS_EXT =
    makeGaugeHeader("SPOILERS_EXT", 100, spoilersElements, spoilersMouse, nullptr);
