// Small rules the indicators share: host readings limited to a dial's range
// whatever the host holds, deadlines on the host's tick counter, and the
// hidden bit through which a callback shows or hides an element.
#pragma once

#include <cstdint>

#include "framework/host_records.h"
#include "framework/truncate.h"

// The value limited to [lo, hi]; NaN, which no comparison orders, reads as
// `otherwise` (infinities take the nearer end).
constexpr double limited(double value, double lo, double hi, double otherwise) {
    if (value != value) return otherwise;
    return value < lo ? lo : value > hi ? hi : value;
}
constexpr double limited(double value, double lo, double hi) { return limited(value, lo, hi, lo); }

// The truncated tick counter plus `counts`, saturating at the int32 limit
// rather than overflowing (a counter beyond the range truncates to INT32_MIN,
// so such a deadline passes at the next sane reading).
constexpr int32_t tickDeadline(double tick, int32_t counts) {
    const int64_t deadline = int64_t{truncToInt(tick)} + counts;
    return deadline > INT32_MAX ? INT32_MAX : static_cast<int32_t>(deadline);
}

inline void setHidden(ELEMENT_HEADER* e, bool hidden) {
    if (hidden)
        e->image_flags |= ImageHidden;
    else
        e->image_flags &= ~ImageHidden;
}
