// The host's variable (token) and simulator event numbers, named by what they
// mean to this module.
#pragma once

#include <cstdint>

// Per-engine families: engine n is the first number plus (n - 1) times the stride.
constexpr uint32_t EngineStride35 = 35;
constexpr uint32_t EngineStride19 = 19;

namespace hostvar {
constexpr uint32_t FloodLightState = 10;    // the host's own flood lighting state
constexpr uint32_t ThrustSwitchState = 15;  // the host switch the take-off thrust rule sets
constexpr uint32_t GroundSpeedRule = 60;    // 1.0 while take-off warning and rolling may sound

// Air data.
constexpr uint32_t IndicatedAirspeed = 61;  // knots
constexpr uint32_t BarberPoleSpeed = 63;    // maximum operating speed, 1/128 kt
constexpr uint32_t MachNumber = 64;         // Mach, 1/20480
constexpr uint32_t AltitudeMetres = 73;

// Engines.
constexpr uint32_t ThrustLever1 = 128;     // stride 35
constexpr uint32_t EngineRunning1 = 131;   // stride 35; 1.0 when running
constexpr uint32_t EngineQuantity1 = 136;  // stride 35; compared with 13500
constexpr uint32_t FuelFlow1 = 638;        // stride 19; per hour

// Position quantities whose jumps reveal a repositioning.
constexpr uint32_t PositionA = 303;
constexpr uint32_t PositionB = 304;

// Controls.
constexpr uint32_t SpeedBrakeLever = 325;  // above 0 when raised
constexpr uint32_t Flaps = 329;
constexpr uint32_t GearPosition = 332;  // 0..16384

// The host's measurement setting, 0, 1 or 2: weights are metric at 1 and 2,
// speeds, distances, altitudes and vertical speeds at 2 only.
constexpr uint32_t UnitSystem = 335;

constexpr uint32_t FurtherPowerSource = 364;  // 1.0 when on
constexpr uint32_t SimulationTime = 604;      // seconds
}  // namespace hostvar

namespace hostevent {
constexpr uint32_t ThrustSwitchOn = 66049;
constexpr uint32_t ThrustSwitchOff = 66050;
constexpr uint32_t FloodLightsOn = 66056;
constexpr uint32_t FloodLightsOff = 66057;
}  // namespace hostevent
