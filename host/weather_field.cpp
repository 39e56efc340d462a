#include "host/weather_field.h"

#include <cmath>

namespace tw {

namespace {
constexpr double NmPerDegree = 60.0;
constexpr double RadiansPerDegree = 3.14159265358979323846 / 180.0;
}  // namespace

double distanceNm(double latitude1, double longitude1, double latitude2, double longitude2) {
    double east = std::remainder(longitude2 - longitude1, 360.0);
    double mean = (latitude1 + latitude2) / 2 * RadiansPerDegree;
    double dx = east * std::cos(mean) * NmPerDegree;
    double dy = (latitude2 - latitude1) * NmPerDegree;
    return std::sqrt(dx * dx + dy * dy);
}

WeatherReport WeatherField::reportAt(double latitude, double longitude) const {
    WeatherReport r;
    r.ground_elevation_m = elevation_elsewhere_m;
    bool in_area = false;
    for (const GroundArea& g : ground) {
        if (!(distanceNm(latitude, longitude, g.latitude, g.longitude) <= g.radius_nm)) continue;
        if (!in_area || g.elevation_m > r.ground_elevation_m) r.ground_elevation_m = g.elevation_m;
        in_area = true;
    }
    for (const StormCell& s : storms) {
        if (r.layers.size() == MaxLayers) break;
        if (distanceNm(latitude, longitude, s.latitude, s.longitude) <= s.radius_nm)
            r.layers.push_back(s.layer);
    }
    return r;
}

}  // namespace tw
