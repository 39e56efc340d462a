// MECH_CALL: the ground technician call button. On the ground with power, a
// first call brings external electrical power, a second connects the air cart
// for the engine starts, a third removes the ground equipment and a fourth gets
// the all-clear. Power and the air cart arrive on the first update after their
// deadlines on the host's tick counter.
//
// Reads: 1 (tick counter), 60 (on the ground), 131/166/201/236 (engine
// running), 364 (first electrical master). Sends: 66241. Sounds:
// sndExternalElec, sndCockpitToGround, sndExternalAircart, sndExternalAirOff,
// sndClear, sndInverters (stopped). Shares: PowerAvailable, BatterySwitch
// (read), ExternalPowerAvailable, ExternalPowerOn, ExternalAirConnected, and the
// gauge's own GroundCallState, ExtPowerDeadline and AirCartDeadline.

#include <cstdint>

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/truncate.h"
#include "gauges/panel_switch.h"

extern GAUGE_HEADER gauge_MECH_CALL;

extern "C" {

// 0 idle, 1 external power requested, 2 air cart requested, 3 equipment
// removed, 4 waiting for the all-clear.
int32_t GroundCallState = 0;
// Tick counter values after which external power is available and the air cart
// connected.
int32_t ExtPowerDeadline = 0;
int32_t AirCartDeadline = 0;

}  // extern "C"

namespace {

using namespace hostvar;
using namespace hostevent;

enum GroundCall : int32_t {
    Idle = 0,
    PowerRequested = 1,
    AirCartRequested = 2,
    EquipmentRemoved = 3,
    Waiting = 4,
};

constexpr int32_t ExternalPowerDelay = 48;  // ticks, about 2.7 s
constexpr int32_t AirCartDelay = 310;       // about 17 s

constexpr uint32_t BmpCallButton = 17232;
constexpr uint32_t HelpCallButton = 43910;

MODULE_VAR tickCounter = hostVar(TickCounter);
MODULE_VAR onGround = hostVar(OnGround);
MODULE_VAR master1 = hostVar(ElectricalMaster1);
MODULE_VAR engineRunning[EngineCount] = {
    hostVar(EngineRunning1), hostVar(EngineRunning1 + EngineStride35),
    hostVar(EngineRunning1 + 2 * EngineStride35), hostVar(EngineRunning1 + 3 * EngineStride35)};

// The truncated counter plus the delay; a counter at the end of its range
// gives the latest deadline rather than one that wrapped into the past.
int32_t deadlineAfter(double tick, int32_t delay) {
    const int64_t deadline = int64_t{truncToInt(tick)} + delay;
    return deadline > INT32_MAX ? INT32_MAX : static_cast<int32_t>(deadline);
}

// The ground crew answers only an aircraft on the ground with power.
bool crewAnswers() { return PowerAvailable == 1 && onGround.var_value == 1.0; }

// The crew disconnects ground power and the air cart. An aircraft with no
// engine running that was on ground power goes dark, and the sequence starts
// over.
void removeGroundEquipment() {
    AirCartDeadline = 0;
    ExtPowerDeadline = 0;
    soundStop(sndCockpitToGround);
    soundStop(sndExternalAircart);
    ExternalPowerAvailable = 0;
    ExternalPowerOn = 0;
    if (ExternalAirConnected == 1) {
        ExternalAirConnected = 0;
        soundPlay(sndExternalAirOff, SoundPlayOnce);
    }
    bool engines_stopped = true;
    for (MODULE_VAR& running : engineRunning)
        if (refreshVar(running) != 0.0) engines_stopped = false;
    if (engines_stopped && BatterySwitch == 0) {
        // The event toggles the master: sent only while it is on, so that an
        // aircraft already dark is not switched on.
        if (refreshVar(master1) > 0.0) sendEvent(ElectricalMaster1Toggle, 0);
        soundStop(sndInverters);
        GroundCallState = Idle;
    } else {
        GroundCallState = EquipmentRemoved;
    }
}

int32_t HOSTAPI mechCallClick(PIXPOINT*, uint32_t) {
    refreshVar(onGround);
    switch (GroundCallState) {
        case Idle:
            if (!crewAnswers()) break;
            soundPlay(sndExternalElec, SoundPlayOnce);
            // The counter as it is now: the gauge's last update may be long past.
            ExtPowerDeadline = deadlineAfter(refreshVar(tickCounter), ExternalPowerDelay);
            GroundCallState = PowerRequested;
            break;
        case PowerRequested:
            if (!crewAnswers()) break;
            AirCartDeadline = deadlineAfter(refreshVar(tickCounter), AirCartDelay);
            soundPlay(sndCockpitToGround, SoundPlayOnce);
            GroundCallState = AirCartRequested;
            break;
        case AirCartRequested:
            removeGroundEquipment();
            break;
        case EquipmentRemoved:
            if (crewAnswers()) {
                soundPlay(sndClear, SoundPlayOnce);
                GroundCallState = Idle;
            } else {
                GroundCallState = Waiting;
            }
            break;
        case Waiting:
            GroundCallState = Idle;
            break;
        default:
            break;
    }
    return 0;
}

// The timed stages, only while on the ground. The air cart's loop is asked for
// on every update once it is connected; a playing loop goes on undisturbed.
void HOSTAPI mechCallCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreUpdate) return;
    const double tick = refreshVar(tickCounter);
    if (refreshVar(onGround) != 1.0) return;
    if (GroundCallState == AirCartRequested && tick > AirCartDeadline) {
        soundPlay(sndExternalAircart, SoundPlayLooping);
        ExternalAirConnected = 1;
    }
    if ((GroundCallState == PowerRequested || GroundCallState == AirCartRequested) &&
        tick > ExtPowerDeadline)
        ExternalPowerAvailable = 1;
}

constinit ELEMENT_STATIC_IMAGE button = staticImage({&gauge_MECH_CALL, BmpCallButton, 0, 0, 0});
constinit ELEMENT_HEADER* mechCallElements[] = {&button, nullptr};

constinit OneAreaMouse mechCallMouse =
    oneAreaMouse("Call Ground Technician", {0, 0, 36, 36}, mechCallClick, HelpCallButton);

}  // namespace

constinit GAUGE_HEADER gauge_MECH_CALL =
    makeGaugeHeader("MECH_CALL", 100, mechCallElements, mechCallMouse.data(), mechCallCallback);
