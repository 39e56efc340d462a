// How the host turns a needle's value into an angle through its scale table.
#pragma once

#include <cstdint>

#include "framework/host_records.h"

namespace tw {

// The angle of a face point seen from the turning point, in degrees clockwise
// from 12 o'clock (screen y grows downwards), in [0, 360).
double pointAngle(PIXPOINT centre, PIXPOINT point);

// The needle angle for a value: the table's points give angles about the
// turning point, which are interpolated linearly by value between the two
// points that bracket it; values beyond the table take its end points. Each
// point's angle is taken within half a turn of the previous one, so a scale may
// sweep a full circle. Without a table the value is the angle itself. The
// result is in [0, 360).
double scaleAngle(PIXPOINT centre, const NONLINEARITY* table, uint32_t count, double value);

// The same without folding into [0, 360), for rate limiting.
double scaleAngleUnfolded(PIXPOINT centre, const NONLINEARITY* table, uint32_t count, double value);

double foldAngle(double degrees);

}  // namespace tw
