// The weather radar's range selector, set on the control panel (radartc) and
// read by the display (radar), which turns it into RadarPower and RadarRange.
#pragma once

#include <cstdint>

// 0 off; 1 range lines only; 2, 3, 4 weather at 20, 50 and 150 nautical miles.
constexpr int32_t RangeSelectorOff = 0;
constexpr int32_t RangeSelectorLinesOnly = 1;
constexpr int32_t RangeSelector20 = 2;
constexpr int32_t RangeSelector50 = 3;
constexpr int32_t RangeSelector150 = 4;

extern "C" {
extern int32_t RadarRangeSelector;
}
