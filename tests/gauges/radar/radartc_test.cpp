// radartc on the bundled host: what its areas set and show, the digit buttons'
// events, the code drums, the tooltips and the click sounds.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "host/host.h"
#include "tests/support/module_api.h"

#if !defined(_WIN32)
#include "tests/support/cockpit.h"
#endif

namespace radartc_test {

namespace {

constexpr uint32_t CodeDigits = 38;

struct Point {
    int32_t x, y;
};
constexpr Point ModeDown{5, 5}, ModeUp{30, 5};
constexpr Point DigitUp[4] = {{40, 40}, {50, 35}, {88, 35}, {100, 35}};
constexpr Point DigitDown[4] = {{40, 46}, {50, 46}, {88, 46}, {100, 46}};
constexpr Point Selector[5] = {{5, 120}, {5, 100}, {10, 75}, {30, 75}, {55, 75}};
constexpr Point GainDown{30, 100}, GainUp{40, 100};
constexpr Point TiltUp{95, 100}, TiltCentre{115, 100}, TiltDown{130, 100};

// Draw state, bottom to top: panel, four drums, selector, gain knob, tilt knob, switch.
constexpr size_t Drum = 1, RangeSelector = 5, GainKnob = 6, TiltKnob = 7, ModeSwitch = 8;

void click(tw::Gauge& g, Point p, int repeats = 0) {
    ASSERT_TRUE(g.press(p.x, p.y)) << p.x << "," << p.y;
    g.repeat(repeats);
    g.release();
}

const tw::ElementState& shown(tw::Host& host, tw::Gauge& g, size_t i) {
    host.frame();
    return g.drawState().at(i);
}

}  // namespace

TEST(RadarControls, AreasSetTheRadarAndItsPicturesShowIt) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("radartc");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(shown(host, *g, RangeSelector).image, 0);
    EXPECT_EQ(shown(host, *g, GainKnob).angle, 15.0);  // gain 3
    EXPECT_EQ(shown(host, *g, TiltKnob).value, 0.0);
    EXPECT_EQ(shown(host, *g, ModeSwitch).image, 2);

    click(*g, ModeUp);
    EXPECT_EQ(shown(host, *g, ModeSwitch).image, 2);
    for (int i = 0; i < 3; ++i) click(*g, ModeDown);
    EXPECT_EQ(shown(host, *g, ModeSwitch).image, 0);
    click(*g, ModeUp);
    EXPECT_EQ(shown(host, *g, ModeSwitch).image, 1);

    for (int i = 0; i < 5; ++i) click(*g, Selector[i == 4 ? 0 : 4 - i]);
    EXPECT_EQ(shown(host, *g, RangeSelector).image, 0);
    for (int i = 1; i < 5; ++i) {
        click(*g, Selector[i]);
        EXPECT_EQ(shown(host, *g, RangeSelector).image, i);
    }

    // Gain 1..4, one step a click, not held.
    click(*g, GainUp, 5);
    click(*g, GainUp);
    EXPECT_EQ(shown(host, *g, GainKnob).value, 45.0);
    for (int i = 0; i < 5; ++i) click(*g, GainDown);
    EXPECT_EQ(shown(host, *g, GainKnob).value, -45.0);

    // Tilt -15..15, 6 degrees of knob a step the other way; held, it repeats.
    click(*g, TiltUp, 30);
    EXPECT_EQ(shown(host, *g, TiltKnob).value, -90.0);
    click(*g, TiltCentre);
    EXPECT_EQ(shown(host, *g, TiltKnob).value, 0.0);
    click(*g, TiltDown, 2);
    EXPECT_EQ(shown(host, *g, TiltKnob).value, 18.0);
    click(*g, TiltDown, 40);
    EXPECT_EQ(shown(host, *g, TiltKnob).value, 90.0);
}

TEST(RadarControls, TheCodeDisplayShowsFourDigitsAndItsButtonsCarryEvents) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("radartc");
    host.setVar(CodeDigits, 0x7215);
    host.frame();
    const double expected[4] = {7, 2, 1, 5};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(g->drawState()[Drum + i].value_y, expected[i]) << i;
    for (double odd : {std::nan(""), 1e30, -1.0}) {
        host.setVar(CodeDigits, odd);
        host.frame();
        for (int i = 0; i < 4; ++i) {
            EXPECT_GE(g->drawState()[Drum + i].value_y, 0.0);
            EXPECT_LE(g->drawState()[Drum + i].value_y, 15.0);
        }
    }

    host.clearLogs();
    for (Point p : DigitUp) click(*g, p);
    for (Point p : DigitDown) click(*g, p);
    std::vector<tw::SentEvent> expectedEvents;
    for (uint32_t id : {65651, 65652, 65653, 65654, 66455, 66456, 66457, 66458})
        expectedEvents.push_back({tw::SentEvent::MouseArea, id, 0});
    EXPECT_EQ(host.events(), expectedEvents);

    EXPECT_EQ(g->tooltipAt(ModeDown.x, ModeDown.y), std::nullopt);
    EXPECT_EQ(g->tooltipAt(Selector[0].x, Selector[0].y), "Weather Radar Range Control");
    EXPECT_EQ(g->tooltipAt(GainDown.x, GainDown.y), "Weather Radar Gain Control");
    EXPECT_EQ(g->tooltipAt(TiltDown.x, TiltDown.y), "Weather Radar Anterior Tilt Control");
    EXPECT_EQ(g->mouseAreas().helpIdAt(ModeUp.x, ModeUp.y), 42762u);
}

#if !defined(_WIN32)
TEST(RadarControls, ClicksAsTheSwitchesAndTheTiltDetentSay) {
    twtest::ScratchFolder dir;
    twtest::writeCockpitSounds(dir);
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    host.createGauge("FLOOD_SW");
    tw::Gauge* g = host.createGauge("radartc");
    auto clicks = [&] { return twtest::soundInfo(host, "sndClick").playCalls; };

    click(*g, ModeUp);  // at its end: no move, but a click
    click(*g, Selector[3]);
    EXPECT_EQ(clicks(), 2u);
    click(*g, GainUp);
    click(*g, GainDown);
    EXPECT_EQ(clicks(), 2u);

    // Up from -2 through the detent to 15 and held there: one click.
    click(*g, TiltDown, 1);
    EXPECT_EQ(clicks(), 2u);
    click(*g, TiltUp, 30);
    EXPECT_EQ(clicks(), 3u);
    EXPECT_EQ(moduleVar<int32_t>(host, "RadarTilt"), 15);
    click(*g, TiltCentre);
    click(*g, TiltCentre);
    EXPECT_EQ(clicks(), 5u);
}
#endif

}  // namespace radartc_test
