// The shared instrument routines, called in the loaded module as its gauges
// call them. Until the gauges that use a routine exist, the routine is found by
// its symbol, which only the Linux module exposes.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "host/host.h"

namespace instruments_test {

namespace {

constexpr uint32_t Airspeed = 61;
constexpr uint32_t Mach = 64;  // Mach times 20480
constexpr uint32_t Units = 335;
constexpr uint32_t DmeDistance = 31;

using GaugeParameterFn = int32_t (*)(const GAUGE_HEADER*);
using DrumFn = int32_t (*)(double, double, int32_t);
using UnitsDrumFn = double (*)(double);
using EprFn = double (*)(double, int32_t);

template <typename Fn>
Fn routine(tw::Host& host, const char* name) {
    return reinterpret_cast<Fn>(host.module().symbol(name));
}

#define TW_ROUTINE(var, type, name)       \
    auto var = routine<type>(host, name); \
    if (!var) GTEST_SKIP() << name << " is not visible outside the module here"

// The EPR to four decimals, as the dials' tooltips show it at most.
long fourDecimals(double epr) { return std::lround(epr * 10000); }

}  // namespace

TEST(GaugeParameter, ReadsTheLeadingIntegerOfTheHostsStringAfreshEachTime) {
    tw::Host host;
    TW_ROUTINE(gaugeParameter, GaugeParameterFn, "gaugeParameter");

    struct Case {
        std::string text;
        int32_t value;
    };
    const std::string spaces1000(1000, ' ');
    const Case cases[] = {
        {"", 0},
        {"2", 2},
        {"  42", 42},
        {"\t\n\v\f\r 7", 7},
        {"-7x", -7},
        {"+15,3", 15},
        {"12 34", 12},
        {"abc", 0},
        {"-", 0},
        {"+-5", 0},
        {"- 5", 0},
        {"0x1F", 0},
        {"007", 7},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        // Beyond the int32 range the value saturates.
        {"2147483648", INT32_MAX},
        {"-2147483649", INT32_MIN},
        {"99999999999999999999999999", INT32_MAX},
        {"-99999999999999999999999999", INT32_MIN},
        {std::string(100000, '9'), INT32_MAX},
        // The whole string is read, however long its white space runs.
        {spaces1000 + "5", 5},
        {std::string(1020, ' ') + "12345", 12345},
        {std::string(1030, ' ') + "5", 5},
        {std::string(100000, '\t') + "-12", -12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.size() < 40 ? c.text : std::to_string(c.text.size()) + " characters");
        tw::Gauge* g = host.createGauge("MACH", c.text);
        ASSERT_NE(g, nullptr);
        // The host left this instance's string in the shared header.
        EXPECT_EQ(gaugeParameter(g->header()), c.value);
    }

    tw::Gauge* g = host.createGauge("MACH", "3");
    EXPECT_EQ(gaugeParameter(g->header()), 3);
    g->header()->parameters = "4";
    EXPECT_EQ(gaugeParameter(g->header()), 4);
    // A host that gives no string at all reads as 0, like an empty one.
    g->header()->parameters = nullptr;
    EXPECT_EQ(gaugeParameter(g->header()), 0);
    EXPECT_EQ(gaugeParameter(nullptr), 0);
}

TEST(UnitSystem, OnlyTwoMakesSpeedsAndDistancesMetricWhileAnyNonZeroMakesWeightsMetric) {
    tw::Host host;
    TW_ROUTINE(speedOrDistance, TooltipNumberCallback, "tooltipSpeedOrDistance");
    TW_ROUTINE(raw, TooltipNumberCallback, "tooltipRawValue");
    TW_ROUTINE(speedLabel, TooltipStringCallback, "tooltipSpeedLabel");
    TW_ROUTINE(vsLabel, TooltipStringCallback, "tooltipVerticalSpeedLabel");
    TW_ROUTINE(altitudeLabel, TooltipStringCallback, "tooltipAltitudeLabel");
    TW_ROUTINE(distanceLabel, TooltipStringCallback, "tooltipDistanceLabel");
    TW_ROUTINE(weightLabel, TooltipStringCallback, "tooltipWeightLabel");

    // Each argument's own record, refreshed by the host before the callback.
    MODULE_VAR units{Units, nullptr, 0, 0, 0};
    MODULE_VAR speed{Airspeed, nullptr, 0, 0, 0};
    MODULE_VAR distance{DmeDistance, nullptr, 0, 0, 0};
    auto refresh = [&](MODULE_VAR& v) { host.services()->lookup_var(&v); };
    host.setVar(Airspeed, 250);
    host.setVar(DmeDistance, 12);

    struct Case {
        double units;
        bool metric, metric_weight;
    };
    for (Case c : {Case{0, false, false}, Case{1, false, true}, Case{2, true, true},
                   Case{1.999, false, true}, Case{2.5, false, true}, Case{-1, false, true}}) {
        SCOPED_TRACE(c.units);
        host.setVar(Units, c.units);
        refresh(units);
        refresh(speed);
        refresh(distance);
        // The host's own number is ignored: the variable is read.
        EXPECT_DOUBLE_EQ(speedOrDistance(999, 1, "", &speed, nullptr), c.metric ? 463.0 : 250.0);
        EXPECT_DOUBLE_EQ(speedOrDistance(999, 1, "", &distance, nullptr), c.metric ? 22.224 : 12.0);
        EXPECT_STREQ(speedLabel(0, 2, "", &units, nullptr), c.metric ? "km/h" : "knots");
        EXPECT_STREQ(vsLabel(0, 2, "", &units, nullptr), c.metric ? "m/s)" : "ft/m)");
        EXPECT_STREQ(altitudeLabel(0, 2, "", &units, nullptr), c.metric ? "metres)" : "feet)");
        EXPECT_STREQ(distanceLabel(0, 2, "", &units, nullptr),
                     c.metric ? "kilometres)" : "nautical miles)");
        EXPECT_STREQ(weightLabel(0, 2, "", &units, nullptr), c.metric_weight ? "kg" : "lb");
    }

    // The speed-or-distance value reads the unit system itself; the labels go
    // by their argument's record as the host last refreshed it.
    host.setVar(Units, 2);
    MODULE_VAR stale_units{Units, nullptr, 0, 0, 0};
    EXPECT_DOUBLE_EQ(speedOrDistance(0, 1, "", &speed, nullptr), 463.0);
    EXPECT_STREQ(speedLabel(0, 2, "", &stale_units, nullptr), "knots");

    host.setVar(Airspeed, -12.5);
    refresh(speed);
    EXPECT_EQ(raw(3, 1, "", &speed, nullptr), -12.5);
}

TEST(Drums, RestOnTheirDigitAndRollWhileThePlacesBelowPassTheirLastNineCounts) {
    tw::Host host;
    TW_ROUTINE(drum, DrumFn, "drumValue");
    TW_ROUTINE(unitsDrum, UnitsDrumFn, "unitsDrumValue");

    // Hundreds of 1290, 1295, 1300.
    EXPECT_EQ(drum(1290, 1, 2), 20);
    EXPECT_EQ(drum(1295, 1, 2), 25);
    EXPECT_EQ(drum(1300, 1, 2), 30);
    EXPECT_EQ(drum(1290.99, 1, 2), 20);
    EXPECT_EQ(drum(1299.9, 1, 2), 29);
    // The same count from a tenths scale.
    EXPECT_EQ(drum(129.5, 10, 2), 25);
    EXPECT_EQ(drum(129.49, 10, 2), 24);
    // Other places: the roll starts where the places below reach 10^k - 9.
    EXPECT_EQ(drum(5990, 1, 3), 50);
    EXPECT_EQ(drum(5991, 1, 3), 51);
    EXPECT_EQ(drum(5999, 1, 3), 59);
    EXPECT_EQ(drum(6000, 1, 3), 60);
    EXPECT_EQ(drum(1234567, 1, 4), 30);
    EXPECT_EQ(drum(99995, 1, 4), 95);
    EXPECT_EQ(drum(199996, 1, 5), 16);
    EXPECT_EQ(drum(199990, 1, 5), 10);
    EXPECT_EQ(drum(40, 1, 1), 40);
    EXPECT_EQ(drum(47, 1, 1), 47);
    // Negative quantities read as 0; so do counts the integer cannot hold.
    EXPECT_EQ(drum(-1295, 1, 2), 0);
    EXPECT_EQ(drum(3e9, 1, 2), 0);
    EXPECT_EQ(drum(NAN, 1, 2), 0);
    EXPECT_EQ(drum(2147483647, 1, 9), 20);

    EXPECT_NEAR(unitsDrum(123.45), 3.45, 1e-9);
    EXPECT_NEAR(unitsDrum(9.75), 9.75, 1e-12);
    EXPECT_EQ(unitsDrum(10), 0);
    EXPECT_EQ(unitsDrum(0), 0);
    EXPECT_NEAR(unitsDrum(-3.5), -3.5, 1e-12);  // callers clamp where they need to
    EXPECT_NEAR(unitsDrum(-13.5), -3.5, 1e-12);
    EXPECT_NEAR(unitsDrum(5e9 + 7.5), 7.5, 1e-6);
    EXPECT_EQ(unitsDrum(NAN), 0);
    // Non-finite input rests the drum on 0; a clamp of negatives alone would
    // otherwise pass a NaN on to the drawing.
    EXPECT_EQ(unitsDrum(INFINITY), 0);
    EXPECT_EQ(unitsDrum(-INFINITY), 0);
}

TEST(ComputeEpr, MatchesTheReferenceValuesOfBothCurves) {
    tw::Host host;
    TW_ROUTINE(computeEpr, EprFn, "computeEpr");

    // Still air, standing: curve A for variants 1 and 2, curve B for the rest.
    for (int32_t a : {1, 2}) {
        SCOPED_TRACE(a);
        EXPECT_EQ(fourDecimals(computeEpr(60, a)), 13108);
        EXPECT_EQ(fourDecimals(computeEpr(80, a)), 18887);
        EXPECT_EQ(fourDecimals(computeEpr(100, a)), 27884);
    }
    for (int32_t b : {0, 3, 5, -1, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(b);
        EXPECT_EQ(fourDecimals(computeEpr(60, b)), 12595);
        EXPECT_EQ(fourDecimals(computeEpr(80, b)), 15482);
        EXPECT_EQ(fourDecimals(computeEpr(100, b)), 21049);
    }
    // An empty parameter string selects curve B through variant 0.
    TW_ROUTINE(gaugeParameter, GaugeParameterFn, "gaugeParameter");
    tw::Gauge* g = host.createGauge("MACH", "");
    EXPECT_EQ(fourDecimals(computeEpr(80, gaugeParameter(g->header()))), 15482);

    // At exactly 60 % the cubic holds; just above it the quintic takes over.
    EXPECT_EQ(fourDecimals(computeEpr(60.001, 1)), 13099);
    EXPECT_EQ(fourDecimals(computeEpr(60.001, 0)), 12617);

    // Airspeed and Mach, read from the host on every call.
    host.setVar(Airspeed, 250);
    host.setVar(Mach, 0.8 * 20480);
    EXPECT_EQ(fourDecimals(computeEpr(100, 0)), 21680);
    host.setVar(Mach, 0);
    EXPECT_EQ(fourDecimals(computeEpr(100, 0)), 21680);  // no Mach term at 100 %
    host.setVar(Airspeed, 100);
    host.setVar(Mach, 0.5 * 20480);
    EXPECT_EQ(fourDecimals(computeEpr(80, 1)), 18479);
    EXPECT_EQ(fourDecimals(computeEpr(80, 0)), 15329);
}

}  // namespace instruments_test
