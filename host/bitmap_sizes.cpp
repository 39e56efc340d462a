#include "host/bitmap_sizes.h"

namespace tw {

namespace {

struct KnownSize {
    uint32_t resource_id;
    int32_t width, height;
};

// Bitmaps shared by several instruments are listed once, with the first.
// clang-format off
constexpr KnownSize KnownSizes[] = {
    // Airspeed and Mach indicators.
    {0x1000, 276, 276}, {0x1010, 153, 23}, {0x1020, 153, 23}, {0x1030, 18, 17},
    {0x1040, 22, 6}, {0x1050, 276, 276}, {0x1100, 273, 273}, {0x1110, 137, 21},
    {0x1120, 273, 273},
    // Attitude and heading instruments.
    {0x1200, 232, 218}, {0x1210, 256, 256}, {0x1211, 174, 174}, {0x1220, 256, 256},
    {0x1221, 174, 174}, {0x1230, 20, 14}, {0x1240, 12, 30}, {0x1250, 12, 30},
    {0x1260, 53, 26}, {0x1270, 53, 28}, {0x1280, 11, 65}, {0x1300, 300, 300},
    {0x1310, 256, 256}, {0x1311, 256, 256}, {0x1320, 256, 256}, {0x1321, 257, 256},
    {0x1330, 177, 217}, {0x1340, 23, 23}, {0x1350, 24, 15},
    // Altimeter, vertical speed, RMI and DME.
    {0x1400, 275, 273}, {0x1410, 141, 34}, {0x1420, 275, 273}, {0x1600, 276, 270},
    {0x1610, 187, 23}, {0x1620, 187, 27}, {0x1630, 288, 288}, {0x1631, 237, 236},
    {0x1640, 48, 48}, {0x1650, 44, 55}, {0x1800, 181, 80}, {0x1810, 181, 80},
    {0x1820, 82, 4}, {0x1830, 25, 352}, {0x1831, 25, 32}, {0x1840, 32, 342},
    {0x1841, 25, 32}, {0x4700, 307, 311}, {0x4710, 174, 17}, {0x4720, 104, 27},
    {0x4730, 187, 128}, {0x4740, 256, 256},
    // EPR gauges.
    {0x1700, 334, 371}, {0x1710, 23, 25}, {0x1720, 334, 371}, {0x1750, 334, 371},
    {0x1760, 294, 294}, {0x1870, 147, 56},
    // N1 and N2 tachometers.
    {0x1900, 334, 371}, {0x1910, 334, 371}, {0x1914, 334, 371}, {0x1920, 36, 12},
    {0x1930, 122, 15},
    // Fuel flow and fuel used indicators.
    {0x2000, 307, 307}, {0x2010, 307, 307}, {0x2011, 307, 307}, {0x2020, 112, 17},
    {0x2030, 30, 440},
    // EGT indicators (also 0x1870 and 0x1920, above).
    {0x1850, 307, 307}, {0x1860, 307, 307}, {0x1861, 307, 307},
    // Temperature, fuel quantity and oil pressure indicators.
    {0x2050, 304, 304}, {0x2060, 304, 304}, {0x2070, 91, 12}, {0x2100, 256, 256},
    {0x2102, 49, 25}, {0x2110, 58, 320}, {0x2120, 25, 320}, {0x2200, 158, 31},
    {0x2210, 36, 31}, {0x2220, 36, 31},
    // The throttle quadrant's pedestal. Its size is not known here, so 640 x
    // 480 is a plausible guess: it holds every element and mouse area of the
    // quadrant (the lowest area ends at y = 459, the rightmost slider starts at
    // x = 605).
    {9360, 640, 480},
};
// clang-format on

}  // namespace

BitmapSizes::BitmapSizes() {
    for (const KnownSize& k : KnownSizes) sizes_[k.resource_id] = PIXPOINT{k.width, k.height};
}

std::optional<PIXPOINT> BitmapSizes::find(uint32_t resource_id) const {
    auto it = sizes_.find(resource_id);
    if (it == sizes_.end()) return std::nullopt;
    return it->second;
}

void BitmapSizes::set(uint32_t resource_id, int32_t width, int32_t height) {
    sizes_[resource_id] = PIXPOINT{width, height};
}

void BitmapSizes::forget(uint32_t resource_id) { sizes_.erase(resource_id); }

}  // namespace tw
