// LANDING_LIGHT1: the landing lights extend/retract switch, 0 (retracted), 1
// (off) and 2 (on). The host has one event that switches
// the lights on, one that switches them off and one that toggles their
// extension. As the gauge is initialised it takes its position from the host's
// lights, and extends lights that are on but retracted.
//
// Reads: 14 (landing lights on, above 0), 869 (landing lights extended).
// Sends: 66059 (on), 66060 (off), 66391 (extension toggle). Sounds: sndClick.
// Shares: the gauge's own LandingLightSwitch.

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "gauges/panel_switch.h"

extern GAUGE_HEADER gauge_LANDING_LIGHT1;

extern "C" {

// 0, 1 or 2.
int32_t LandingLightSwitch = 1;

}  // extern "C"

namespace {

using namespace hostevent;

constexpr int32_t PositionRetracted = 0;
constexpr int32_t PositionOff = 1;
constexpr int32_t PositionOn = 2;

MODULE_VAR lightsOn = hostVar(hostvar::LandingLightsState);
MODULE_VAR lightsExtended = hostVar(hostvar::LandingLightsExtended);

// Both are read before either is tested. A reading below 0 (or none at all)
// leaves the switch where it is.
void HOSTAPI landingLightsCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreInitialize) return;
    const double on = refreshVar(lightsOn);
    const double extended = refreshVar(lightsExtended);
    if (on == 0.0) {
        LandingLightSwitch = PositionOff;
    } else if (on > 0.0) {
        LandingLightSwitch = PositionOn;
        if (extended == 0.0) sendEvent(LandingLightsExtendToggle, 0);
    }
}

double HOSTAPI landingLightsIcon(ELEMENT_HEADER*) { return LandingLightSwitch; }

// Lower area: one position up; at the top it stays, silently.
int32_t HOSTAPI landingLightsUp(PIXPOINT*, uint32_t) {
    if (LandingLightSwitch >= PositionOn) {
        LandingLightSwitch = PositionOn;
        return 0;
    }
    ++LandingLightSwitch;
    if (LandingLightSwitch == PositionOn) {
        soundPlay(sndClick, SoundPlayOnce);
        sendEvent(LandingLightsOn, 0);
        sendEvent(LandingLightsExtendToggle, 0);
    } else if (LandingLightSwitch == PositionOff) {
        soundPlay(sndClick, SoundPlayOnce);
        sendEvent(LandingLightsOff, 0);
    }
    return 0;
}

// Upper area: one position down; at the bottom it stays, silently.
int32_t HOSTAPI landingLightsDown(PIXPOINT*, uint32_t) {
    if (LandingLightSwitch <= PositionRetracted) {
        LandingLightSwitch = PositionRetracted;
        return 0;
    }
    --LandingLightSwitch;
    if (LandingLightSwitch == PositionOff) {
        soundPlay(sndClick, SoundPlayOnce);
        sendEvent(LandingLightsOff, 0);
    } else if (LandingLightSwitch == PositionRetracted) {
        soundPlay(sndClick, SoundPlayOnce);
        sendEvent(LandingLightsExtendToggle, 0);
    }
    return 0;
}

constinit PlateWithIcon landingLightsElements =
    toggleSwitch(&landingLightsElements, &gauge_LANDING_LIGHT1, landingLightsIcon);

constinit RockerMouse landingLightsMouse =
    rockerMouse("Landing Lights Extend/Retract Switch", {0, 0, 30, 18}, landingLightsDown,
                {0, 19, 30, 18}, landingLightsUp);

}  // namespace

constinit GAUGE_HEADER gauge_LANDING_LIGHT1 =
    makeGaugeHeader("LANDING_LIGHT1", 100, landingLightsElements.elements,
                    landingLightsMouse.data(), landingLightsCallback);
