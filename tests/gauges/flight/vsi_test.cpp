// VSI on the bundled host: the needle within the dial, the tooltip unlimited.

#include <gtest/gtest.h>

#include "host/host.h"
#include "host/needle_scale.h"

namespace vsi_test {

namespace {
constexpr uint32_t VerticalSpeedRaw = 65, Units = 335;
}

TEST(Vsi, NeedleStopsAtTheDialWhileTheTooltipShowsTheSpeed) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("VSI");
    ASSERT_NE(g, nullptr);
    auto needle = [&] { return g->drawState().back(); };
    host.setVar(VerticalSpeedRaw, 10000);
    host.frames(60);
    EXPECT_EQ(needle().value, 6000);
    EXPECT_NEAR(needle().angle, tw::pointAngle({138, 137}, {257, 119}), 1e-9);
    EXPECT_EQ(g->tooltipAt(100, 100), "Vertical Speed Indicator (7689 ft/m)");
    host.setVar(Units, 2);
    EXPECT_EQ(g->tooltipAt(100, 100), "Vertical Speed Indicator (39 m/s)");

    host.setVar(VerticalSpeedRaw, -1000 * 1.30048);
    host.frames(60);
    EXPECT_DOUBLE_EQ(needle().value, -1000);
    EXPECT_NEAR(needle().angle, tw::pointAngle({138, 137}, {46, 218}), 1e-9);
    host.setVar(VerticalSpeedRaw, -1e9);
    host.frame();
    EXPECT_EQ(needle().value, -6000);

    // The needle turns at most 6 degrees an update.
    double before = needle().angle;
    host.setVar(VerticalSpeedRaw, 0);
    host.frame();
    EXPECT_NEAR(needle().angle, before + 6, 1e-9);
    EXPECT_EQ(g->mouseAreas().helpIdAt(274, 272), 43894u);
}

}  // namespace vsi_test
