// WING_FLOOD_LIGHTS: the three-position wing flood lights switch. Every step
// between positions toggles the host's light once, so positions 0 and 2 both
// leave the light toggled from its state at position 1. The gauge takes its
// position from the host's light as it is initialised.
//
// Reads: 621 (wing flood lights). Sends: 66378 (their toggle). Sounds:
// sndClick (up), sndBigSwitchClick (down). Shares: the gauge's own
// WingFloodLightsSwitch.

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "gauges/panel_switch.h"

extern GAUGE_HEADER gauge_WING_FLOOD_LIGHTS;

extern "C" {

// 0, 1 or 2.
int32_t WingFloodLightsSwitch = 1;

}  // extern "C"

namespace {

using namespace hostevent;

constexpr int32_t LowestPosition = 0;
constexpr int32_t MiddlePosition = 1;
constexpr int32_t HighestPosition = 2;

MODULE_VAR wingFloodLights = hostVar(hostvar::WingFloodLights);

// Only a light plainly off or on moves the switch.
void HOSTAPI wingFloodCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreInitialize) return;
    const double light = refreshVar(wingFloodLights);
    if (light == 0.0)
        WingFloodLightsSwitch = MiddlePosition;
    else if (light == 1.0)
        WingFloodLightsSwitch = HighestPosition;
}

double HOSTAPI wingFloodIcon(ELEMENT_HEADER*) { return WingFloodLightsSwitch; }

// Lower area: one position up; at the top it stays, silently.
int32_t HOSTAPI wingFloodUp(PIXPOINT*, uint32_t) {
    if (WingFloodLightsSwitch >= HighestPosition) {
        WingFloodLightsSwitch = HighestPosition;
        return 0;
    }
    ++WingFloodLightsSwitch;
    if (WingFloodLightsSwitch >= MiddlePosition) {
        soundPlay(sndClick, SoundPlayOnce);
        sendEvent(WingFloodLightsToggle, 0);
    }
    return 0;
}

// Upper area: one position down; at the bottom it stays, silently.
int32_t HOSTAPI wingFloodDown(PIXPOINT*, uint32_t) {
    if (WingFloodLightsSwitch <= LowestPosition) {
        WingFloodLightsSwitch = LowestPosition;
        return 0;
    }
    --WingFloodLightsSwitch;
    if (WingFloodLightsSwitch <= MiddlePosition) {
        soundPlay(sndBigSwitchClick, SoundPlayOnce);
        sendEvent(WingFloodLightsToggle, 0);
    }
    return 0;
}

constinit PlateWithIcon wingFloodElements =
    toggleSwitch(&wingFloodElements, &gauge_WING_FLOOD_LIGHTS, wingFloodIcon);

constinit RockerMouse wingFloodMouse = rockerMouse("Wing Flood Lights Switch", {0, 0, 30, 18},
                                                   wingFloodDown, {0, 19, 30, 18}, wingFloodUp);

}  // namespace

constinit GAUGE_HEADER gauge_WING_FLOOD_LIGHTS = makeGaugeHeader(
    "WING_FLOOD_LIGHTS", 100, wingFloodElements.elements, wingFloodMouse.data(), wingFloodCallback);
