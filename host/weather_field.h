// The weather the host's weather service reports: storm cells, each a column
// of weather of one kind up to a top altitude over a circle, and ground
// elevation by area. Tests and tools set it; the offset server answers the
// weather radar's requests from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tw {

// One cloud layer of a weather report.
struct WeatherLayer {
    uint16_t top_m = 0;     // top altitude, metres
    uint8_t amount = 0;     // 0..8, taken as echo strength
    uint8_t kind = 0;       // only kinds above 3 give an echo
    uint8_t intensity = 0;  // compared with the radar's gain thresholds
};

struct StormCell {
    double latitude = 0, longitude = 0;  // centre, degrees
    double radius_nm = 0;
    WeatherLayer layer;  // what a report inside the circle carries
};

struct GroundArea {
    double latitude = 0, longitude = 0;  // centre, degrees
    double radius_nm = 0;
    double elevation_m = 0;
};

struct WeatherReport {
    double ground_elevation_m = 0;
    std::vector<WeatherLayer> layers;  // at most WeatherField::MaxLayers
};

struct WeatherField {
    static constexpr std::size_t MaxLayers = 24;

    std::vector<StormCell> storms;
    std::vector<GroundArea> ground;
    double elevation_elsewhere_m = 0;  // outside every ground area

    // The storms whose circle holds the position, in order, and the highest
    // ground area that holds it. Positions that are not numbers lie nowhere.
    WeatherReport reportAt(double latitude, double longitude) const;
};

// Between two positions, on a flat chart scaled at their mean latitude; the
// longitude difference is taken the short way round.
double distanceNm(double latitude1, double longitude1, double latitude2, double longitude2);

}  // namespace tw
