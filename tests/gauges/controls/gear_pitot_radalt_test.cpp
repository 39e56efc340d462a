// GEAR_HANDLE, PITOT and RADALT1 on the bundled host.

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "host/host.h"
#include "tests/support/module_api.h"

#if !defined(_WIN32)
#include "tests/support/cockpit.h"
#endif

namespace gear_pitot_radalt_test {

namespace {

using tw::SentEvent;
using Events = std::vector<SentEvent>;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr uint32_t TickCounter = 1, PitotHeat = 13, RadioAltitudeMetres = 614, Units = 335;
constexpr uint32_t Lever = 331, CentreLeg = 332, LeftLeg = 333, RightLeg = 334;
constexpr uint32_t thrustLever(int n) { return 128 + 35 * (n - 1); }
constexpr uint32_t engineRunning(int n) { return 131 + 35 * (n - 1); }

void click(tw::Gauge& g, int32_t x, int32_t y, int repeats = 0) {
    ASSERT_TRUE(g.press(x, y)) << x << "," << y;
    g.repeat(repeats);
    g.release();
}

// Left, centre and right leg down, unsafe, in transit, reverse.
using Lights = std::vector<bool>;
Lights gearLights(tw::Host& host, const tw::Gauge& g) {
    host.frame();
    Lights on;
    for (size_t i = 2; i < g.drawState().size(); ++i) on.push_back(!g.drawState()[i].hidden);
    return on;
}

}  // namespace

TEST(GearHandle, LeverLightsAndTheHostsGearEvent) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("GEAR_HANDLE");
    ASSERT_NE(g, nullptr);
    host.setVar(Lever, 16383);
    host.setVar(CentreLeg, 8000);
    EXPECT_EQ(gearLights(host, *g), Lights(6, false));  // no power
    EXPECT_DOUBLE_EQ(g->drawState()[1].offset_y, 16383 * 0.0116);
    click(*g, 60, 100);
    click(*g, 10, 300);  // the lights' area does nothing
    EXPECT_FALSE(g->press(60, 30));
    EXPECT_EQ(host.events(), (Events{{SentEvent::MouseArea, 65570, 0}}));

    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    moduleVar<uint32_t>(host, "PowerAvailable") = 1;
    for (int n = 1; n <= 4; ++n) host.setVar(thrustLever(n), 5000);
    for (uint32_t leg : {LeftLeg, CentreLeg, RightLeg}) host.setVar(leg, 16383);
    EXPECT_EQ(gearLights(host, *g), (Lights{1, 1, 1, 0, 0, 0}));
    host.setVar(RightLeg, 16382);
    host.setVar(CentreLeg, 8000);  // on its way: unsafe below 12000
    EXPECT_EQ(gearLights(host, *g), (Lights{1, 0, 0, 1, 1, 0}));
    host.setVar(CentreLeg, 14000);
    EXPECT_EQ(gearLights(host, *g), (Lights{1, 0, 0, 0, 1, 0}));
    host.setVar(thrustLever(1), 1799);  // not down at approach power: unsafe
    EXPECT_EQ(gearLights(host, *g), (Lights{1, 0, 0, 1, 1, 0}));
    host.setVar(CentreLeg, NaN);
    EXPECT_EQ(gearLights(host, *g), (Lights{1, 0, 0, 0, 0, 0}));

    // Reverse: thrust times running, over the engines, below -6000.
    host.setVar(CentreLeg, 16383);
    for (int n = 1; n <= 4; ++n) {
        host.setVar(thrustLever(n), -2000);
        host.setVar(engineRunning(n), n <= 2 ? 1.0 : 0.0);
    }
    EXPECT_EQ(gearLights(host, *g), (Lights{1, 1, 0, 0, 0, 0}));
    for (int n = 3; n <= 4; ++n) host.setVar(engineRunning(n), 1.0);
    EXPECT_EQ(gearLights(host, *g), (Lights{1, 1, 0, 0, 0, 1}));
}

TEST(Pitot, SelectorSwitchesTheHeatAtItsFirstStepAndStopsAtBothEnds) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("PITOT");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->tooltipAt(60, 60), "Pitot Heater Switch");
    auto position = [&] {
        host.frame();
        return g->drawState().back().image;
    };
    auto up = [&](int times) {
        for (int i = 0; i < times; ++i) click(*g, 40, 5);
    };
    auto down = [&](int times) {
        for (int i = 0; i < times; ++i) click(*g, 30, 5);
    };
    down(1);  // already off
    up(1);
    EXPECT_EQ(position(), 1);
    EXPECT_EQ(host.events(), (Events{{SentEvent::Module, 66072, 0}}));
    up(5);
    EXPECT_EQ(position(), 5);
    // With the host's heat on, initialisation keeps the position.
    host.setVar(PitotHeat, 1);
    host.createGauge("PITOT");
    EXPECT_EQ(position(), 5);
    down(4);
    EXPECT_EQ(host.events().size(), 1u);
    down(2);
    EXPECT_EQ(position(), 0);
    EXPECT_EQ(host.events(),
              (Events{{SentEvent::Module, 66072, 0}, {SentEvent::Module, 66073, 0}}));
    up(1);
    host.setVar(PitotHeat, 0);
    host.createGauge("PITOT");
    EXPECT_EQ(position(), 0);
}

