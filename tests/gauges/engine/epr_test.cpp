// EPR1..EPR4 and OLD_EPR1..OLD_EPR4 on the bundled host: the needles and their
// stops, the shared target bugs and their knobs, the tooltips' variant.

#include <gtest/gtest.h>

#include "tests/support/panel.h"

namespace epr_test {

namespace {

constexpr size_t Bug = 2, Needle = 3;
constexpr uint32_t rotor(int n) { return 626 + 19 * (n - 1); }

struct Point {
    int32_t x, y;
};
constexpr Point Down{20, 290}, Up{45, 290}, OldDown{60, 300}, OldUp{30, 300};

double eprAngle(double epr) { return (epr - 1.15) * 327.27272727272725; }
double oldAngle(double epr) { return (epr - 1.0) * 130 - 45; }

void hold(tw::Gauge& g, Point p, int repeats) {
    ASSERT_TRUE(g.press(p.x, p.y));
    g.repeat(repeats);
    g.release();
}

}  // namespace

TEST(Epr, BugsStayUnsetWithoutAnEngine1Gauge) {
    twtest::Panel p({"EPR2", "EPR3", "OLD_EPR3"});
    p.host.frame();
    EXPECT_NEAR(p.element("EPR2", Bug).value, -703.6363636, 1e-6);
    hold(p["EPR2"], Down, 0);  // -1.01 is below the floor
    hold(p["EPR3"], Up, 0);
    p.host.frame();
    EXPECT_NEAR(p.element("EPR2", Bug).value, eprAngle(0.8), 1e-9);
    EXPECT_NEAR(p.element("EPR3", Bug).value, eprAngle(-0.99), 1e-9);
    EXPECT_NEAR(p.element("OLD_EPR3", Bug).value, oldAngle(-0.99), 1e-9);  // the same bug
    hold(p["OLD_EPR3"], OldUp, 500);
    hold(p["EPR2"], Down, 3);
    p.host.frame();
    EXPECT_NEAR(p.element("EPR3", Bug).value, eprAngle(3.5), 1e-9);
    EXPECT_NEAR(p.element("EPR2", Bug).value, eprAngle(0.8), 1e-9);
}

TEST(Epr, Engine1GaugesSetTheBugsAndTheTooltipsVariant) {
    {
        // OLD_EPR1 first: its bugs and its variant A, until EPR1 chooses B.
        twtest::Panel p({"OLD_EPR1"});
        tw::Gauge* old1 = p.host.createGauge("OLD_EPR1", "1");
        p.host.setVar(rotor(1), 100.0);
        p.host.frame();
        EXPECT_EQ(p.tooltip("OLD_EPR1", 100, 100), "Engine 1 EPR (2.79)");
        EXPECT_NEAR(p.element("OLD_EPR1", Bug).value, oldAngle(2.6), 1e-9);
        p.host.createGauge("EPR1", "1");
        p.host.frame();
        EXPECT_EQ(p.tooltip("OLD_EPR1", 100, 100), "Engine 1 EPR (2.10)");
        EXPECT_NEAR(old1->drawState()[Needle].value, oldAngle(2.7884), 0.02);      // variant A
        EXPECT_NEAR(p.element("OLD_EPR1", Needle).value, oldAngle(2.1049), 0.02);  // no parameter
        EXPECT_NEAR(p.element("OLD_EPR1", Bug).value, oldAngle(2.6), 1e-9);
        hold(*old1, OldDown, 200);  // the floor of 1.0
        p.host.frame();
        EXPECT_NEAR(p.element("OLD_EPR1", Bug).value, oldAngle(1.0), 1e-9);
    }
    // EPR1 first with variant A on its needle: held at 2.23 while the tooltip,
    // variant A once OLD_EPR1 set it, tells 2.79.
    twtest::Panel p({"FLOOD_SW"});
    tw::Gauge* epr1 = p.host.createGauge("EPR1", "1");
    p.host.setVar(rotor(1), 100.0);
    p.host.frame();
    EXPECT_NEAR(epr1->drawState()[Bug].value, eprAngle(1.98), 1e-9);
    EXPECT_NEAR(epr1->drawState()[Needle].value, eprAngle(2.23), 1e-9);
    EXPECT_EQ(epr1->tooltipAt(100, 100), "Engine 1 EPR (2.10)");
    p.host.createGauge("OLD_EPR1", "2");
    EXPECT_EQ(epr1->tooltipAt(100, 100), "Engine 1 EPR (2.79)");
    p.host.setVar(rotor(1), 0.0);
    p.host.frames(40);  // the needle's rate is 6 degrees an update
    EXPECT_NEAR(epr1->drawState()[Needle].value, eprAngle(1.17), 1e-9);
    hold(*epr1, Down, 200);  // engine 1's floor, 1.17
    hold(*epr1, Up, 0);
    p.host.frame();
    EXPECT_NEAR(epr1->drawState()[Bug].value, eprAngle(1.18), 1e-9);
    EXPECT_EQ(epr1->tooltipAt(10, 10), std::nullopt);  // outside the bezel
}

}  // namespace epr_test
