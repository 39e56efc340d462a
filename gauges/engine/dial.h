// The engine dials' limits: a value outside a dial's range stops at its end,
// and a value that is no number at all (NaN from the host) rests at the start.
#pragma once

#include <cmath>

inline double clampToDial(double value, double lowest, double highest) {
    if (std::isnan(value)) return lowest;
    if (value > highest) return highest;
    if (value < lowest) return lowest;
    return value;
}
