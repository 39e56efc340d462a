// The module-wide variables through which gauges, the master gauge and the
// systems tick tell each other things. One instance per module, shared by every
// copy of every gauge; each starts at its stated value when the module loads and
// changes only by the writes of its owners. All access is on the host's main
// window thread, so nothing here is locked.
//
// Per-engine variables are arrays indexed by engine number minus one.
#pragma once

#include <cstdint>

constexpr int EngineCount = 4;
constexpr int RadarCellCount = 320;

extern "C" {

// Services and start-up.
extern int32_t IpcConnected;       // 1 once the offset IPC client opened; never cleared
extern uint32_t IpcResult;         // result code of the last IPC operation, 0 = success
extern int32_t HostHasSimObjects;  // 1 when the start-up probe file opened

// Electrical power and ground services.
extern uint32_t PowerAvailable;         // any engine runs or the host's further source is on
extern int32_t BatterySwitch;           // 0 ground power, 1 off, 2 battery
extern uint8_t ExternalPowerAvailable;  // ground power connected and selectable
extern uint8_t ExternalPowerOn;         // the aircraft runs on ground power
extern int32_t ExternalAirConnected;    // the ground air cart feeds the starter duct

// Engine start and fuel.
extern uint8_t StarterSwitch[EngineCount];    // 0 off, 1 on without a start, 2 engaged
extern uint32_t StarterEngaged[EngineCount];  // 1 while a start is in progress
extern double StarterSeconds[EngineCount];    // seconds on the starter, capped at 22
extern uint8_t StartArm;                      // start arming switch, 1 armed
extern double StarterPressure;                // starter duct pressure, PSI
extern uint32_t StartLeverOpen[EngineCount];  // start (fuel) lever open
extern double FuelLeverTime[EngineCount];     // since the lever opened, in 9-count units
extern uint32_t LightOffActive[EngineCount];  // light-off in progress
extern double FuelUsed[EngineCount];          // fuel-flow unit times hours since reset

// Autopilot controller and the tick's side of it.
extern int32_t ApVerticalMode;    // 0 pitch on Mach, 1 pitch on airspeed, 2 vertical speed
extern int32_t ApHorizontalMode;  // 2 roll knob
extern int32_t ApEngageSwitch;    // 0 off, 1 standby, 2 engaged
extern int32_t ApRollKnob;        // steps -32..32
extern int32_t ApBankTarget;      // same steps
extern int32_t ApRollCommand;     // last knob turn: 0 none, 1 left, 2 right
extern int32_t ApVsTarget;        // feet per minute
extern double ApCurrentVs;        // feet per minute
extern double ApVsCommand;
extern double ApVsCommandLast;
extern double ApSpeedReference;
extern double ApMachReference;
extern int32_t ApHeadingSnapshot;  // heading captured when dropping to standby

// Weather radar.
extern int32_t RadarPower;                      // 1 while switched on
extern double RadarRange;                       // nautical miles: 20, 50 or 150
extern int32_t RadarGain;                       // 1..4
extern int32_t RadarTilt;                       // whole degrees, -15..15
extern int32_t RadarCellEcho[RadarCellCount];   // raw echo code per cell
extern int32_t RadarCellShade[RadarCellCount];  // smoothed value the display draws

// Warnings.
extern int32_t AlerterAltitude;          // feet
extern int32_t AlerterDeviation;         // AlerterAltitude minus the truncated altitude, feet
extern int32_t PitotHeaterInop;          // pitot heater failure light on
extern int32_t PitotHeaterInopDeadline;  // host tick count after which it goes out

// Flood lighting switch position, 0 off, 1 on.
extern int32_t FloodLightsOn;

}  // extern "C"
