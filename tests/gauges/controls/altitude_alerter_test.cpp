// ALT_SEL and its separate light ALT_WARN on the bundled host: the knobs and
// drums, the lights' window either side of the selected altitude, and the
// capture and departure tones.

#include <gtest/gtest.h>

#include <cmath>

#include "host/host.h"
#include "tests/support/module_api.h"

#if !defined(_WIN32)
#include "tests/support/cockpit.h"
#endif

namespace altitude_alerter_test {

namespace {

constexpr uint32_t VerticalSpeedRaw = 65, Altitude = 74, FurtherPower = 364;

struct Point {
    int32_t x, y;
};
constexpr Point Minus50{180, 100}, Plus50{230, 100}, Plus1000{110, 70}, Minus1000{110, 110};
constexpr size_t Light = 2, TenThousands = 3, Thousands = 4, Hundreds = 5;

void dial(tw::Gauge& g, Point p, int times) {
    ASSERT_TRUE(g.press(p.x, p.y));
    g.repeat(times - 1);
    g.release();
}

// The continuous hundreds drum is compared to within rounding.
struct Drums {
    double ten_thousands, thousands, hundreds;
    bool operator==(const Drums& o) const {
        return ten_thousands == o.ten_thousands && thousands == o.thousands &&
               std::abs(hundreds - o.hundreds) < 1e-9;
    }
};
void PrintTo(const Drums& d, std::ostream* os) {
    *os << d.ten_thousands << " " << d.thousands << " " << d.hundreds;
}
Drums drums(tw::Host& host, const tw::Gauge& g) {
    host.frame();
    const auto& d = g.drawState();
    return {d[TenThousands].value_y, d[Thousands].value_y, d[Hundreds].value_y};
}

}  // namespace

TEST(AltitudeAlerter, KnobsSetTheAltitudeTheDrumsShow) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("ALT_SEL");
    dial(*g, Minus50, 1);
    EXPECT_EQ(drums(host, *g), (Drums{0, 0, 0}));
    dial(*g, Plus50, 1);
    dial(*g, Minus1000, 1);  // 50 - 1000 stops at 0
    EXPECT_EQ(drums(host, *g), (Drums{0, 0, 0}));
    dial(*g, Plus1000, 12);
    dial(*g, Plus50, 7);
    EXPECT_EQ(drums(host, *g), (Drums{1, 2, 3.5}));
    dial(*g, Minus1000, 2);
    dial(*g, Minus50, 8);
    EXPECT_EQ(drums(host, *g), (Drums{0, 9, 9.5}));  // 9950
    dial(*g, Plus50, 1);
    EXPECT_EQ(drums(host, *g), (Drums{1, 0, 0}));
    dial(*g, Plus1000, 55);  // 65000: the ten-thousands drum stops at 5
    EXPECT_EQ(drums(host, *g), (Drums{5, 5, 0}));
    EXPECT_EQ(g->tooltipAt(10, 10), "Altitude Alerter");
}

TEST(AltitudeAlerter, DrumsRollFiveFeetEarlyAndHoldBetween965And995) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    tw::Gauge* g = host.createGauge("ALT_SEL");
    int32_t& selected = moduleVar<int32_t>(host, "AlerterAltitude");
    struct Case {
        int32_t feet;
        Drums shown;
    };
    const Case cases[] = {
        {9980, {0, 9, 9.8}},  {9996, {1, 0, 9.96}}, {9995, {1, 9, 9.95}},  // 9995 keeps the 1
        {9994, {0, 9, 9.94}}, {9995, {0, 9, 9.95}}, {1000, {0, 1, 0}},
        {980, {0, 1, 9.8}},   {950, {0, 0, 9.5}},   {980, {0, 0, 9.8}},
        {995, {0, 0, 9.95}},  {996, {0, 1, 9.96}},  {19996, {2, 0, 9.96}},
    };
    for (const Case& c : cases) {
        selected = c.feet;
        EXPECT_EQ(drums(host, *g), c.shown) << c.feet;
    }
    // The top of the range saturates instead of wrapping.
    selected = INT32_MAX - 20;
    dial(*g, Plus1000, 1);
    EXPECT_EQ(selected, INT32_MAX);
    host.setVar(Altitude, -1e300);
    host.frame();
    EXPECT_EQ(moduleVar<int32_t>(host, "AlerterDeviation"), INT32_MAX);
}

TEST(AltitudeAlerter, BothLightsBurnBetween300And1000FeetWithPower) {
    tw::Host host;
    tw::Gauge* sel = host.createGauge("ALT_SEL");
    tw::Gauge* warn = host.createGauge("ALT_WARN");
    host.createGauge("FLOOD_SW");
    dial(*sel, Plus1000, 10);
    host.setVar(FurtherPower, 1.0);
    host.runTicks(1);
    for (double feet : {9700.0, 9699.5, 9001.0, 9000.9, 9000.0, 10300.0, 10300.9, 10301.0, 10999.9,
                        11000.0, 10000.0, 0.0}) {
        host.setVar(Altitude, feet);
        host.frame();
        double off = std::abs(10000 - std::trunc(feet));
        bool lit = off > 300 && off < 1000;
        EXPECT_EQ(!sel->drawState()[Light].hidden, lit) << feet;
        EXPECT_EQ(!warn->drawState()[1].hidden, lit) << feet;
    }
    host.setVar(Altitude, 9500.0);
    host.setVar(FurtherPower, 0.0);
    host.runTicks(1);
    EXPECT_TRUE(sel->drawState()[Light].hidden);
    EXPECT_TRUE(warn->drawState()[1].hidden);
    EXPECT_EQ(warn->tooltipAt(5, 5), "Altitude Alerter Light");
}

#if !defined(_WIN32)

TEST(AltitudeAlerter, TonesInTheirWindowsOnceEachWithOrWithoutPower) {
    twtest::ScratchFolder dir;
    twtest::writeCockpitSounds(dir);
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    host.createGauge("FLOOD_SW");
    tw::Gauge* g = host.createGauge("ALT_SEL");
    dial(*g, Plus1000, 10);  // 10000 feet, no power
    auto plays = [&] { return twtest::soundInfo(host, "sndAltWarn2").playCalls; };
    struct Frame {
        double feet, vs;
        bool tone;
    };
    const Frame frames[] = {
        // Capture: within 1000 feet while closing in.
        {8990, 1, false},
        {9000, 1, false},
        {9000.1, 1, true},
        {9003.9, 1, true},
        {9004, 1, false},
        {10996, -1, false},
        {10999.9, -1, true},
        {11000, -1, false},
        {9002, -1, false},
        {10998, 1, false},
        {9002, 0, false},
        // Departure: 300 feet away while moving off; descending counts the
        // truncated rate.
        {10297, 1, true},
        {10296.9, 1, false},
        {10299.9, 1, true},
        {10300, 1, false},
        {10298, -1, false},
        {9702, -1, true},
        {9702, -0.5, false},
        {9703.5, -1, true},
        {9704, -1, false},
        {9702, 1, false},
    };
    unsigned expected = 0;
    for (const Frame& f : frames) {
        host.setVar(Altitude, f.feet);
        host.setVar(VerticalSpeedRaw, f.vs);
        host.frame();
        expected += f.tone;
        EXPECT_EQ(plays(), expected) << f.feet << " " << f.vs;
    }
    EXPECT_EQ(moduleVar<uint32_t>(host, "PowerAvailable"), 0u);
    EXPECT_FALSE(twtest::soundInfo(host, "sndAltWarn2").looping);
}

#endif  // !_WIN32

}  // namespace altitude_alerter_test
