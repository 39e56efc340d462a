// The engine start and ignition panel on the bundled host: duct pressure, the
// arming, ignition and windshield switches and the stick shaker test.

#include <gtest/gtest.h>

#include "tests/support/panel.h"

namespace start_panel_test {

namespace {

constexpr uint32_t TickCounter = 1, FurtherPower = 364, Engine3N2 = 663;
constexpr size_t Needle = 2, Switch = 1;

}  // namespace

TEST(StartPanel, DuctPressureFromEngine3OrTheAirCart) {
    twtest::Panel p({"STARTER_PRESS"});
    p.host.setVar(Engine3N2, 120.9);  // 120 / 2.4
    p.host.frame();
    EXPECT_EQ(p.element("STARTER_PRESS", Needle).value, 42.0);
    EXPECT_EQ(p.tooltip("STARTER_PRESS", 100, 100), "Duct Pressure (50 PSI)");
    EXPECT_EQ(p.tooltip("STARTER_PRESS", 20, 100), "(none)");  // outside the dial's area

    if (!p.symbols()) return;
    moduleVar<int32_t>(p.host, "ExternalAirConnected") = 1;
    auto* seconds = &moduleVar<double>(p.host, "StarterSeconds");
    auto* engaged = &moduleVar<uint32_t>(p.host, "StarterEngaged");
    auto* starter = &moduleVar<uint8_t>(p.host, "StarterSwitch");
    struct Case {
        uint32_t engaged;
        uint8_t starter;
        double seconds, psi;
    };
    // Engine 3's start draws the cart down, and it recovers short of 28; a
    // switch on without a start leaves it, one off with a start gives the cart's.
    const Case cases[] = {{0, 0, 0, 32},   {1, 2, 1, 15}, {1, 2, 2.5, 15},
                          {1, 2, 2.6, 27}, {0, 1, 0, 27}, {1, 0, 1, 32}};
    for (const Case& c : cases) {
        engaged[2] = c.engaged;
        starter[2] = c.starter;
        seconds[2] = c.seconds;
        p.host.frame();
        EXPECT_EQ(p.element("STARTER_PRESS", Needle).value, c.psi) << c.seconds;
    }
}

TEST(StartPanel, SwitchesMoveAndClickOnlyWhenTheyReallyMove) {
    twtest::Panel p({"FLOOD_SW", "START_ARM", "STARTMAN_SEL", "IGNITION_OVERRIDE", "IGNITION_CONT",
                     "WINDSHIELD_HEAT"});
    struct Step {
        const char* gauge;
        int32_t y;  // the upper area turns down, the lower up
        int32_t image;
        unsigned clicks, big_clicks;
    };
    const Step steps[] = {
        {"START_ARM", 5, 1, 1, 0},          {"START_ARM", 65, 0, 2, 0},
        {"STARTMAN_SEL", 5, 2, 3, 0},       {"STARTMAN_SEL", 30, 0, 4, 0},
        {"IGNITION_OVERRIDE", 5, 1, 4, 0},  {"IGNITION_OVERRIDE", 50, 2, 4, 1},
        {"IGNITION_OVERRIDE", 50, 2, 4, 1}, {"IGNITION_OVERRIDE", 30, 1, 4, 2},
        {"IGNITION_CONT", 50, 2, 4, 3},     {"WINDSHIELD_HEAT", 5, 0, 4, 4},
        {"WINDSHIELD_HEAT", 5, 0, 4, 4},    {"WINDSHIELD_HEAT", 50, 1, 4, 5},
        {"WINDSHIELD_HEAT", 50, 2, 4, 6},   {"WINDSHIELD_HEAT", 50, 2, 4, 6},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.gauge) + " at y " + std::to_string(s.y));
        p.click(s.gauge, 5, s.y);
        p.host.frame();
        EXPECT_EQ(p.element(s.gauge, Switch).image, s.image);
        EXPECT_EQ(p.plays("sndClick").value_or(s.clicks), s.clicks);
        EXPECT_EQ(p.plays("sndBigSwitchClick").value_or(s.big_clicks), s.big_clicks);
    }
    EXPECT_EQ(p.tooltip("IGNITION_CONT", 1, 1), "Continuous Ignition Switch");
    EXPECT_EQ(p.tooltip("STARTMAN_SEL", 1, 1), "Engine Start Arm Switch");
}

TEST(StartPanel, StickShakerTestSpringsBackOnTheFirstUpdateAfter18Ticks) {
    twtest::Panel p({"FLOOD_SW", "STALL_TEST"});
    auto position = [&] { return p.element("STALL_TEST", Switch).image; };
    p.host.setVar(TickCounter, 40.7);
    p.click("STALL_TEST", 5, 5);  // no power: no shaker
    EXPECT_EQ(p.plays("sndStickShaker").value_or(0), 0u);
    p.host.setVar(TickCounter, 58.0);  // the deadline, 58, not yet passed
    p.host.frame();
    EXPECT_EQ(position(), 2);
    p.host.setVar(TickCounter, 58.01);
    p.host.frame();
    EXPECT_EQ(position(), 1);

    // With power the shaker sounds; a second press lets the switch go at once.
    p.host.setVar(FurtherPower, 1.0);
    p.host.runTicks(3);
    p.click("STALL_TEST", 5, 5);
    EXPECT_EQ(p.plays("sndStickShaker").value_or(1), 1u);
    p.host.frame();
    EXPECT_EQ(position(), 2);
    p.click("STALL_TEST", 5, 5);
    p.host.frame();
    EXPECT_EQ(position(), 1);
    EXPECT_EQ(p.plays("sndStickShaker").value_or(1), 1u);
}

}  // namespace start_panel_test