#if !defined(_WIN32)

TEST(Pitot, EveryStepClicksAndWithPowerBlinksTheHeaterFailureLight) {
    twtest::ScratchFolder dir;
    twtest::writeCockpitSounds(dir);
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    host.createGauge("FLOOD_SW");
    tw::Gauge* g = host.createGauge("PITOT");
    int32_t& inop = moduleVar<int32_t>(host, "PitotHeaterInop");
    int32_t& deadline = moduleVar<int32_t>(host, "PitotHeaterInopDeadline");
    auto clicks = [&] { return twtest::soundInfo(host, "sndClick").playCalls; };
    click(*g, 40, 5);  // no power: a click only
    EXPECT_EQ(clicks(), 1u);
    EXPECT_EQ(inop, 0);
    moduleVar<uint32_t>(host, "PowerAvailable") = 1;
    host.setVar(TickCounter, 700.9);
    click(*g, 40, 5);
    EXPECT_EQ(inop, 1);
    EXPECT_EQ(deadline, 705);
    for (int i = 0; i < 3; ++i) click(*g, 30, 5);  // the third goes nowhere, silently
    for (int i = 0; i < 6; ++i) click(*g, 40, 5);  // so does the sixth
    EXPECT_EQ(clicks(), 9u);
    host.setVar(TickCounter, 2147483647.0);  // the last deadline there is
    click(*g, 30, 5);
    EXPECT_EQ(deadline, 2147483647);
}

#endif  // !_WIN32

TEST(RadioAltimeter, FeetOnAScaleEndingAt3000WithDecisionHeightAndSelfTest) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    uint32_t& power = moduleVar<uint32_t>(host, "PowerAvailable");
    tw::Gauge* g = host.createGauge("RADALT1");
    ASSERT_NE(g, nullptr);
    // Light image, altitude, decision height and the flag.
    struct View {
        int32_t light;
        double altitude, decision_height;
        bool flag;
    };
    auto view = [&] {
        host.frame();
        const auto& d = g->drawState();
        return View{d[2].image, d[3].value, d[4].value, !d[5].hidden};
    };
    host.setVar(RadioAltitudeMetres, 100);
    View v = view();
    EXPECT_EQ(v.altitude, 0);  // no power
    EXPECT_TRUE(v.flag);
    power = 1;
    for (auto [metres, feet] : {std::pair{100.7, 328.0},
                                {1000.0, 3000.0},
                                {-20.0, 0.0},
                                {NaN, 0.0},
                                {std::numeric_limits<double>::infinity(), 0.0}}) {
        host.setVar(RadioAltitudeMetres, metres);
        v = view();
        EXPECT_DOUBLE_EQ(v.altitude, feet) << metres;
        EXPECT_FALSE(v.flag);
    }
    host.setVar(RadioAltitudeMetres, 100);  // 328 ft
    EXPECT_EQ(g->tooltipAt(150, 150), "Radar Altimeter (328 feet)");
    host.setVar(Units, 2);
    EXPECT_EQ(g->tooltipAt(150, 150), "Radar Altimeter (100 metres)");

    // The light burns while the decision height is above the altitude.
    click(*g, 300, 300, 32);
    EXPECT_EQ(view().decision_height, 330);
    EXPECT_EQ(view().light, 1);
    click(*g, 250, 300);
    EXPECT_EQ(view().light, 0);
    click(*g, 250, 300, 100);  // stops at -50: the altitude never lights it
    host.setVar(RadioAltitudeMetres, -5);
    v = view();
    EXPECT_EQ(v.decision_height, -50);
    EXPECT_EQ(v.light, 0);
    click(*g, 300, 300, 400);
    EXPECT_EQ(view().decision_height, 3000);
    click(*g, 250, 300, 400);

    // The test: 2500 ft, light and flag until the tick counter passes +72.
    host.setVar(RadioAltitudeMetres, 10);
    host.setVar(TickCounter, 100.8);
    click(*g, 40, 250);
    v = view();
    EXPECT_EQ(v.altitude, 2500);
    EXPECT_EQ(v.light, 1);
    EXPECT_TRUE(v.flag);
    host.setVar(TickCounter, 172);
    EXPECT_EQ(view().altitude, 2500);
    host.setVar(TickCounter, 173);
    v = view();
    EXPECT_DOUBLE_EQ(v.altitude, 32.8);
    EXPECT_EQ(v.light, 0);
    EXPECT_FALSE(v.flag);
    click(*g, 40, 250);
    click(*g, 40, 250);  // a second press stops it at once
    EXPECT_DOUBLE_EQ(view().altitude, 32.8);
}

}  // namespace gear_pitot_radalt_test
