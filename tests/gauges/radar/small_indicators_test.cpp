// TC, PB and apwarn on the bundled host.

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "host/host.h"
#include "tests/support/module_api.h"

namespace small_indicators_test {

namespace {

constexpr uint32_t TickCounter = 1, Ball = 69, Turn = 70, AutopilotMaster = 103, Flag = 279,
                   ParkingBrake = 323;

}  // namespace

TEST(TurnIndicator, NeedleCentredWithoutPowerAndStoppedAtTheDialsEnds) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("TC");
    ASSERT_NE(g, nullptr);
    host.setVar(Turn, 500);
    host.setVar(Ball, 10);
    host.setVar(Flag, 1);
    host.frame();
    const auto& d = g->drawState();
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[1].value, 0);  // no power before the first tick
    // The ball and the flag are the host's own pictures of its variables.
    EXPECT_DOUBLE_EQ(d[2].offset_x, 10 * 0.554688);
    EXPECT_EQ(d[2].offset_y, 0);
    EXPECT_EQ(d[3].image, 1);
    EXPECT_FALSE(g->press(100, 100));

    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    moduleVar<uint32_t>(host, "PowerAvailable") = 1;
    const double inf = std::numeric_limits<double>::infinity();
    for (auto [turn, shown] : {std::pair{500.0, 500.0},
                               {1200.0, 900.0},
                               {-1200.0, -900.0},
                               {std::numeric_limits<double>::quiet_NaN(), 0.0},
                               {-inf, -900.0}}) {
        host.setVar(Turn, turn);
        host.frame();
        EXPECT_EQ(g->drawState()[1].value, shown) << turn;
    }
}

TEST(ParkingBrake, PressSendsTheHostsEventAndTheLightNeedsPower) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("PB");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->tooltipAt(60, 60), "Parking Brake Light");
    ASSERT_TRUE(g->press(126, 126));
    g->release();
    EXPECT_EQ(host.events(), (std::vector<tw::SentEvent>{{tw::SentEvent::MouseArea, 65752, 0}}));
    host.setVar(ParkingBrake, 1);
    host.frame();
    EXPECT_EQ(g->drawState().back().image, 0);  // dark without power

    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    moduleVar<uint32_t>(host, "PowerAvailable") = 1;
    host.frame();
    EXPECT_EQ(g->drawState().back().image, 1);
    host.setVar(ParkingBrake, 0);
    host.frame();
    EXPECT_EQ(g->drawState().back().image, 0);
}

TEST(ApWarning, FlashesAfterTheAutopilotDropsOutUntilPressed) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    uint32_t& power = moduleVar<uint32_t>(host, "PowerAvailable");
    power = 1;
    tw::Gauge* g = host.createGauge("apwarn");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->tooltipAt(5, 5), "Autopilot Warning Light - Press to Reset");
    auto lit = [&](double tick) {
        host.setVar(TickCounter, tick);
        host.frame();
        return !g->drawState().back().hidden;
    };
    auto press = [&] {
        ASSERT_TRUE(g->press(27, 26));
        g->release();
    };
    EXPECT_FALSE(lit(0));  // never engaged since the last reset
    host.setVar(AutopilotMaster, 1);
    EXPECT_FALSE(lit(1));
    host.setVar(AutopilotMaster, 0);  // dropped out: three ticks on, three off
    std::vector<bool> flashes;
    for (double tick = 24; tick < 36; ++tick) flashes.push_back(lit(tick));
    EXPECT_EQ(flashes, (std::vector<bool>{1, 1, 1, 0, 0, 0, 1, 1, 1, 0, 0, 0}));
    press();
    EXPECT_FALSE(lit(36));
    // Pressed while still engaged: the next update latches it again.
    host.setVar(AutopilotMaster, 1);
    lit(40);
    press();
    EXPECT_FALSE(lit(41));
    host.setVar(AutopilotMaster, 0);
    EXPECT_TRUE(lit(42));
    power = 0;  // dark without power; the latch waits
    EXPECT_FALSE(lit(43));
    power = 1;
    EXPECT_TRUE(lit(44));
}

}  // namespace small_indicators_test
