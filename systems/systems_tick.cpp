// systemsTick: the take-off thrust switch, elapsed time, fuel used, the
// take-off warning, rolling and gear noise, the electrical power flag, the
// autopilot's steering (systems/autopilot_logic.cpp) and the weather radar's
// sampling (systems/radar_sampling.cpp).
//
// Reads: 15, 60, 61, 73, 128/163/198/233, 131/166/201/236, 136/171/206/241,
// 303, 304, 325, 329, 332, 364, 604, 638/657/676/695.
// Sends: 66049, 66050. Sounds: sndTakeoffWarn, sndGearSound, sndGear1, sndInverters.
// Shares: PowerAvailable, FuelUsed, FuelLeverTime (read), the tick's own times.

#include "systems/systems_tick.h"

#include <cmath>

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/truncate.h"
#include "systems/autopilot_logic.h"
#include "systems/weather_radar.h"

extern "C" {
double TimeNow = 0.0;
double TimePrev = 0.0;
double DeltaTime = -99999.0;
double PrevToken304 = 0.0;
double PrevToken303 = 0.0;
MODULE_VAR EngineRunningVar[EngineCount] = {hostVar(hostvar::EngineRunning1),
                                            hostVar(hostvar::EngineRunning1 + EngineStride35),
                                            hostVar(hostvar::EngineRunning1 + 2 * EngineStride35),
                                            hostVar(hostvar::EngineRunning1 + 3 * EngineStride35)};
}

namespace {

using namespace hostvar;

constexpr double JumpLimit = 200000.0;

// Volumes come from outside values; keep the arithmetic defined for any of them.
LONG volume(int64_t hundredths_db) {
    if (hundredths_db > SoundVolumeFull) return SoundVolumeFull;
    if (hundredths_db < SoundVolumeSilent) return SoundVolumeSilent;
    return static_cast<LONG>(hundredths_db);
}

// One record per engine for a family of variables.
struct EngineVars {
    MODULE_VAR var[EngineCount];
    constexpr EngineVars(uint32_t first, uint32_t stride)
        : var{hostVar(first), hostVar(first + stride), hostVar(first + 2 * stride),
              hostVar(first + 3 * stride)} {}
    void refresh() {
        for (auto& v : var) refreshVar(v);
    }
    double operator[](int n) const { return var[n].var_value; }
};

MODULE_VAR thrustSwitch = hostVar(ThrustSwitchState);
MODULE_VAR altitude = hostVar(AltitudeMetres);
EngineVars engineQuantity(EngineQuantity1, EngineStride35);
EngineVars thrustLever(ThrustLever1, EngineStride35);
EngineVars fuelFlow(FuelFlow1, EngineStride19);
MODULE_VAR positionB = hostVar(PositionB);
MODULE_VAR positionA = hostVar(PositionA);
MODULE_VAR groundRule = hostVar(GroundSpeedRule);
MODULE_VAR airspeed = hostVar(IndicatedAirspeed);
MODULE_VAR gear = hostVar(GearPosition);
MODULE_VAR simTime = hostVar(SimulationTime);
MODULE_VAR engine1Thrust = hostVar(ThrustLever1);
MODULE_VAR flaps = hostVar(Flaps);
MODULE_VAR speedBrake = hostVar(SpeedBrakeLever);
MODULE_VAR furtherPower = hostVar(FurtherPowerSource);

void refreshEngineRunning() {
    for (auto& v : EngineRunningVar) refreshVar(v);
}

void thrustSwitchRule() {
    refreshVar(thrustSwitch);
    refreshVar(altitude);
    engineQuantity.refresh();
    thrustLever.refresh();
    bool lever = false, quantity = false;
    for (int n = 0; n < EngineCount; ++n) {
        lever = lever || thrustLever[n] > 15000.0;
        quantity = quantity || engineQuantity[n] > 13500.0;
    }
    bool takeoff = altitude.var_value < 3000.0 && lever && quantity;
    if (takeoff && thrustSwitch.var_value == 0.0) sendEvent(hostevent::ThrustSwitchOn, 0);
    if (!takeoff && thrustSwitch.var_value != 0.0) sendEvent(hostevent::ThrustSwitchOff, 0);
}

void elapsedTime() {
    TimePrev = TimeNow;
    TimeNow = refreshVar(simTime);
    if (DeltaTime < -9.999e4 || TimeNow < TimePrev)
        DeltaTime = 0.0;
    else
        DeltaTime = TimeNow - TimePrev;
}

void fuelUsed() {
    bool steady = std::fabs(positionB.var_value - PrevToken304) < JumpLimit &&
                  std::fabs(positionA.var_value - PrevToken303) < JumpLimit;
    if (DeltaTime > 0.0 && PowerAvailable != 0 && steady) {
        for (int n = 0; n < EngineCount; ++n) {
            if (EngineRunningVar[n].var_value == 0.0 && FuelLeverTime[n] > 0.0)
                FuelUsed[n] += DeltaTime / 6.0;  // ten units a minute while starting
            else
                FuelUsed[n] += fuelFlow[n] * DeltaTime / 3600.0;
        }
    }
    PrevToken304 = positionB.var_value;
    PrevToken303 = positionA.var_value;
}

void sounds() {
    refreshVar(engine1Thrust);
    refreshVar(groundRule);
    refreshVar(flaps);
    refreshVar(speedBrake);
    bool configuration =
        flaps.var_value < 2048.0 || flaps.var_value > 12288.0 || speedBrake.var_value > 0.0;
    if (engine1Thrust.var_value > 8000.0 && groundRule.var_value == 1.0 && configuration)
        soundPlay(sndTakeoffWarn, SoundPlayOnce);

    double speed = airspeed.var_value;
    if (groundRule.var_value == 0.0 || speed <= 20.0) {
        soundStop(sndGearSound);
    } else {
        soundSetVolume(sndGearSound,
                       speed > 80.0 ? 0 : volume(40 * int64_t{truncToInt(speed)} - 3200));
        soundPlay(sndGearSound, SoundPlayLooping);
    }

    if (gear.var_value <= 0.0 || speed <= 100.0) {
        soundStop(sndGear1);
    } else {
        double x = speed * gear.var_value / 16384.0;
        soundSetVolume(sndGear1, x > 200.0 ? 0 : volume((int64_t{truncToInt(x)} - 200) * 15));
        soundPlay(sndGear1, SoundPlayLooping);
    }
}

void power() {
    refreshEngineRunning();
    refreshVar(furtherPower);
    bool on = furtherPower.var_value == 1.0;
    for (const auto& v : EngineRunningVar) on = on || v.var_value == 1.0;
    PowerAvailable = on ? 1 : 0;
    if (PowerAvailable == 0) soundStop(sndInverters);
}

}  // namespace

void CALLBACK systemsTick(HWND, UINT, UINT_PTR, DWORD) {
    thrustSwitchRule();
    fuelFlow.refresh();
    refreshVar(positionB);
    refreshVar(positionA);
    refreshVar(groundRule);
    refreshVar(airspeed);
    refreshVar(gear);
    refreshEngineRunning();
    elapsedTime();
    fuelUsed();
    sounds();
    power();
    autopilotTick();
    radarSamplingStep();
}
