// radar: the weather radar's display, a fan of 71 cells that each draw two
// superimposed weather textures (layer A from the tens of the cell's value,
// layer B from its units), range lines at three depths, an intensity
// backdrop, a no-data flag and the display's two intensity knobs. The gauge
// callback turns the range selector into the radar's power and range.
//
// Reads: 71 (latitude), 72 (longitude), 86 (heading, the textures' rotation).
// Sends: nothing. Sounds: none. Shares: RadarCellShade, IpcConnected,
// RadarRangeSelector (read), RadarPower, RadarRange (written), and the gauge's
// own RadarIntensity, RangeLinesIntensity, RadarScroll and RadarPrevLongitude.

#include <array>
#include <cmath>
#include <utility>

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/truncate.h"
#include "gauges/radar/radar_controls.h"
#include "systems/weather_radar.h"

extern GAUGE_HEADER gauge_radar;

extern "C" {
int32_t RadarIntensity = 4;       // 0..6
int32_t RangeLinesIntensity = 4;  // 0..6
// The textures' east-west scroll, degrees of longitude weighted by the
// latitude's cosine, and the longitude it was last moved to.
double RadarScroll = 0.0;
double RadarPrevLongitude = 0.0;
}

namespace {

using namespace hostvar;

constexpr int32_t HighestIntensity = 6;
constexpr int32_t RangeLinesImages = 6;
constexpr int32_t BackdropCount = 5;
constexpr double KnobCentre = 3.0;
constexpr double KnobDegreesPerStep = 40.0;

// Each texture bitmap holds four quadrants; a level picks one by these bases.
constexpr int32_t TextureLeft = -96, TextureRight = 32;
constexpr int32_t TextureUpper = -128, TextureLower = 384;
constexpr int32_t TextureTurnX = 64, TextureTurnY = 256;  // the pattern repeats
constexpr double NmPerDegree = 60.278;
constexpr double TextureScrollUnits = 64.0;
constexpr double TextureLatitudeUnits = 256.0;
constexpr double LatitudeUnitsPerDegree = 111130.555555;  // variable 71
constexpr double Pi = 3.1415927;
constexpr double LatitudeUnitsPerHalfTurn = 20003499.9999;
constexpr double LongitudeUnitsPerDegree = 781875100000.0;
constexpr double LongitudeWrap = 350.0;  // a step this large crossed the date line

constexpr uint32_t BmpBackground = 0x6000;
constexpr uint32_t BmpLayerALower = 0x6110;  // levels 1..4
constexpr uint32_t BmpLayerAUpper = 0x6120;  // levels 5..9
constexpr uint32_t BmpLayerBLower = 0x6130;
constexpr uint32_t BmpLayerBUpper = 0x6140;
constexpr uint32_t BmpBackdrop1 = 0x6200;  // then one every 0x10
constexpr uint32_t BmpRangeLines = 0x6280;
constexpr uint32_t BmpRangeLinesKnob = 0x6290;
constexpr uint32_t BmpIntensityKnob = 0x62a0;
constexpr uint32_t BmpNoData = 0x62b0;

MODULE_VAR latitude = hostVar(AircraftLatitude);
MODULE_VAR longitude = hostVar(AircraftLongitude);

void setHidden(ELEMENT_HEADER* e, bool hidden) {
    if (hidden)
        e->image_flags |= ImageHidden;
    else
        e->image_flags &= ~ImageHidden;
}

int32_t nonNegativeRemainder(int32_t value, int32_t divisor) {
    int32_t r = value % divisor;
    return r < 0 ? r + divisor : r;
}

// ---- Gauge callback ---------------------------------------------------------

void HOSTAPI radarCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreUpdate) return;
    RadarPower = RadarRangeSelector != RangeSelectorOff ? 1 : 0;
    RadarRange = RadarRangeSelector == RangeSelector150  ? 150.0
                 : RadarRangeSelector == RangeSelector50 ? 50.0
                                                         : 20.0;
}

// ---- Cell sprites -----------------------------------------------------------

enum class Layer { A, B };      // A: the value's tens, B: its units
enum class Band { Low, High };  // the first sprite draws levels 1..4, the second 5..9

