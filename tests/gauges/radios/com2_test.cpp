// COM2 on the bundled host: the module's own frequency on the drums, tuned
// across the band's edges in both directions by both knobs, and the 25 kHz
// knob held at the drums' ends.

#include <gtest/gtest.h>

#include <vector>

#include "host/host.h"
#include "tests/support/module_api.h"

namespace com2_test {

namespace {

struct Point {
    int32_t x, y;
};
constexpr Point MhzUp{30, 10}, MhzDown{100, 64}, StepUp{120, 29}, StepDown{188, 40};

using Digits = std::vector<double>;

// The five drums, left to right: the leading 1, tens and units of MHz (ten
// units a digit), hundreds of kHz and the 25 kHz step's digit.
Digits shown(tw::Host& host, const tw::Gauge& g) {
    host.frame();
    Digits out;
    for (const auto& s : g.drawState())
        if (s.type == ElementMovingImage) out.push_back(s.value_y);
    return out;
}

void click(tw::Gauge& g, Point p, int times = 1) {
    ASSERT_TRUE(g.press(p.x, p.y));
    g.repeat(times - 1);
    g.release();
    EXPECT_EQ(g.lastMouseResult(), 0);
}

}  // namespace

TEST(Com2, StepsShowTheirDigitsAndCarryIntoTheTenths) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("COM2");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(shown(host, *g), (Digits{1, 30, 40, 5, 0}));  // 134.500
    click(*g, StepUp);
    EXPECT_EQ(shown(host, *g), (Digits{1, 30, 40, 5, 2}));
    click(*g, StepUp);
    EXPECT_EQ(shown(host, *g), (Digits{1, 30, 40, 5, 5}));
    click(*g, StepUp);
    EXPECT_EQ(shown(host, *g), (Digits{1, 30, 40, 5, 7}));
    click(*g, StepUp);
    EXPECT_EQ(shown(host, *g), (Digits{1, 30, 40, 6, 0}));  // 134.600
    click(*g, StepDown);
    EXPECT_EQ(shown(host, *g), (Digits{1, 30, 40, 5, 7}));  // 134.575
    click(*g, StepDown, 3);
    EXPECT_EQ(shown(host, *g), (Digits{1, 30, 40, 5, 0}));
    EXPECT_TRUE(host.events().empty());
}

TEST(Com2, MhzKnobWrapsAtTheBandsEdgesTheStepKnobAtTheDrums) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("COM2");
    click(*g, MhzUp);
    EXPECT_EQ(shown(host, *g), (Digits{1, 30, 50, 5, 0}));  // 135.5
    click(*g, MhzUp);
    EXPECT_EQ(shown(host, *g), (Digits{1, 10, 80, 0, 0}));  // 118.0, whatever the tenths
    click(*g, StepUp, 20);
    EXPECT_EQ(shown(host, *g), (Digits{1, 10, 80, 5, 0}));  // 118.5
    click(*g, MhzDown);
    EXPECT_EQ(shown(host, *g), (Digits{1, 30, 50, 9, 0}));  // 135.9

    // The 25 kHz knob carries and borrows past the band: 135.975 up gives
    // 136.000, 118.000 down 117.975; the MHz knob brings it back.
    click(*g, StepUp, 3);
    EXPECT_EQ(shown(host, *g), (Digits{1, 30, 50, 9, 7}));
    click(*g, StepUp);
    EXPECT_EQ(shown(host, *g), (Digits{1, 30, 60, 0, 0}));  // 136.000
    click(*g, StepDown);
    EXPECT_EQ(shown(host, *g), (Digits{1, 30, 50, 9, 7}));
    click(*g, StepDown, 4);
    EXPECT_EQ(shown(host, *g), (Digits{1, 30, 50, 8, 7}));  // 135.875
    click(*g, MhzUp);
    EXPECT_EQ(shown(host, *g), (Digits{1, 10, 80, 0, 7}));  // 118.075
    click(*g, StepDown, 4);
    EXPECT_EQ(shown(host, *g), (Digits{1, 10, 70, 9, 7}));  // 117.975
    click(*g, MhzDown);
    EXPECT_EQ(shown(host, *g), (Digits{1, 30, 50, 9, 7}));  // 135.975
    click(*g, StepUp, 5);
    click(*g, MhzUp);
    EXPECT_EQ(shown(host, *g), (Digits{1, 10, 80, 0, 0}));  // from 136.100

    // It stops where the drums end, at 100.000 and 199.975.
    click(*g, StepDown, 18 * 40 + 10);
    EXPECT_EQ(shown(host, *g), (Digits{1, 0, 0, 0, 0}));
    click(*g, StepUp);
    EXPECT_EQ(shown(host, *g), (Digits{1, 0, 0, 0, 2}));  // 100.025
    click(*g, StepUp, 100 * 40);
    EXPECT_EQ(shown(host, *g), (Digits{1, 90, 90, 9, 7}));
    click(*g, StepDown);
    EXPECT_EQ(shown(host, *g), (Digits{1, 90, 90, 9, 5}));
}

TEST(Com2, StepDrumKeepsItsLastDigitForAStepOutsideZeroToThree) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    tw::Gauge* g = host.createGauge("COM2");
    click(*g, StepUp, 3);
    EXPECT_EQ(shown(host, *g).back(), 7);
    EXPECT_EQ(moduleVar<double>(host, "Com2Frequency"), 1345);
    EXPECT_EQ(moduleVar<double>(host, "Com2Step"), 3);
    moduleVar<double>(host, "Com2Step") = 1.5;
    EXPECT_EQ(shown(host, *g).back(), 7);
    EXPECT_EQ(moduleVar<int32_t>(host, "Com2StepDigit"), 7);
    moduleVar<double>(host, "Com2Frequency") = -20;
    EXPECT_EQ(shown(host, *g), (Digits{1, 0, 0, 0, 7}));
}

}  // namespace com2_test
