#include "host/needle_scale.h"

#include <cmath>
#include <vector>

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
    std::vector<double> angles(count);
    angles[0] = pointAngle(centre, table[0].pt);
    for (uint32_t i = 1; i < count; ++i) {
        double a = pointAngle(centre, table[i].pt);
        while (a - angles[i - 1] > 180.0) a -= 360.0;
        while (a - angles[i - 1] <= -180.0) a += 360.0;
        angles[i] = a;
    }
    if (count == 1 || std::isnan(value)) return angles[0];
    bool ascending = table[count - 1].value >= table[0].value;
    if (ascending ? value <= table[0].value : value >= table[0].value) return angles[0];
    for (uint32_t i = 0; i + 1 < count; ++i) {
        double v0 = table[i].value, v1 = table[i + 1].value;
        bool inside = ascending ? (value >= v0 && value <= v1) : (value <= v0 && value >= v1);
        if (!inside) continue;
        if (v1 == v0) return angles[i + 1];
        return angles[i] + (angles[i + 1] - angles[i]) * (value - v0) / (v1 - v0);
    }
    return angles[count - 1];
}

double scaleAngle(PIXPOINT centre, const NONLINEARITY* table, uint32_t count, double value) {
    return foldAngle(scaleAngleUnfolded(centre, table, count, value));
}

}  // namespace tw
