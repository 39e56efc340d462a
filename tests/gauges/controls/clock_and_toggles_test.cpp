// CLOCK, FLAPS, OMI and TOGGLE2..TOGGLE7 on the bundled host.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "host/host.h"
#include "host/needle_scale.h"
#include "tests/support/module_api.h"

#if !defined(_WIN32)
#include "tests/support/cockpit.h"
#endif

namespace clock_and_toggles_test {

namespace {

using tw::SentEvent;
using Events = std::vector<SentEvent>;

constexpr uint32_t TickCounter = 1, Seconds = 5, HandHours = 6, HandMinutes = 7;
constexpr uint32_t Flaps = 329, Marker = 354, MainPower = 364;

SentEvent byHost(uint32_t id) { return {SentEvent::MouseArea, id, 0}; }

void click(tw::Gauge& g, int32_t x, int32_t y, int repeats = 0) {
    ASSERT_TRUE(g.press(x, y)) << x << "," << y;
    g.repeat(repeats);
    g.release();
}

}  // namespace

TEST(Clock, HandsTooltipAndTheHostsKnobAreas) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("CLOCK");
    ASSERT_NE(g, nullptr);
    host.setVar(3, 9);
    host.setVar(4, 5);
    host.setVar(Seconds, 7);
    EXPECT_EQ(g->tooltipAt(100, 100), "Clock (09:05:07)");

    // Twice round the dial a day; past 45 minutes the hands move on to the top.
    const PIXPOINT centre{154, 148}, top{158, 36};
    host.setVar(HandHours, 15);
    host.setVar(HandMinutes, 52.5);
    host.setVar(Seconds, 59);
    host.frame();
    const auto& d = g->drawState();
    ASSERT_EQ(d.size(), 5u);
    EXPECT_NEAR(d[2].angle, tw::pointAngle(centre, {267, 148}), 1e-9);
    const double at45 = tw::pointAngle(centre, {47, 147});
    EXPECT_NEAR(d[3].angle, (at45 + 360 + tw::pointAngle(centre, top)) / 2, 1e-9);
    EXPECT_GT(d[4].angle, d[3].angle);
    host.setVar(HandHours, 24);
    host.setVar(HandMinutes, 60);
    host.frame();
    EXPECT_NEAR(g->drawState()[2].angle, tw::pointAngle(centre, top), 1e-9);
    EXPECT_NEAR(g->drawState()[3].angle, tw::pointAngle(centre, top), 1e-9);

    // The knobs repeat while held; the button does not.
    host.clearLogs();
    click(*g, 2, 214, 1);
    click(*g, 79, 269, 1);
    click(*g, 209, 240, 1);
    click(*g, 269, 269, 1);
    click(*g, 202, 13, 1);
    EXPECT_EQ(host.events(),
              (Events{byHost(65657), byHost(65657), byHost(65658), byHost(65658), byHost(65659),
                      byHost(65659), byHost(65660), byHost(65660), byHost(65661)}));
    EXPECT_FALSE(g->press(100, 240));
}

#if !defined(_WIN32)

TEST(Clock, InstallingSetsTheBatterySwitchFromTheHostsPower) {
    twtest::ScratchFolder dir;
    twtest::writeCockpitSounds(dir);
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    host.createGauge("FLOOD_SW");
    int32_t& battery = moduleVar<int32_t>(host, "BatterySwitch");
    struct Case {
        double power;
        uint8_t ground;
        int32_t before, after;
        bool hum;
    };
    for (const Case& c :
         {Case{0.0, 1, 2, 1, false}, Case{1.0, 0, 1, 2, true}, Case{1.0, 1, 1, 0, true},
          Case{0.5, 0, 2, 2, false}, Case{2.0, 1, 0, 0, false}}) {
        SCOPED_TRACE(c.power);
        host.setVar(MainPower, c.power);
        moduleVar<uint8_t>(host, "ExternalPowerOn") = c.ground;
        battery = c.before;
        const unsigned plays = twtest::soundInfo(host, "sndInverters").playCalls;
        host.destroyGauge(host.createGauge("CLOCK"));
        EXPECT_EQ(battery, c.after);
        const twplat::SoundBufferInfo hum = twtest::soundInfo(host, "sndInverters");
        EXPECT_EQ(hum.playCalls - plays, c.hum ? 1u : 0u);
        EXPECT_TRUE(hum.looping || !c.hum);
    }
}

