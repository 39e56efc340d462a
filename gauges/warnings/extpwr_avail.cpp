// EXTPWR_AVAIL: the external power available light, lit while ground power is
// connected. It has its own supply: it does not wait for the aircraft's power.
//
// Reads: nothing. Sends: nothing. Sounds: none. Shares: ExternalPowerAvailable
// (read).

#include "framework/gauge.h"
#include "framework/panel_state.h"
#include "gauges/panel_switch.h"

extern GAUGE_HEADER gauge_EXTPWR_AVAIL;

namespace {

constexpr uint32_t BmpPlate = 17232;
constexpr uint32_t BmpLamp = 17251;
constexpr uint32_t LampImages = 1;

// 0 lights the lamp's one image, -1 draws nothing.
double HOSTAPI externalPowerLamp(ELEMENT_HEADER*) { return ExternalPowerAvailable - 1; }

constinit PlateWithIcon extPowerElements =
    plateWithIcon(&extPowerElements, &gauge_EXTPWR_AVAIL, BmpPlate, BmpLamp, LampImages,
                  externalPowerLamp, ImageTransparent | ImageLuminous);

constinit LampMouse extPowerMouse = lampMouse("External Power Available Light");

}  // namespace

constinit GAUGE_HEADER gauge_EXTPWR_AVAIL =
    makeGaugeHeader("EXTPWR_AVAIL", 100, extPowerElements.elements, extPowerMouse.data(), nullptr);
