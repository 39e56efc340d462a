// The window through which a moving image (a drum strip, a thumb wheel) shows.
// With a mask bitmap the window is the mask; without one the host shows one
// cell of the strip: a strip for a range of N steps holds N + 1 cells (the
// last repeats the first so the drum can roll over), a step being 10 units
// for ranges of 20 or more and 1 below that. A range of more than 20 steps is
// a wheel, not a drum: its window is half the strip.
#pragma once

#include <cmath>
#include <cstdint>

namespace tw {

inline double movingImageStep(double minimum, double maximum) {
    return std::fabs(maximum - minimum) >= 20.0 ? 10.0 : 1.0;
}

inline int32_t movingImageWindow(int32_t strip_height, double minimum, double maximum) {
    double span = std::fabs(maximum - minimum);
    if (!(span > 0) || strip_height <= 0) return strip_height;
    double steps = std::round(span / movingImageStep(minimum, maximum));
    if (steps > 20) return strip_height / 2;
    return static_cast<int32_t>(std::lround(strip_height / (steps + 1)));
}

}  // namespace tw