// The sprite's cell code rides in its offset variables' token id.
template <Layer L>
int32_t levelOf(const MODULE_VAR& var) {
    if (var.id >= static_cast<uint32_t>(RadarCellCount)) return 0;
    const int32_t v = RadarCellShade[var.id];
    return L == Layer::A ? v / 10 : v % 10;
}

// Only the first call after the aircraft moved finds a step to add. A reading
// that is not a number leaves the scroll as it was.
void scrollWithLongitude() {
    const double lon = longitude.var_value / LongitudeUnitsPerDegree;
    if (!std::isfinite(lon)) return;
    if (RadarScroll == 0.0 && RadarPrevLongitude == 0.0) {
        RadarScroll = lon;
    } else {
        double d = lon - RadarPrevLongitude;
        if (d > LongitudeWrap) d -= 360.0;
        if (d < -LongitudeWrap) d += 360.0;
        const double scroll =
            RadarScroll + std::cos(latitude.var_value * Pi / LatitudeUnitsPerHalfTurn) * d;
        if (std::isfinite(scroll)) RadarScroll = scroll;
    }
    RadarPrevLongitude = lon;
}

template <Layer L>
double HOSTAPI cellOffsetX(ELEMENT_HEADER* e) {
    refreshVar(latitude);
    refreshVar(longitude);
    const int32_t level = levelOf<L>(elementAs<ELEMENT_SPRITE>(e)->offset_x.source_var);
    const int32_t base = (level - 1) % 2 == 0 ? TextureLeft : TextureRight;
    scrollWithLongitude();
    const int32_t a = truncToInt(RadarScroll * TextureScrollUnits * NmPerDegree);
    const int32_t b = truncToInt(a / RadarRange);
    return nonNegativeRemainder(b, TextureTurnX) + base;
}

bool cellsShown() {
    return RadarRangeSelector >= RangeSelector20 && RadarIntensity != 0 && IpcConnected != 0;
}

template <Layer L, Band S>
double HOSTAPI cellOffsetY(ELEMENT_HEADER* e) {
    refreshVar(latitude);
    const int32_t level = levelOf<L>(elementAs<ELEMENT_SPRITE>(e)->offset_y.source_var);
    const int32_t quadrant = (level - 1) % 4;
    const int32_t base = quadrant == 0 || quadrant == 1 ? TextureUpper : TextureLower;
    const int32_t t = truncToInt(latitude.var_value * TextureLatitudeUnits * NmPerDegree /
                                 (LatitudeUnitsPerDegree * RadarRange));
    const bool in_band = S == Band::Low ? level >= 1 && level <= 4 : level >= 5;
    setHidden(e, !in_band || !cellsShown());
    return base - nonNegativeRemainder(t, TextureTurnY);
}

// ---- Range lines, backdrop, flag and knobs ----------------------------------

bool rangeLinesOn() {
    return RadarRangeSelector >= RangeSelectorLinesOnly && RangeLinesIntensity >= 1 &&
           IpcConnected != 0;
}

// The lines under or between the layers, fainter the brighter the weather.
double blendedRangeLines() {
    int64_t image = int64_t{RangeLinesIntensity} + 5 - RadarIntensity;
    return image < 0 ? 0 : image > RangeLinesImages - 1 ? RangeLinesImages - 1 : image;
}

double HOSTAPI rangeLinesUnder(ELEMENT_HEADER*) {
    bool shown = rangeLinesOn() && int64_t{RangeLinesIntensity} < int64_t{RadarIntensity} - 2;
    return shown ? blendedRangeLines() : -1;
}

double HOSTAPI rangeLinesBetween(ELEMENT_HEADER*) {
    bool shown = rangeLinesOn() && int64_t{RadarIntensity} - 2 <= RangeLinesIntensity &&
                 RangeLinesIntensity < RadarIntensity;
    return shown ? blendedRangeLines() : -1;
}

double HOSTAPI rangeLinesOver(ELEMENT_HEADER*) {
    if (!rangeLinesOn() || RangeLinesIntensity < RadarIntensity) return -1;
    return RangeLinesIntensity > RangeLinesImages ? RangeLinesImages - 1 : RangeLinesIntensity - 1;
}

