// ALT on the bundled host: the three pointers, the barometric scale, the
// setting knob's host events and the tooltip.

#include <gtest/gtest.h>

#include "host/host.h"

namespace alt_test {

namespace {

constexpr uint32_t Altitude = 74, Baro = 76, Units = 335;
constexpr size_t Scale = 1, TenThousands = 2, Thousands = 3, Hundreds = 4;

}  // namespace

TEST(Alt, PointersWindBackBelowZeroAndTheScaleTurnsWithTheSetting) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("ALT");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->header()->size_x_mm, 83u);
    struct Case {
        double feet, tenThousands, thousands, hundreds;
    };
    const Case cases[] = {
        {-50, 99950 * 0.0036 - 90, 268.2, 252},
        {35000, 36, 90, -90},
        {12345.9, 12345 * 0.0036 - 90, 2345 * 0.036 - 90, 345 * 0.36 - 90},
        {-250000.5, 49999 * 0.0036 - 90, 9999 * 0.036 - 90, 999 * 0.36 - 90},
        {1e12, -90, -90, -90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.feet);
        host.setVar(Altitude, c.feet);
        host.frame();
        const auto& d = g->drawState();
        ASSERT_EQ(d.size(), 5u);
        EXPECT_NEAR(d[TenThousands].value, c.tenThousands, 1e-9);
        EXPECT_NEAR(d[Thousands].value, c.thousands, 1e-9);
        EXPECT_NEAR(d[Hundreds].value, c.hundreds, 1e-9);
    }
    host.setVar(Baro, 29.92);
    host.frame();
    EXPECT_NEAR(g->drawState()[Scale].rotation, 178, 1e-9);
    EXPECT_EQ(g->drawState()[Scale].texture_scale_x, 1.1);
    host.setVar(Baro, 30.9);
    host.frame();
    EXPECT_NEAR(g->drawState()[Scale].rotation, 80, 1e-9);
}

TEST(Alt, KnobAreasCarryTheHostsEventsAndTheTooltipIsNotConverted) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("ALT");
    ASSERT_TRUE(g->press(20, 260));
    g->repeat(1);
    g->release();
    ASSERT_TRUE(g->press(50, 300));
    g->release();
    const std::vector<tw::SentEvent> expected = {{tw::SentEvent::MouseArea, 65884, 0},
                                                 {tw::SentEvent::MouseArea, 65884, 0},
                                                 {tw::SentEvent::MouseArea, 65883, 0}};
    EXPECT_EQ(host.events(), expected);
    EXPECT_EQ(g->lastMouseResult(), std::nullopt);
    EXPECT_EQ(g->mouseAreas().helpIdAt(40, 250), 43834u);
    EXPECT_EQ(g->mouseAreas().helpIdAt(150, 150), 43783u);
    EXPECT_FALSE(g->press(150, 150));

    host.setVar(Altitude, 35000.7);
    EXPECT_EQ(g->tooltipAt(150, 150), "Altimeter (35000 feet)");
    host.setVar(Units, 2);
    EXPECT_EQ(g->tooltipAt(40, 250), "Altimeter (35000 metres)");
    host.setVar(Altitude, 5);
    EXPECT_EQ(g->tooltipAt(150, 150), "Altimeter (05 metres)");
}

}  // namespace alt_test
