// The host's variable (token) and simulator event numbers, named by what they
// mean to this module.
#pragma once

#include <cstdint>

namespace hostvar {
constexpr uint32_t FloodLightState = 10;  // the host's own flood lighting state

// Air data.
constexpr uint32_t IndicatedAirspeed = 61;  // knots
constexpr uint32_t BarberPoleSpeed = 63;    // maximum operating speed, 1/128 kt
constexpr uint32_t MachNumber = 64;         // Mach, 1/20480

// The host's measurement setting, 0, 1 or 2: weights are metric at 1 and 2,
// speeds, distances, altitudes and vertical speeds at 2 only.
constexpr uint32_t UnitSystem = 335;
}  // namespace hostvar

namespace hostevent {
constexpr uint32_t FloodLightsOn = 66056;
constexpr uint32_t FloodLightsOff = 66057;
}  // namespace hostevent
