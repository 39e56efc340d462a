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

// ---- Engine start and engine instruments ----
constexpr uint32_t EngineStride10 = 10;  // EGT and the host's starter state
constexpr uint32_t PitotHeat = 13;       // above 0 when the pitot heat is on
constexpr uint32_t N1Vernier1 = 135;     // stride 35; N1 for the vernier and tooltip
constexpr uint32_t N2Vernier1 = 136;     // stride 35; N2 for the vernier and tooltip
constexpr uint32_t StarterState1 = 563;  // stride 10; the host's starter, 0 when off
constexpr uint32_t Egt1 = 567;           // stride 10; degrees Rankine
constexpr uint32_t N1Percent1 = 624;     // stride 19
constexpr uint32_t N2Percent1 = 625;     // stride 19
constexpr uint32_t EprRotor1 = 626;      // stride 19; the rotor speed the EPR model takes
constexpr uint32_t EgtPointer1 = 631;    // stride 19; named by the EGT pointers, not read
// The starter duct is fed from engine 3's bleed.
constexpr uint32_t DuctSourceN2 = N2Percent1 + 2 * EngineStride19;
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

// ---- Engine start ----
constexpr uint32_t EngineStride6 = 6;       // the starter toggles
constexpr uint32_t StarterToggle1 = 65927;  // stride 6
constexpr uint32_t StarterRun1 = 66300;     // stride 1; sent while a long start goes on
}  // namespace hostevent
