#include "host/needle_scale.h"

#include <cmath>

namespace tw {

namespace {
constexpr double Pi = 3.14159265358979323846;
}

double foldAngle(double degrees) {
    if (!std::isfinite(degrees)) return 0.0;
    double a = std::fmod(degrees, 360.0);
    if (a < 0) a += 360.0;
    return a >= 360.0 ? 0.0 : a;
}

double pointAngle(PIXPOINT centre, PIXPOINT point) {
    double dx = point.x - centre.x;
    double dy = point.y - centre.y;
    return foldAngle(std::atan2(dx, -dy) * 180.0 / Pi);
}

double scaleAngleUnfolded(PIXPOINT centre, const NONLINEARITY* table, uint32_t count,
                          double value) {
    if (!table || count == 0) return value;
    // Each point's angle within half a turn of the one before, found as the walk
    // goes, so that nothing is kept per point.
    double angle = pointAngle(centre, table[0].pt);
    if (count == 1 || std::isnan(value)) return angle;
    bool ascending = table[count - 1].value >= table[0].value;
    if (ascending ? value <= table[0].value : value >= table[0].value) return angle;
    for (uint32_t i = 0; i + 1 < count; ++i) {
        double next = pointAngle(centre, table[i + 1].pt);
        while (next - angle > 180.0) next -= 360.0;
        while (next - angle <= -180.0) next += 360.0;
        double v0 = table[i].value, v1 = table[i + 1].value;
        bool inside = ascending ? (value >= v0 && value <= v1) : (value <= v0 && value >= v1);
        if (inside) return v1 == v0 ? next : angle + (next - angle) * (value - v0) / (v1 - v0);
        angle = next;
    }
    return angle;
}

double scaleAngle(PIXPOINT centre, const NONLINEARITY* table, uint32_t count, double value) {
    return foldAngle(scaleAngleUnfolded(centre, table, count, value));
}

}  // namespace tw
