// The radar cells' geometry, echo and smoothing: where the beam meets each cell
// of the fan, how high it passes there, what a stored weather report gives at
// that height, and the value the display draws.
//
// Reads: 71 (latitude), 72 (longitude), 73 (altitude, metres), 77, 79, 86
// (pitch, bank and heading, degrees). Sends: nothing. Shares: RadarRange,
// RadarGain, RadarTilt (read), RadarCellEcho (read by the smoothing).
//
// The constants are the module's own rounded ones (3.1415927 for pi and the
// conversions made with it), so positions agree with what the host's weather
// service has always been asked for. Three readings are this module's own
// choice, each marked where it is made: the aircraft's longitude is taken in
// degrees, the beam's north component carries the same sin(A) factor as its
// east one, and the smoothing adds only the neighbours' echoes.

#include <array>
#include <cmath>
#include <cstring>

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/truncate.h"
#include "systems/weather_radar.h"

namespace {

using namespace hostvar;

constexpr double Pi = 3.1415927;
constexpr double DegreesPerRadian = 57.29577866666166;
constexpr double RadiansPerDegree = 0.01745329277777778;
constexpr double EarthRadiusNm = 3437.7;
constexpr double MetresPerNm = 1852.5;
constexpr double LatitudeUnitsPerHalfTurn = 20003499.9999;  // variable 71 over 180 degrees
constexpr double LongitudeUnitsPerDegree = 781875100000.0;  // variable 72

// Weather report fields.
constexpr size_t GroundElevationAt = 0x20;  // i32, metres x 65536
constexpr size_t LayersAt = 0x280;
constexpr size_t LayerSize = 16;
constexpr int LayerCount = 24;
constexpr size_t LayerTopAt = 0;  // u16, metres
constexpr size_t LayerAmountAt = 6;
constexpr size_t LayerKindAt = 7;
constexpr size_t LayerIntensityAt = 13;
constexpr uint8_t LastDryKind = 3;  // kinds above it give an echo
constexpr double ElevationUnits = 65536.0;
static_assert(LayersAt + LayerSize * (LayerCount - 1) + LayerIntensityAt < RadarBlockSize);
static_assert(GroundElevationAt + 4 <= RadarBlockSize);

constexpr int32_t GroundEcho = -99;
constexpr double LongestEcho = 8.0;  // the smoothed levels' ceiling

MODULE_VAR latitude = hostVar(AircraftLatitude);
MODULE_VAR longitude = hostVar(AircraftLongitude);
MODULE_VAR altitude = hostVar(AltitudeMetres);
MODULE_VAR pitch = hostVar(Pitch);
MODULE_VAR bank = hostVar(Bank);
MODULE_VAR heading = hostVar(AttitudeHeading);

// Where a cell lies from the aircraft, nautical miles: x across (right
// positive), y ahead.
struct CellOffset {
    double x, y;
};

CellOffset cellOffset(int32_t code) {
    int32_t u = code % 10, t = code / 10;
    bool odd = ((t % 10) + u) % 2 != 0;
    if (odd) return {(u - 10) * RadarRange / 16, (t - 1) * RadarRange / 30};
    return {u * RadarRange / 16, (t - 2) * RadarRange / 30};
}

// The beam's angles: A below the aircraft's pitch by the tilt, B the bank,
// with their sines and cosines.
struct Beam {
    double r;  // distance of the aircraft from the earth's centre, nautical miles
    double a, b;
    double sin_a, cos_a, sin_b, cos_b;
};

// Every cell of a tick meets the same angles: their sines and cosines are
// worked out again only when an angle changes.
Beam beam() {
    static Beam last = {0, 0, 0, 0, 1, 0, 1};
    const double r = refreshVar(altitude) / MetresPerNm + EarthRadiusNm;
    const double a = (RadarTilt - refreshVar(pitch)) * RadiansPerDegree;
    const double b = -(refreshVar(bank)) * Pi / 180;
    // Compared bit for bit, so that NaN and -0 take the slow way.
    if (std::memcmp(&a, &last.a, sizeof a) != 0) {
        last.a = a;
        last.sin_a = std::sin(a);
        last.cos_a = std::cos(a);
    }
    if (std::memcmp(&b, &last.b, sizeof b) != 0) {
        last.b = b;
        last.sin_b = std::sin(b);
        last.cos_b = std::cos(b);
    }
    last.r = r;
    return last;
}

// Into -180..180; fmod rather than a loop, so that a huge value costs nothing.
double wrapLongitude(double lon) {
    if (!std::isfinite(lon)) return lon;
    if (lon > 180.0 || lon < -180.0) lon = std::fmod(lon, 360.0);
    if (lon > 180.0) return lon - 360.0;
    if (lon < -180.0) return lon + 360.0;
    return lon;
}

// For each sweep position, the sweep positions of the cells that touch it.
struct Neighbours {
    int32_t count;
    int32_t position[6];
};

constexpr std::array<Neighbours, RadarCellsInSweep> findNeighbours() {
    std::array<Neighbours, RadarCellsInSweep> table{};
    for (int i = 0; i < RadarCellsInSweep; ++i) {
        for (int j = 0; j < RadarCellsInSweep; ++j) {
            if (!radarCellsTouch(RADAR_CELL_CODES[i], RADAR_CELL_CODES[j])) continue;
            Neighbours& n = table[i];
            if (n.count < 6) n.position[n.count] = j;
            ++n.count;
        }
    }
    return table;
}
constexpr std::array<Neighbours, RadarCellsInSweep> CellNeighbours = findNeighbours();

constexpr bool atMostSixNeighbours() {
    for (const Neighbours& n : CellNeighbours)
        if (n.count > 6) return false;
    return true;
}
static_assert(atMostSixNeighbours());

}  // namespace

