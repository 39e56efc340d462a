// radar on the bundled host: the cells' two layers, the range lines, backdrop,
// no-data flag and knobs, the texture scroll and the power and range it sets.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "host/host.h"
#include "tests/support/module_api.h"

namespace radar_test {

namespace {

constexpr uint32_t Latitude = 71, Longitude = 72;
constexpr double LongitudeUnits = 781875100000.0;

// Draw state, bottom to top.
constexpr size_t LinesUnder = 1, LinesBetween = 144, Backdrops = 288, LinesOver = 293, NoData = 294,
                 LinesKnob = 295, IntensityKnob = 296, ElementCount = 297;

struct Point {
    int32_t x, y;
};
constexpr Point IntensityDown{15, 20}, IntensityUp{30, 20}, LinesDown{130, 20}, LinesUp{145, 20};
constexpr Point Selector[5] = {{5, 120}, {5, 100}, {10, 75}, {30, 75}, {55, 75}};

void click(tw::Gauge& g, Point p, int times = 1) {
    for (int i = 0; i < times; ++i) {
        ASSERT_TRUE(g.press(p.x, p.y));
        g.release();
    }
}

// The panel with the control panel and the display, and the offset service
// connected when asked.
struct Radar {
    tw::Host host;
    tw::Gauge* controls;
    tw::Gauge* display;
    explicit Radar(bool connected = true) {
        if (connected) {
            host.startOffsetServer();
            host.createGauge("FLOOD_SW");
        }
        controls = host.createGauge("radartc");
        display = host.createGauge("radar");
    }
    const std::vector<tw::ElementState>& frame() {
        host.frame();
        return display->drawState();
    }
    // The images the three range-line icons show, -1 where hidden.
    std::vector<int32_t> rangeLines() {
        const auto& d = frame();
        return {d[LinesUnder].image, d[LinesBetween].image, d[LinesOver].image};
    }
    int shownBackdrop() {
        const auto& d = frame();
        int shown = 0;
        for (int k = 0; k < 5; ++k) {
            if (!d[Backdrops + k].hidden) shown = shown ? -1 : k + 1;
        }
        return shown;
    }
};

using Images = std::vector<int32_t>;

}  // namespace

TEST(RadarDisplay, RangeLinesBackdropAndFlagFollowTheIntensitiesAndTheService) {
    {
        Radar off(false);
        ASSERT_EQ(off.frame().size(), ElementCount);
        click(*off.controls, Selector[1]);
        EXPECT_FALSE(off.frame()[NoData].hidden);
        EXPECT_EQ(off.shownBackdrop(), 0);
        EXPECT_EQ(off.rangeLines(), (Images{-1, -1, -1}));
    }

    Radar r;
    EXPECT_TRUE(r.frame()[NoData].hidden);
    EXPECT_EQ(r.rangeLines(), (Images{-1, -1, -1}));  // the radar is off
    click(*r.controls, Selector[1]);
    EXPECT_EQ(r.rangeLines(), (Images{-1, -1, 3}));  // both at 4: over everything
    EXPECT_EQ(r.shownBackdrop(), 4);
    click(*r.display, LinesDown);
    EXPECT_EQ(r.rangeLines(), (Images{-1, 4, -1}));
    click(*r.display, LinesDown, 2);
    EXPECT_EQ(r.rangeLines(), (Images{2, -1, -1}));
    EXPECT_EQ(r.frame()[LinesKnob].angle, 280.0);  // -80 degrees
    click(*r.display, IntensityUp, 5);
    EXPECT_EQ(r.rangeLines(), (Images{0, -1, -1}));
    EXPECT_EQ(r.shownBackdrop(), 0);  // 6: no backdrop
    EXPECT_EQ(r.frame()[IntensityKnob].value, 120.0);
    click(*r.display, LinesDown, 3);
    EXPECT_EQ(r.rangeLines(), (Images{-1, -1, -1}));

    click(*r.display, IntensityDown, 9);
    EXPECT_EQ(r.shownBackdrop(), 0);  // 0: none either
    click(*r.display, LinesUp, 9);
    EXPECT_EQ(r.rangeLines(), (Images{-1, -1, 5}));
    click(*r.display, IntensityUp);
    EXPECT_EQ(r.shownBackdrop(), 1);
    click(*r.controls, Selector[0]);
    EXPECT_EQ(r.rangeLines(), (Images{-1, -1, -1}));

    EXPECT_EQ(r.display->tooltipAt(20, 20), "Weather Radar Intensity Control");
    EXPECT_EQ(r.display->tooltipAt(140, 30), "Range Lines Intensity Control");
    EXPECT_EQ(r.display->tooltipAt(80, 100), "Weather Radar");
    EXPECT_FALSE(r.display->press(80, 100));
}

#if !defined(_WIN32)
namespace {

constexpr int32_t Cell = 116;
enum Sprite { BLow, BHigh, ALow, AHigh };

// The four sprites of a cell, in drawing order.
std::vector<tw::ElementState> spritesOf(const std::vector<tw::ElementState>& d, int32_t code) {
    std::vector<tw::ElementState> out;
    for (const auto& s : d) {
        if (s.type == ElementSprite &&
            reinterpret_cast<ELEMENT_SPRITE*>(s.element)->offset_x.source_var.id ==
                static_cast<uint32_t>(code))
            out.push_back(s);
    }
    return out;
}

std::vector<bool> hidden(const std::vector<tw::ElementState>& sprites) {
    std::vector<bool> out;
    for (const auto& s : sprites) out.push_back(s.hidden);
    return out;
}

using Flags = std::vector<bool>;

}  // namespace

TEST(RadarDisplay, EachCellDrawsItsTensAndUnitsAsTwoTextures) {
    Radar r;
    SKIP_WITHOUT_MODULE_SYMBOLS(r.host);
    int32_t* shade = &moduleVar<int32_t>(r.host, "RadarCellShade");
    click(*r.controls, Selector[2]);
    shade[Cell] = 37;
    auto s = spritesOf(r.frame(), Cell);
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(hidden(s), (Flags{true, false, false, true}));
    EXPECT_EQ(s[BHigh].value_x, -96);
    EXPECT_EQ(s[BHigh].value_y, 384);
    EXPECT_EQ(s[ALow].value_x, -96);
    EXPECT_EQ(s[ALow].value_y, 384);

    // The quadrant of levels 9 and 2; a latitude pulls the pattern up.
    shade[Cell] = 29;
    r.host.setVar(Latitude, 111130.555555 * 20);
    s = spritesOf(r.frame(), Cell);
    EXPECT_EQ(hidden(s), (Flags{true, false, false, true}));
    EXPECT_EQ(s[BHigh].value_x, -96);
    EXPECT_EQ(s[BHigh].value_y, -128 - 71);
    EXPECT_EQ(s[ALow].value_x, 32);
    EXPECT_EQ(s[ALow].value_y, -128 - 71);

    shade[Cell] = 0;
    EXPECT_EQ(hidden(spritesOf(r.frame(), Cell)), (Flags{true, true, true, true}));
    shade[Cell] = 51;
    EXPECT_EQ(hidden(spritesOf(r.frame(), Cell)), (Flags{false, true, true, false}));
    for (auto off : {1, 2, 3}) {
        if (off == 1) click(*r.display, IntensityDown, 4);
        if (off == 2) click(*r.controls, Selector[1]);
        if (off == 3) moduleVar<int32_t>(r.host, "IpcConnected") = 0;
        EXPECT_EQ(hidden(spritesOf(r.frame(), Cell)), (Flags{true, true, true, true})) << off;
        if (off == 1) click(*r.display, IntensityUp);
        if (off == 2) click(*r.controls, Selector[2]);
    }
    // Every sprite turns with the heading.
    r.host.setVar(86, 30.0);
    EXPECT_EQ(spritesOf(r.frame(), Cell)[AHigh].rotation, 30.0);
}

TEST(RadarDisplay, TexturesScrollByTheTrueStepAcrossTheDateLine) {
    Radar r;
    SKIP_WITHOUT_MODULE_SYMBOLS(r.host);
    double& scroll = moduleVar<double>(r.host, "RadarScroll");
    r.host.setVar(Longitude, 179.99 * LongitudeUnits);
    r.frame();
    EXPECT_DOUBLE_EQ(scroll, 179.99);
    r.host.setVar(Longitude, -179.99 * LongitudeUnits);
    r.frame();
    EXPECT_NEAR(scroll, 180.01, 1e-9);
    // At 60 degrees of latitude a degree of longitude scrolls half as far.
    r.host.setVar(Latitude, 20003499.9999 / 3);
    r.host.setVar(Longitude, -178.99 * LongitudeUnits);
    r.frame();
    EXPECT_NEAR(scroll, 180.51, 1e-6);
    for (double odd : {std::nan(""), HUGE_VAL}) {
        r.host.setVar(Longitude, odd);
        r.frame();
        EXPECT_NEAR(scroll, 180.51, 1e-6);
    }
}

TEST(RadarDisplay, TheSelectorSwitchesTheRadarAndSetsItsRange) {
    Radar r;
    SKIP_WITHOUT_MODULE_SYMBOLS(r.host);
    const double ranges[5] = {20, 20, 20, 50, 150};
    for (int i : {4, 3, 2, 1, 0}) {
        click(*r.controls, Selector[i]);
        r.frame();
        EXPECT_EQ(moduleVar<int32_t>(r.host, "RadarPower"), i == 0 ? 0 : 1) << i;
        EXPECT_EQ(moduleVar<double>(r.host, "RadarRange"), ranges[i]) << i;
    }
}
#endif

}  // namespace radar_test
