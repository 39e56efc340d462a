// BATTERYSW: the three-position battery rocker, ground power (0), off (1) and
// battery (2). It drives the host's three electrical master switches by their
// toggle events, switches them off only while no engine runs, and starts the
// inverters' hum whenever it switches them on.
//
// Reads: 131/166/201/236 (engine running), 364, 363, 740 (the electrical
// masters, on at 1 or more). Sends: 66241, 66242, 66293 (master toggles).
// Sounds: sndBigSwitchClick, sndInverters (looping; the systems tick and the
// ground crew stop it). Shares: BatterySwitch, ExternalPowerOn (set and
// cleared), ExternalPowerAvailable (read).

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "gauges/panel_switch.h"

extern GAUGE_HEADER gauge_BATTERYSW;

namespace {

using namespace hostvar;
using namespace hostevent;

constexpr int32_t GroundPower = 0;
constexpr int32_t Off = 1;
constexpr int32_t Battery = 2;

constexpr uint32_t BmpRockerPlate = 0x3500;
constexpr uint32_t BmpRocker = 0x3510;
constexpr uint32_t RockerImages = 3;

MODULE_VAR master1 = hostVar(ElectricalMaster1);
MODULE_VAR master2 = hostVar(ElectricalMaster2);
MODULE_VAR master3 = hostVar(ElectricalMaster3);
MODULE_VAR engineRunning[EngineCount] = {
    hostVar(EngineRunning1), hostVar(EngineRunning1 + EngineStride35),
    hostVar(EngineRunning1 + 2 * EngineStride35), hostVar(EngineRunning1 + 3 * EngineStride35)};

// Refreshes the four engines; true when none runs.
bool enginesStopped() {
    bool stopped = true;
    for (MODULE_VAR& running : engineRunning)
        if (refreshVar(running) != 0.0) stopped = false;
    return stopped;
}

// The first master is known to be on; the other two follow it off.
void mastersOff() {
    sendEvent(ElectricalMaster1Toggle, 0);
    if (refreshVar(master2) > 0.0) sendEvent(ElectricalMaster2Toggle, 0);
    if (refreshVar(master3) > 0.0) sendEvent(ElectricalMaster3Toggle, 0);
}

// The first master is known to be off; the other two follow it on.
void mastersOn() {
    sendEvent(ElectricalMaster1Toggle, 0);
    soundPlay(sndInverters, SoundPlayLooping);
    if (refreshVar(master2) < 1.0) sendEvent(ElectricalMaster2Toggle, 0);
    if (refreshVar(master3) < 1.0) sendEvent(ElectricalMaster3Toggle, 0);
}

void HOSTAPI batteryCallback(GAUGE_HEADER*, int32_t, uintptr_t) {}

double HOSTAPI batteryRocker(ELEMENT_HEADER*) { return BatterySwitch; }

// Lower area: one position up, towards the battery. At the top it stays.
int32_t HOSTAPI batteryUp(PIXPOINT*, uint32_t) {
    if (BatterySwitch >= Battery) {
        BatterySwitch = Battery;
        return 0;
    }
    ++BatterySwitch;
    if (BatterySwitch == Off) {
        ExternalPowerOn = 0;
        soundPlay(sndBigSwitchClick, SoundPlayOnce);
        const bool stopped = enginesStopped();
        const bool master_on = refreshVar(master1) > 0.0;
        if (stopped && master_on) mastersOff();
    } else if (BatterySwitch == Battery) {
        soundPlay(sndBigSwitchClick, SoundPlayOnce);
        enginesStopped();
        if (refreshVar(master1) < 1.0) mastersOn();
    }
    return 0;
}

// Upper area: one position down, towards ground power. At the bottom it stays.
int32_t HOSTAPI batteryDown(PIXPOINT*, uint32_t) {
    if (BatterySwitch <= GroundPower) {
        BatterySwitch = GroundPower;
        return 0;
    }
    --BatterySwitch;
    if (BatterySwitch == Off) {
        soundPlay(sndBigSwitchClick, SoundPlayOnce);
        // The engines as they are now: one started since the last click keeps
        // the masters on.
        const bool stopped = enginesStopped();
        const bool master_on = refreshVar(master1) > 0.0;
        if (stopped && master_on) mastersOff();
    } else if (BatterySwitch == GroundPower) {
        soundPlay(sndBigSwitchClick, SoundPlayOnce);
        if (refreshVar(master1) < 1.0 && ExternalPowerAvailable == 1) {
            ExternalPowerOn = 1;
            mastersOn();
        }
    }
    return 0;
}

constinit PlateWithIcon batteryElements = plateWithIcon(
    &batteryElements, &gauge_BATTERYSW, BmpRockerPlate, BmpRocker, RockerImages, batteryRocker);

constinit RockerMouse batteryMouse =
    rockerMouse("Battery Switch", {0, 0, 25, 36}, batteryDown, {0, 25, 25, 36}, batteryUp);

}  // namespace

constinit GAUGE_HEADER gauge_BATTERYSW = makeGaugeHeader("BATTERYSW", 100, batteryElements.elements,
                                                         batteryMouse.data(), batteryCallback);
