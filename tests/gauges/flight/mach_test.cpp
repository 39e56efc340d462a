#include <gtest/gtest.h>

#include <optional>

#include "host/host.h"
#include "host/needle_scale.h"

namespace mach_test {

namespace {

constexpr uint32_t Mach = 64;  // Mach times 20480
constexpr PIXPOINT Centre{141, 138};

double angleOf(PIXPOINT p) { return tw::pointAngle(Centre, p); }

const tw::ElementState& pointer(const tw::Gauge& g) {
    const auto& d = g.drawState();
    EXPECT_EQ(d.size(), 3u);
    EXPECT_EQ(d.back().resource_id, 0x1110u);
    return d.back();
}

}  // namespace

TEST(Mach, NeedleRestsOnThePointThreeMarkAndNeverReachesOne) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("MACH");
    ASSERT_NE(g, nullptr);
    // Nothing but its elements and tooltip drive the gauge.
    EXPECT_EQ(g->header()->gauge_callback, nullptr);

    host.frame();
    EXPECT_EQ(pointer(*g).value, 0.3);
    EXPECT_NEAR(pointer(*g).angle, angleOf({206, 41}), 1e-9);
    EXPECT_EQ(g->tooltipAt(130, 130), "Machmeter (0.000 Mach)");

    // The tooltip divides by 20480, the needle by a little less.
    host.setVar(Mach, 0.8 * 20480);
    host.frames(40);
    EXPECT_DOUBLE_EQ(pointer(*g).value, 16384 / 20469.6875);
    EXPECT_GT(pointer(*g).angle, angleOf({29, 188}));
    EXPECT_LT(pointer(*g).angle, angleOf({23, 101}));
    EXPECT_EQ(g->tooltipAt(130, 130), "Machmeter (0.800 Mach)");

    host.setVar(Mach, 30000);
    host.frames(40);
    EXPECT_EQ(pointer(*g).value, 0.999);
    double a09 = angleOf({23, 101}), a10 = angleOf({77, 35});
    EXPECT_NEAR(pointer(*g).angle, a09 + (a10 - a09) * 0.99, 1e-6);
    EXPECT_EQ(g->tooltipAt(130, 130), "Machmeter (1.465 Mach)");

    // Just below the needle's floor, the tooltip is not clamped.
    host.setVar(Mach, 0.29 * 20480);
    host.frames(40);
    EXPECT_EQ(pointer(*g).value, 0.3);
    EXPECT_EQ(g->tooltipAt(130, 130), "Machmeter (0.290 Mach)");
}

TEST(Mach, NeedleTurnsAtMostNineDegreesPerUpdate) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("MACH");
    host.frame();
    double start = pointer(*g).angle;
    host.setVar(Mach, 0.9 * 20469.6875);
    host.frame();
    EXPECT_NEAR(pointer(*g).angle, start + 9, 1e-9);
    host.frame();
    EXPECT_NEAR(pointer(*g).angle, start + 18, 1e-9);
    host.frames(60);
    EXPECT_NEAR(pointer(*g).angle, angleOf({23, 101}), 1e-9);
}

TEST(Mach, IsDisplayOnlyWithItsHelpId) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("MACH");
    EXPECT_FALSE(g->press(130, 130));
    EXPECT_EQ(g->lastMouseResult(), std::nullopt);
    EXPECT_EQ(g->mouseAreas().helpIdAt(0, 0), 43525u);
    EXPECT_EQ(g->mouseAreas().helpIdAt(272, 272), 43525u);
    EXPECT_EQ(g->mouseAreas().helpIdAt(273, 10), 0u);
    EXPECT_EQ(g->tooltipAt(273, 10), std::nullopt);
    EXPECT_TRUE(host.events().empty());
}

}  // namespace mach_test