constexpr ElementPlace place(uint32_t bitmap, int32_t x, int32_t y,
                             uint32_t flags = ImageTransparent, ELEMENT_HEADER** next = nullptr) {
    return ElementPlace{&gauge_radar, bitmap, x, y, flags, next};
}

template <size_t... K>
constexpr auto makeBackdrops(std::index_sequence<K...>) {
    return std::array<ELEMENT_STATIC_IMAGE, sizeof...(K)>{
        staticImage(place(BmpBackdrop1 + 0x10 * K, 18, 34, ImageTransparent | ImageHidden))...};
}
constinit std::array<ELEMENT_STATIC_IMAGE, BackdropCount> backdrops =
    makeBackdrops(std::make_index_sequence<BackdropCount>{});

// Shows the backdrop of the intensity, 1..5; none without the offset service.
double HOSTAPI backdropSelector(ELEMENT_HEADER*) {
    const bool any = IpcConnected != 0 && RadarIntensity >= 1 && RadarIntensity <= BackdropCount;
    for (int32_t k = 0; k < BackdropCount; ++k)
        setHidden(&backdrops[k], !any || k != RadarIntensity - 1);
    return 0;
}

double HOSTAPI noDataFlag(ELEMENT_HEADER*) { return IpcConnected == 0 ? 0 : -1; }

double HOSTAPI rangeLinesKnobNeedle(ELEMENT_HEADER*) {
    return (RangeLinesIntensity - KnobCentre) * KnobDegreesPerStep;
}
double HOSTAPI intensityKnobNeedle(ELEMENT_HEADER*) {
    return (RadarIntensity - KnobCentre) * KnobDegreesPerStep;
}

// ---- Mouse callbacks --------------------------------------------------------

template <int32_t* Setting>
int32_t HOSTAPI settingDown(PIXPOINT*, uint32_t) {
    if (*Setting >= 1) --*Setting;
    return 0;
}

template <int32_t* Setting>
int32_t HOSTAPI settingUp(PIXPOINT*, uint32_t) {
    if (*Setting < HighestIntensity) ++*Setting;
    return 0;
}

// ---- Records ----------------------------------------------------------------

constexpr double TextureScale = 0.45;
// Each cell's texture turns about the cell's own middle, so that whatever the
// heading its window stays inside the quadrant its level picks.
constexpr PIXPOINT CellMiddle = {8, 6};
constexpr PIXPOINT KnobPivot = {11, 11};

// A cell's two sprites. The first of every run of GroupSize cells carries the
// rest of its run and the first cell of the next run, so that the layer's
// tree stays shallow and its lists short while the host draws the cells in
// sweep order.
struct CellSprites {
    ELEMENT_SPRITE low;
    ELEMENT_SPRITE high;
    ELEMENT_HEADER* next[8];
};
constexpr size_t GroupSize = 6;

struct LayerRecords {
    CellSprites cell[RadarCellsInSweep];
};

template <Layer L, Band S>
constexpr ELEMENT_SPRITE cellSprite(int32_t code, ELEMENT_HEADER** next) {
    constexpr uint32_t bitmap = L == Layer::A ? (S == Band::Low ? BmpLayerALower : BmpLayerAUpper)
                                              : (S == Band::Low ? BmpLayerBLower : BmpLayerBUpper);
    const auto token = static_cast<uint32_t>(code);
    const int32_t x = 8 * radarCellColumn(code) + 1, y = 146 - 13 * radarCellRow(code);
    return sprite(place(bitmap, x, y, ImageTransparent | ImageHidden, next),
                  PIXPOINT{x + CellMiddle.x, y + CellMiddle.y}, TextureScale, TextureScale,
                  scaled(token, 1.0, cellOffsetX<L>), scaled(token, 1.0, cellOffsetY<L, S>),
                  scaled(AttitudeHeading, 1.0));
}

