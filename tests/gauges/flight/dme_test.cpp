// DME1 and DME2 on the bundled host: the rolling drums and the tooltip.

#include <gtest/gtest.h>

#include "host/host.h"

namespace dme_test {

namespace {

constexpr uint32_t Dme1 = 31, Dme2 = 35, Units = 335;
constexpr size_t Blank = 2, Hundreds = 3, Tens = 4, UnitsDrum = 5;

struct Drums {
    double hundreds, tens, units;
    bool operator==(const Drums&) const = default;
};

Drums drums(const tw::Gauge& g) {
    const auto& d = g.drawState();
    EXPECT_EQ(d.size(), 6u);
    if (d.size() != 6) return {};
    EXPECT_TRUE(d[Blank].hidden);
    EXPECT_EQ(d[Hundreds].value_x, 1.0);
    return {d[Hundreds].value_y, d[Tens].value_y, d[UnitsDrum].value_y};
}

}  // namespace

TEST(Dme, DrumsRollOverTheirLastNineTenths) {
    tw::Host host;
    tw::Gauge* one = host.createGauge("DME1");
    tw::Gauge* two = host.createGauge("DME2");
    ASSERT_TRUE(one && two);
    host.setVar(Dme1, 123.4);
    host.setVar(Dme2, 99.95);
    host.frame();
    EXPECT_EQ(drums(*one).hundreds, 10);
    EXPECT_EQ(drums(*one).tens, 20);
    EXPECT_NEAR(drums(*one).units, 3.4, 1e-9);
    // 999 tenths: the tens drum rolls from 9 to 10, the hundreds from 0 to 1.
    EXPECT_EQ(drums(*two).hundreds, 9);
    EXPECT_EQ(drums(*two).tens, 99);
    EXPECT_NEAR(drums(*two).units, 9.95, 1e-9);

    host.setVar(Dme1, 195);
    host.setVar(Dme2, -5);
    host.frame();
    EXPECT_EQ(drums(*one), (Drums{10, 90, 5}));
    EXPECT_EQ(drums(*two), (Drums{0, 0, 0}));
}

TEST(Dme, TooltipConvertsWhileTheDrumsStayInNauticalMiles) {
    tw::Host host;
    tw::Gauge* one = host.createGauge("DME1");
    tw::Gauge* two = host.createGauge("DME2");
    host.setVar(Dme1, 123.4);
    host.setVar(Dme2, 7);
    host.frame();
    EXPECT_EQ(one->tooltipAt(90, 40), "DME 1 (123.40 nautical miles)");
    EXPECT_EQ(two->tooltipAt(90, 40), "DME 2 (7.00 nautical miles)");
    host.setVar(Units, 2);
    host.frame();
    EXPECT_EQ(one->tooltipAt(90, 40), "DME 1 (228.54 kilometres)");
    EXPECT_EQ(drums(*one).tens, 20);
    EXPECT_FALSE(one->press(90, 40));
}

}  // namespace dme_test