#endif  // !_WIN32

TEST(Flaps, NeedleTurnsADegreePerUpdateAndTheTooltipShowsDegrees) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("FLAPS");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->tooltipAt(50, 50), "Flaps Indicator (0 \xB0)");
    host.setVar(Flaps, 16383);
    EXPECT_EQ(g->tooltipAt(50, 50), "Flaps Indicator (50 \xB0)");
    host.frame();  // the first update places the needle at once
    host.setVar(Flaps, 0);
    const double from = g->drawState().back().angle;
    host.frames(10);
    EXPECT_EQ(g->drawState().back().value, 0);
    EXPECT_NEAR(std::fmod(from - g->drawState().back().angle + 360, 360), 10.0, 1e-9);
}

TEST(Omi, ShowsTheMarkersImageOnlyWithPower) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    uint32_t& power = moduleVar<uint32_t>(host, "PowerAvailable");
    tw::Gauge* g = host.createGauge("OMI");
    EXPECT_EQ(g->tooltipAt(10, 10), "Marker Beacon Lights");
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    // Power, marker, image (-1: nothing shown).
    for (auto [on, marker, image] : {std::array<double, 3>{1, 0, -1},
                                     {1, 1, 0},
                                     {1, 3, 2},
                                     {1, 3.9, 2},
                                     {1, 4, -1},
                                     {1, -1, -1},
                                     {1, NaN, -1},
                                     {0, 2, -1}}) {
        power = static_cast<uint32_t>(on);
        host.setVar(Marker, marker);
        host.frame();
        const tw::ElementState& lamp = g->drawState().back();
        EXPECT_EQ(lamp.hidden ? -1 : lamp.image, image) << on << " " << marker;
    }
}

TEST(PanelToggles, APressSendsTheEventAfterFourTicksAndASecondPressCancels) {
    struct Toggle {
        const char *name, *tooltip;
        uint32_t event;
    };
    for (auto [name, tooltip, event] : {Toggle{"TOGGLE2", "Toggle Radio Panel", 65907},
                                        Toggle{"TOGGLE3", "Toggle Overhead Panel", 65908},
                                        Toggle{"TOGGLE4", "Toggle Throttle Quadrant", 65909},
                                        Toggle{"TOGGLE5", "Toggle Autopilot Panel", 65910},
                                        Toggle{"TOGGLE6", "Toggle Standby Compass", 65911},
                                        Toggle{"TOGGLE7", "Toggle Weather Radar", 65912}}) {
        SCOPED_TRACE(name);
        tw::Host host;
        tw::Gauge* g = host.createGauge(name);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->tooltipAt(15, 15), tooltip);
        auto button = [&](double tick) {
            host.setVar(TickCounter, tick);
            host.frame();
            return g->drawState().back().image;
        };
        EXPECT_EQ(button(1000.7), 1);
        click(*g, 29, 35);  // in at tick 1000, out after 1004
        EXPECT_EQ(button(1004), 0);
        EXPECT_TRUE(host.events().empty());
        EXPECT_EQ(button(1005), 1);
        button(1006);
        EXPECT_EQ(host.events(), (Events{{SentEvent::Module, event, 0}}));

        host.clearLogs();
        click(*g, 0, 0);
        EXPECT_EQ(button(1006), 0);
        click(*g, 0, 0);  // a second press before the deadline: out, silently
        EXPECT_EQ(button(2000), 1);
        EXPECT_TRUE(host.events().empty());
    }
    // Copies share a button; the first to update past the deadline sends.
    tw::Host host;
    tw::Gauge* radio = host.createGauge("TOGGLE2");
    tw::Gauge* copy = host.createGauge("TOGGLE2");
    tw::Gauge* radar = host.createGauge("TOGGLE7");
    click(*radio, 5, 5);
    host.frame();
    EXPECT_EQ(copy->drawState().back().image, 0);
    EXPECT_EQ(radar->drawState().back().image, 1);
    host.setVar(TickCounter, 5);
    host.frame();
    EXPECT_EQ(host.events(), (Events{{SentEvent::Module, 65907, 0}}));
}

}  // namespace clock_and_toggles_test
