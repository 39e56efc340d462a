// EMERLIGHTS: the emergency lights switch, a rocker that moves between its
// positions 1 and 2; its lamp is EMERWARN.
//
// Reads: nothing. Sends: nothing. Sounds: sndBigSwitchClick. Shares: the
// gauge's own EmergencyLightsSwitch (read by EMERWARN).

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "gauges/overhead/emergency_lights.h"
#include "gauges/panel_switch.h"

extern GAUGE_HEADER gauge_EMERLIGHTS;

extern "C" {

int32_t EmergencyLightsSwitch = 1;

}  // extern "C"

namespace {

constexpr int32_t LowestPosition = 1;
constexpr int32_t HighestPosition = 2;

constexpr uint32_t BmpRockerPlate = 0x3500;
constexpr uint32_t BmpRocker = 0x3510;
constexpr uint32_t RockerImages = 3;

void HOSTAPI emergencyLightsCallback(GAUGE_HEADER*, int32_t, uintptr_t) {}

double HOSTAPI emergencyLightsRocker(ELEMENT_HEADER*) { return EmergencyLightsSwitch; }

// Lower area: one position up; at the top it stays, silently.
int32_t HOSTAPI emergencyLightsUp(PIXPOINT*, uint32_t) {
    if (EmergencyLightsSwitch >= HighestPosition) {
        EmergencyLightsSwitch = HighestPosition;
        return 0;
    }
    ++EmergencyLightsSwitch;
    if (EmergencyLightsSwitch >= LowestPosition) soundPlay(sndBigSwitchClick, SoundPlayOnce);
    return 0;
}

// Upper area: one position down; at the bottom it stays, silently.
int32_t HOSTAPI emergencyLightsDown(PIXPOINT*, uint32_t) {
    if (EmergencyLightsSwitch <= LowestPosition) {
        EmergencyLightsSwitch = LowestPosition;
        return 0;
    }
    --EmergencyLightsSwitch;
    if (EmergencyLightsSwitch == LowestPosition) soundPlay(sndBigSwitchClick, SoundPlayOnce);
    return 0;
}

constinit PlateWithIcon emergencyLightsElements =
    plateWithIcon(&emergencyLightsElements, &gauge_EMERLIGHTS, BmpRockerPlate, BmpRocker,
                  RockerImages, emergencyLightsRocker);

constinit RockerMouse emergencyLightsMouse =
    rockerMouse("Emergency Lights Switch", {0, 0, 25, 36}, emergencyLightsDown, {0, 25, 25, 36},
                emergencyLightsUp);

}  // namespace

constinit GAUGE_HEADER gauge_EMERLIGHTS =
    makeGaugeHeader("EMERLIGHTS", 100, emergencyLightsElements.elements,
                    emergencyLightsMouse.data(), emergencyLightsCallback);
