// EMERWARN: the emergency lights armed light, lit while the emergency lights
// switch stands at 1 and the aircraft has power.
//
// Reads: nothing. Sends: nothing. Sounds: none. Shares: EmergencyLightsSwitch,
// PowerAvailable (read).

#include "framework/gauge.h"
#include "framework/panel_state.h"
#include "gauges/overhead/emergency_lights.h"
#include "gauges/panel_switch.h"

extern GAUGE_HEADER gauge_EMERWARN;

namespace {

constexpr int32_t ArmedPosition = 1;

constexpr uint32_t BmpPlate = 0x3530;
constexpr uint32_t BmpLamp = 0x3540;
constexpr uint32_t LampImages = 1;

// 0 lights the lamp's one image, -1 draws nothing.
double HOSTAPI emergencyLightsLamp(ELEMENT_HEADER*) {
    return EmergencyLightsSwitch == ArmedPosition && PowerAvailable == 1 ? 0.0 : -1.0;
}

constinit PlateWithIcon emergencyWarnElements =
    plateWithIcon(&emergencyWarnElements, &gauge_EMERWARN, BmpPlate, BmpLamp, LampImages,
                  emergencyLightsLamp, ImageTransparent | ImageLuminous);

constinit LampMouse emergencyWarnMouse = lampMouse("Emergency Lights Armed Light");

}  // namespace

constinit GAUGE_HEADER gauge_EMERWARN = makeGaugeHeader(
    "EMERWARN", 100, emergencyWarnElements.elements, emergencyWarnMouse.data(), nullptr);
