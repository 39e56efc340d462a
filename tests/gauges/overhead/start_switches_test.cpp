// START_SWITCHES and FU_RESET on the bundled host.

#include <gtest/gtest.h>

#include "tests/support/panel.h"

namespace start_switches_test {

namespace {

using tw::SentEvent;
using Events = std::vector<SentEvent>;

constexpr uint32_t TickCounter = 1, FurtherPower = 364;
constexpr uint32_t engineRunning(int n) { return 131 + 35 * (n - 1); }
constexpr uint32_t hostStarter(int n) { return 563 + 10 * (n - 1); }
constexpr uint32_t engineN2(int n) { return 625 + 19 * (n - 1); }
constexpr uint32_t toggle(int n) { return 65927 + 6 * (n - 1); }
constexpr uint32_t longStart(int n) { return 66300 + (n - 1); }
SentEvent sent(uint32_t id) { return {SentEvent::Module, id, 0}; }

constexpr int32_t switchX(int n) { return 42 * (n - 1) + 5; }

// The starter switches with what gates them: arming, duct pressure, power.
struct Overhead : twtest::Panel {
    Overhead() : Panel({"FLOOD_SW", "STARTER_PRESS", "START_ARM", "START_SWITCHES", "N2E4"}) {}
    int32_t position(int n) { return element("START_SWITCHES", size_t(n)).image; }
    void press(int n) { click("START_SWITCHES", switchX(n), 5); }
    void ready(double engine3_n2 = 100.0) {
        host.setVar(FurtherPower, 1.0);
        host.setVar(engineN2(3), engine3_n2);
        host.runTicks(3);  // a systems tick or more, also on a real clock
    }
};

}  // namespace

TEST(StartSwitches, InitialisationTogglesEveryStarterOnce) {
    tw::Host host;
    host.createGauge("START_SWITCHES");
    EXPECT_EQ(host.events(),
              (Events{sent(toggle(1)), sent(toggle(2)), sent(toggle(3)), sent(toggle(4))}));
}

TEST(StartSwitches, StartersRefuseWithoutArmingPressurePowerOrWhenRunning) {
    {
        Overhead p;
        p.ready(67.9);  // 67 / 2.4 = 27.9 PSI
        p.click("START_ARM", 5, 5);
        p.press(1);
        p.host.frame();
        EXPECT_EQ(p.position(1), 1);       // on, nothing started
        p.host.setVar(engineN2(3), 68.0);  // 28.3 PSI
        p.host.setVar(engineRunning(2), 1.0);
        p.host.frame();
        p.press(2);
        p.press(3);
        p.host.frame();
        EXPECT_EQ(p.position(2), 1);  // already running
        EXPECT_EQ(p.position(3), 2);

        p.click("START_ARM", 5, 5);  // disarmed
        p.press(4);
        p.host.frame();
        EXPECT_EQ(p.position(4), 1);
        p.host.clearLogs();
        p.press(4);  // off again: the host's starter is toggled, though none ran
        EXPECT_EQ(p.host.events(), (Events{sent(toggle(4))}));
        p.host.clearLogs();
        p.click("START_ARM", 5, 5);
        p.host.setVar(FurtherPower, 0.0);
        p.host.setVar(engineRunning(2), 0.0);
        p.host.runTicks(1);
        p.press(4);
        p.host.frame();
        EXPECT_EQ(p.position(4), 1);  // no power
        EXPECT_EQ(p.sent(toggle(4)), 0u);
    }
    // Exactly 28 PSI is not enough.
    Overhead q;
    if (!q.symbols()) return;
    q.ready();
    q.click("START_ARM", 5, 5);
    q.host.destroyGauge(&q["STARTER_PRESS"]);
    moduleVar<double>(q.host, "StarterPressure") = 28.0;
    q.press(1);
    q.host.frame();
    EXPECT_EQ(q.position(1), 1);
}

TEST(StartSwitches, TheStarterTimesTheStartAndDrivesTheHostsStarter) {
    Overhead p;
    p.ready();
    p.click("START_ARM", 5, 5);
    p.host.setVar(TickCounter, 1000.7);
    p.press(4);  // engaged at count 1000
    p.host.clearLogs();
    p.counts(300);  // 16.7 s, capped at 22 from 22 s on
    EXPECT_EQ(p.sent(longStart(4)), size_t(300 - 234 + 1));
    p.counts(200);
    EXPECT_EQ(p.element("N2E4", 2).value, 22.0);

    // With the host's starter on, the event goes out only while the probe file
    // was missing at start; once the engine runs the host's starter is let go.
    p.host.setVar(hostStarter(4), 1.0);
    p.host.clearLogs();
    p.host.frame();
    EXPECT_EQ(p.sent(longStart(4)), 1u);  // HostHasSimObjects is 0 here
    p.host.setVar(engineRunning(4), 1.0);
    p.host.frames(2);
    EXPECT_EQ(p.sent(toggle(4)), 2u);

    // Switched off after the start, with no fuel time: the toggle goes out.
    p.host.clearLogs();
    p.press(4);
    EXPECT_EQ(p.host.events(), (Events{sent(toggle(4))}));
    p.host.frame();
    EXPECT_EQ(p.position(4), 0);
}

TEST(StartSwitches, OnceFuelIsTimedTheSwitchOnlyMoves) {
    Overhead p;
    if (!p.symbols()) GTEST_SKIP() << "reads the start state";
    p.ready();
    p.click("START_ARM", 5, 5);
    p.press(2);
    p.counts(10);
    (&moduleVar<double>(p.host, "FuelLeverTime"))[1] = 0.5;
    p.host.clearLogs();
    p.press(2);
    p.host.runTicks(1);
    EXPECT_TRUE(p.host.events().empty());
    EXPECT_EQ(p.position(2), 0);
    EXPECT_EQ((&moduleVar<uint32_t>(p.host, "StarterEngaged"))[1], 1u);
}

TEST(FuelUsedReset, SpringsBackAndResetsAfterSixTicksUnlessPressedAgain) {
    twtest::Panel p({"FU_RESET", "FFFU1"});
    auto drum = [&] { return p.element("FFFU1", 6).value_y; };  // units of fuel used
    p.host.frame();
    double* used = p.symbols() ? &moduleVar<double>(p.host, "FuelUsed") : nullptr;
    if (used) used[0] = 7.5;
    p.host.setVar(TickCounter, 100.9);
    p.click("FU_RESET", 5, 55);
    p.host.frame();
    EXPECT_EQ(p.element("FU_RESET", 1).image, 0);
    p.host.setVar(TickCounter, 106.0);  // the deadline, 106, not yet passed
    p.host.frame();
    EXPECT_EQ(p.element("FU_RESET", 1).image, 0);
    if (used) {
        EXPECT_EQ(drum(), 7.5);
    }
    p.host.setVar(TickCounter, 106.5);
    p.host.frames(2);
    EXPECT_EQ(p.element("FU_RESET", 1).image, 2);
    if (used) {
        EXPECT_EQ(drum(), 0.0);
    }

    // A second press within the six ticks lets it go without a reset.
    if (used) used[0] = 3.0;
    p.click("FU_RESET", 5, 55);
    p.host.setVar(TickCounter, 108.0);
    p.click("FU_RESET", 5, 55);
    p.host.setVar(TickCounter, 200.0);
    p.host.frames(2);
    EXPECT_EQ(p.element("FU_RESET", 1).image, 2);
    if (used) {
        EXPECT_EQ(drum(), 3.0);
    }
    EXPECT_EQ(p.tooltip("FU_RESET", 0, 0), "Fuel Used Gauge Reset Switch");
}

}  // namespace start_switches_test
