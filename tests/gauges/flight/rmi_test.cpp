// RMI on the bundled host: the selector's cycle and the sources it gives each
// pointer, the second ADF's radial from the host's calculator, the flag.

#include <gtest/gtest.h>

#include "host/host.h"

namespace rmi_test {

namespace {

constexpr uint32_t Pointer1Normal = 39, Pointer2Normal = 59, Pointer1Alternate = 550, Heading = 81,
                   NavFlag = 276, FurtherPower = 364;
constexpr const char* Radial = "(A:ADF RADIAL:2,degrees)";
constexpr size_t Card = 1, Pointer2 = 2, Pointer1 = 3, Flag = 4, Selector = 5;

void turn(tw::Gauge& g, bool up) {
    ASSERT_TRUE(up ? g.press(10, 20) : g.press(40, 40));
    g.release();
}

}  // namespace

TEST(Rmi, SelectorCyclesAndSwitchesThePointersSources) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("RMI");
    ASSERT_NE(g, nullptr);
    host.setVar(Pointer1Normal, 10);
    host.setVar(Pointer1Alternate, 20);
    host.setVar(Pointer2Normal, 30);
    host.setCalculatorResult(Radial, 40.5);
    host.setVar(Heading, 123);
    struct Step {
        bool up;
        double mode, pointer1, pointer2;
    };
    const Step steps[] = {
        {false, 315, 10, 40.5}, {false, 225, 20, 40.5}, {false, 135, 20, 30},  {false, 45, 10, 30},
        {true, 135, 20, 30},    {true, 225, 20, 40.5},  {true, 315, 10, 40.5}, {true, 45, 10, 30},
    };
    host.frame();
    EXPECT_EQ(g->drawState()[Selector].value, 45);
    EXPECT_EQ(g->drawState()[Card].rotation, 123);
    EXPECT_EQ(g->drawState()[Card].texture_scale_x, 1.2);
    for (const Step& s : steps) {
        turn(*g, s.up);
        host.frame();
        const auto& d = g->drawState();
        SCOPED_TRACE(s.mode);
        EXPECT_EQ(d[Selector].value, s.mode);
        EXPECT_EQ(d[Pointer1].value, s.pointer1 - 90);
        EXPECT_EQ(d[Pointer2].value, s.pointer2 - 90);
    }
    EXPECT_EQ(g->lastMouseResult(), 0);

    // A radial the host cannot give shows as 0.
    turn(*g, false);
    host.forgetCalculatorResult(Radial);
    host.frame();
    EXPECT_EQ(g->drawState()[Pointer2].value, -90);
    EXPECT_EQ(g->mouseAreas().helpIdAt(200, 200), 43866u);
    EXPECT_TRUE(host.events().empty());
}

TEST(Rmi, FlagDropsWithoutPowerOrOnItsInput) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("RMI");
    host.frame();
    EXPECT_EQ(g->drawState()[Flag].image, 0);
#if !defined(_WIN32)
    host.createGauge("FLOOD_SW");
    host.setVar(FurtherPower, 1.0);
    host.runTicks(1);
    EXPECT_EQ(g->drawState()[Flag].image, -1);
    EXPECT_TRUE(g->drawState()[Flag].hidden);
    host.setVar(NavFlag, 1);
    host.frame();
    EXPECT_EQ(g->drawState()[Flag].image, 0);
#endif
}

}  // namespace rmi_test