template <Layer L, size_t I>
constexpr CellSprites cellSprites(LayerRecords* self) {
    CellSprites c{};
    c.low = cellSprite<L, Band::Low>(RADAR_CELL_CODES[I], self->cell[I].next);
    c.high = cellSprite<L, Band::High>(RADAR_CELL_CODES[I], nullptr);
    size_t n = 0;
    c.next[n++] = &self->cell[I].high.header;
    if (I % GroupSize == 0) {
        for (size_t j = I + 1; j <= I + GroupSize && j < RadarCellsInSweep; ++j)
            c.next[n++] = &self->cell[j].low.header;
    }
    c.next[n] = nullptr;
    return c;
}

template <Layer L, size_t... I>
constexpr LayerRecords layerRecords(LayerRecords* self, std::index_sequence<I...>) {
    return LayerRecords{{cellSprites<L, I>(self)...}};
}

constinit LayerRecords layerB =
    layerRecords<Layer::B>(&layerB, std::make_index_sequence<RadarCellsInSweep>{});
constinit LayerRecords layerA =
    layerRecords<Layer::A>(&layerA, std::make_index_sequence<RadarCellsInSweep>{});

// Bottom to top: the screen, range lines, layer B, range lines, layer A, the
// backdrop, range lines, the no-data flag and the two knobs.
constinit ELEMENT_NEEDLE intensityKnob =
    needle(place(BmpIntensityKnob, 26, 30), 0, intensityKnobNeedle, KnobPivot, nullptr, 0, 0);
constinit ELEMENT_NEEDLE rangeLinesKnob =
    needle(place(BmpRangeLinesKnob, 140, 30), 0, rangeLinesKnobNeedle, KnobPivot, nullptr, 0, 0);
constinit ELEMENT_HEADER* noDataNext[] = {&rangeLinesKnob.header, &intensityKnob.header, nullptr};
constinit ELEMENT_ICON noData =
    icon(place(BmpNoData, 1, 47, ImageTransparent, noDataNext), 0, noDataFlag, 1);
constinit ELEMENT_ICON rangeLinesTop =
    icon(place(BmpRangeLines, 19, 29), 0, rangeLinesOver, RangeLinesImages);
constinit ELEMENT_HEADER* backdropNext[] = {&backdrops[0], &backdrops[1], &backdrops[2],
                                            &backdrops[3], &backdrops[4], nullptr};
constinit ELEMENT_ICON backdrop =
    icon(place(BmpBackground, 0, 0, ImageTransparent, backdropNext), 0, backdropSelector, 1);
constinit ELEMENT_ICON rangeLinesMiddle =
    icon(place(BmpRangeLines, 19, 29), 0, rangeLinesBetween, RangeLinesImages);
constinit ELEMENT_ICON rangeLinesBottom =
    icon(place(BmpRangeLines, 19, 29), 0, rangeLinesUnder, RangeLinesImages);
constinit ELEMENT_HEADER* screenNext[] = {&rangeLinesBottom.header, &layerB.cell[0].low.header,
                                          &rangeLinesMiddle.header, &layerA.cell[0].low.header,
                                          &backdrop.header,         &rangeLinesTop.header,
                                          &noData.header,           nullptr};
constinit ELEMENT_STATIC_IMAGE screen = staticImage(place(BmpBackground, 0, 0, 0, screenNext));
constinit ELEMENT_HEADER* radarElements[] = {&screen, nullptr};

constexpr uint32_t Click = MouseLeftPress;

constinit MOUSE_RECT radarMouse[] = {
    mouseParent(13, 17, 26, 26),
    mouseTooltip("Weather Radar Intensity Control"),
    mouseChild(0, 0, 13, 26, CursorDownArrow, Click, settingDown<&RadarIntensity>),
    mouseChild(13, 0, 13, 26, CursorUpArrow, Click, settingUp<&RadarIntensity>),
    mouseEndParent(),
    mouseParent(127, 17, 26, 26),
    mouseTooltip("Range Lines Intensity Control"),
    mouseChild(0, 0, 13, 26, CursorDownArrow, Click, settingDown<&RangeLinesIntensity>),
    mouseChild(13, 0, 13, 26, CursorUpArrow, Click, settingUp<&RangeLinesIntensity>),
    mouseEndParent(),
    mouseParent(17, 53, 128, 88),
    mouseTooltip("Weather Radar"),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_radar =
    makeGaugeHeader("radar", 166, radarElements, radarMouse, radarCallback);
