// The host's variable (token) and simulator event numbers, named by what they
// mean to this module.
#pragma once

#include <cstdint>

// Per-engine families: engine n is the first number plus (n - 1) times the stride.
constexpr uint32_t EngineStride35 = 35;
constexpr uint32_t EngineStride19 = 19;
constexpr uint32_t EngineStride5 = 5;  // the fuel-on and fuel cut-off events

namespace hostvar {
constexpr uint32_t TickCounter = 1;         // about 18 counts a second
constexpr uint32_t FloodLightState = 10;    // the host's own flood lighting state
constexpr uint32_t ThrustSwitchState = 15;  // the host switch the take-off thrust rule sets
constexpr uint32_t GroundSpeedRule = 60;    // 1.0 while take-off warning and rolling may sound

// Air data.
constexpr uint32_t IndicatedAirspeed = 61;  // knots
constexpr uint32_t BarberPoleSpeed = 63;    // maximum operating speed, 1/128 kt
constexpr uint32_t MachNumber = 64;         // Mach, 1/20480
constexpr uint32_t AltitudeMetres = 73;

// Engines.
constexpr uint32_t ThrustLever1 = 128;     // stride 35; negative in reverse
constexpr uint32_t StartLever1 = 130;      // stride 35; above 12000 when open
constexpr uint32_t EngineRunning1 = 131;   // stride 35; 1.0 when running
constexpr uint32_t EngineQuantity1 = 136;  // stride 35; compared with 13500
constexpr uint32_t FuelFlow1 = 638;        // stride 19; per hour

// Position quantities whose jumps reveal a repositioning.
constexpr uint32_t PositionA = 303;
constexpr uint32_t PositionB = 304;

// Controls.
constexpr uint32_t QuadrantStartRule = 324;  // with 60, 1.0 sends 66064 as the quadrant starts
constexpr uint32_t SpeedBrakeLever = 325;    // above 0 when raised
constexpr uint32_t FlapLever = 328;
constexpr uint32_t Flaps = 329;
constexpr uint32_t GearPosition = 332;  // 0..16384

// The host's measurement setting, 0, 1 or 2: weights are metric at 1 and 2,
// speeds, distances, altitudes and vertical speeds at 2 only.
constexpr uint32_t UnitSystem = 335;

constexpr uint32_t FurtherPowerSource = 364;  // 1.0 when on
constexpr uint32_t SimulationTime = 604;      // seconds
constexpr uint32_t Trim = 783;                // the pedestal's three trim indicators

// Autopilot, altitude alerter and warnings.
constexpr uint32_t ClockSeconds = 5;
constexpr uint32_t GlideslopeDeviation = 41;  // negative below the beam
constexpr uint32_t VerticalSpeed = 65;        // ft/min times 1.30048
constexpr uint32_t AltitudeFeet = 74;
constexpr uint32_t BankAngle = 80;               // degrees
constexpr uint32_t AutopilotMaster = 103;        // 1.0 while the host's autopilot flies
constexpr uint32_t Heading = 107;                // degrees
constexpr uint32_t AutopilotStandby = 114;       // 0.0 while off
constexpr uint32_t AutopilotVerticalHold = 119;  // 0.0 while off
constexpr uint32_t AutopilotVsTarget = 120;      // ft/min
constexpr uint32_t PitchTrim = 318;
constexpr uint32_t GlideslopeAngle = 550;  // degrees, near 0 on the approach
constexpr uint32_t TimeOfDay = 557;        // seconds, wrapping at 86400
constexpr uint32_t RadioAltitudeMetres = 614;
}  // namespace hostvar

namespace hostevent {
// Flap lever: the first and last detents, and the detents between by value.
constexpr uint32_t FlapLeverFirstDetent = 65595;
constexpr uint32_t FlapLeverLastDetent = 65603;
constexpr uint32_t FlapLeverSet = 65698;

// Speed brake lever: the events of its upper, middle and lower zones.
constexpr uint32_t SpeedBrakeLowerZone = 65786;  // with 16383
constexpr uint32_t SpeedBrakeUpperZoneSecond = 66065;
constexpr uint32_t SpeedBrakeMiddleZone = 66066;
constexpr uint32_t SpeedBrakeUpperZoneFirst = 66067;

// Engines: thrust lever n is ThrustLeverSet1 + n - 1; fuel on and cut-off
// have stride 5.
constexpr uint32_t ThrustLeverSet1 = 65820;  // with the lever position, -7000..18000
constexpr uint32_t FuelOn1 = 65983;
constexpr uint32_t FuelCutoff1 = 65987;

// Sent as the throttle quadrant starts, on the ground with 324 at 1.0.
constexpr uint32_t QuadrantOnGroundStart = 66064;

constexpr uint32_t ThrustSwitchOn = 66049;
constexpr uint32_t ThrustSwitchOff = 66050;
constexpr uint32_t FloodLightsOn = 66056;
constexpr uint32_t FloodLightsOff = 66057;

// Autopilot controller and the systems tick's autopilot steps. The host's
// autopilot keeps its own modes; these are the events that set them.
constexpr uint32_t RollLeft = 65685;
constexpr uint32_t RollNeutral = 65686;
constexpr uint32_t RollRight = 65687;
constexpr uint32_t AutopilotOff = 65791;
constexpr uint32_t AutopilotOn = 65792;
constexpr uint32_t ApHeadingSelect = 65817;   // value 1
constexpr uint32_t RollKnobCentred = 65809;   // value 1
constexpr uint32_t SetVerticalSpeed = 66036;  // ft/min
constexpr uint32_t SetHeading = 66042;        // degrees
constexpr uint32_t StandbyOn = 66069;
constexpr uint32_t StandbyOff = 66070;
constexpr uint32_t AltitudeHoldOn = 66103;
constexpr uint32_t AltitudeHoldOff = 66104;
constexpr uint32_t SetVerticalHold = 66115;  // value 1 on, 0 off
constexpr uint32_t SetAltitude = 66124;      // feet
// The vertical selector's upper positions, value 1.
constexpr uint32_t VerticalPosition3 = 65812;
constexpr uint32_t VerticalPosition4 = 65804;
// The horizontal selector, named by the position each one selects (value 0).
constexpr uint32_t HorizontalPosition1 = 65798;
// The roll knob's own mode; knob turns send it with value 1.
constexpr uint32_t HorizontalPosition2 = 66107;
constexpr uint32_t HorizontalPosition3 = 65811;
constexpr uint32_t HorizontalPosition4 = 65806;
constexpr uint32_t HorizontalLeave3 = 65814;     // leaving positions 3 and 4
constexpr uint32_t HorizontalClear = 65819;      // entering 1 from 0 and 2 from 3
constexpr uint32_t HorizontalPosition0 = 66375;  // entering and leaving position 0
}  // namespace hostevent
