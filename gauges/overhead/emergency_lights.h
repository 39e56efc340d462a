// The emergency lights switch position, kept by EMERLIGHTS and shown by its
// lamp, EMERWARN.
#pragma once

#include <cstdint>

extern "C" {
// 1 (the initial position) or 2; the switch moves only between them.
extern int32_t EmergencyLightsSwitch;
}
