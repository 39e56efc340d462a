// The host's variable (token) and simulator event numbers, named by what they
// mean to this module.
#pragma once

#include <cstdint>

namespace hostvar {
constexpr uint32_t FloodLightState = 10;  // the host's own flood lighting state
}  // namespace hostvar

namespace hostevent {
constexpr uint32_t FloodLightsOn = 66056;
constexpr uint32_t FloodLightsOff = 66057;
}  // namespace hostevent