RadarPosition radarCellPosition(int32_t code) {
    refreshVar(latitude);
    refreshVar(longitude);
    Beam s = beam();
    refreshVar(heading);
    CellOffset c = cellOffset(code);

    double p = latitude.var_value * Pi / LatitudeUnitsPerHalfTurn;
    // In degrees, as the display's texture scroll reads it: it is added to a
    // bearing in degrees below.
    double l = longitude.var_value / LongitudeUnitsPerDegree;
    double h = heading.var_value * Pi / 180;

    // The beam point after pitch and bank: ahead, across and up. The one ahead
    // component, with its sin(A) factor, serves both east and north.
    double ahead = s.cos_a * c.y + s.sin_a * s.sin_b * c.x;
    double across = s.cos_b * c.x;
    double up = s.r - s.cos_a * s.sin_b * c.x + s.sin_a * c.y;
    // Turned by the heading into east and north, then by the latitude.
    double east = std::sin(h) * ahead + std::cos(h) * across;
    double north = std::cos(h) * ahead - std::sin(h) * across;
    double n = std::cos(p) * up - std::sin(p) * north;
    double z = std::sin(p) * up + std::cos(p) * north;

    double length = std::sqrt(east * east + n * n + z * z);
    return {std::asin(z / length) * DegreesPerRadian,
            wrapLongitude(std::atan2(east, n) * DegreesPerRadian + l)};
}

double radarCellDistance(int32_t code) {
    Beam s = beam();
    CellOffset c = cellOffset(code);
    double d = std::sqrt(s.r * s.r + c.x * c.x + c.y * c.y +
                         2 * s.r * (s.sin_a * c.y - s.sin_b * s.cos_a * c.x));
    return (d - EarthRadiusNm) * MetresPerNm;
}

int32_t radarCellEchoCode(const uint8_t* block, double height) {
    if (!block) return 0;
    // Wide enough for any gain a caller may have left.
    const int64_t near_limit = 5 - int64_t{RadarGain};
    const int64_t far_limit = 5 - int64_t{RadarGain} / 2;

    int32_t elevation;
    std::memcpy(&elevation, block + GroundElevationAt, sizeof elevation);
    if (elevation / static_cast<int32_t>(ElevationUnits) > height) return GroundEcho;

    int32_t near_echo = 0, far_echo = 0;
    for (int k = 0; k < LayerCount; ++k) {
        const uint8_t* layer = block + LayersAt + LayerSize * k;
        uint16_t top;
        std::memcpy(&top, layer + LayerTopAt, sizeof top);
        if (layer[LayerKindAt] <= LastDryKind || !(top > height)) continue;
        const uint8_t amount = layer[LayerAmountAt], intensity = layer[LayerIntensityAt];
        if (intensity >= near_limit && amount > near_echo) near_echo = amount;
        if (intensity >= far_limit && amount > far_echo) far_echo = amount;
    }
    return 10 * far_echo + near_echo;
}

int32_t radarCellSmooth(int32_t sweep_position) {
    const int32_t i = sweep_position < 0                    ? 0
                      : sweep_position >= RadarCellsInSweep ? RadarCellsInSweep - 1
                                                            : sweep_position;
    int64_t e = RadarCellEcho[RADAR_CELL_CODES[i]];
    int32_t ground = e < 0 ? 1 : 0;  // cells where the ground blocks the beam
    if (e < 0) e = 0;
    int32_t cells = 1, weight = 2;
    int64_t near_sum = 2 * (e % 10), far_sum = 2 * (e / 10);
    const Neighbours& around = CellNeighbours[i];
    // Only the neighbours add their echoes and ground to the cell's own.
    for (int32_t m = 0; m < around.count; ++m) {
        ++cells;
        ++weight;
        const int64_t f = RadarCellEcho[RADAR_CELL_CODES[around.position[m]]];
        if (f >= 1) {
            near_sum += f % 10;
            far_sum += f / 10;
        } else if (f < 0) {
            ++ground;
        }
    }
    // Strongest where half the cells around return the ground.
    int32_t k = 2 * ground;
    if (k > cells) k = 2 * cells - k;
    const double ground_return = 4.0 * k / cells;
    double near_level = static_cast<double>(near_sum) / weight + ground_return;
    double far_level = static_cast<double>(far_sum) / weight + ground_return;
    if (near_level > LongestEcho) near_level = LongestEcho;
    if (far_level > LongestEcho) far_level = LongestEcho;
    return truncToInt(0.8 * near_level + 0.5) + 10 * truncToInt(0.6 * far_level + 0.5);
}
