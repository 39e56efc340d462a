// Timed states (lights that go out, switches that spring back) keep a deadline
// on the host's tick counter and end on the first update after the counter has
// passed it.
#pragma once

#include <cstdint>

#include "framework/truncate.h"

// The truncated counter plus `counts`, saturating rather than overflowing for
// a counter at the end of the integer range.
constexpr int32_t tickDeadline(double tick, int32_t counts) {
    const int64_t deadline = int64_t{truncToInt(tick)} + counts;
    return deadline > INT32_MAX ? INT32_MAX : static_cast<int32_t>(deadline);
}

// False for a NaN counter: a state ends only on a counter that has moved on.
constexpr bool tickPassed(double tick, double deadline) { return tick > deadline; }
