// N1E1..N1E4 and N2E1..N2E4 on the bundled host: the dials' limits, the
// vernier, the tooltips and the start N2.

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/panel.h"

namespace tachometers_test {

namespace {

constexpr size_t Pointer = 2, Vernier = 3;
constexpr uint32_t n1(int n) { return 624 + 19 * (n - 1); }
constexpr uint32_t n2(int n) { return 625 + 19 * (n - 1); }
constexpr uint32_t running(int n) { return 131 + 35 * (n - 1); }

}  // namespace

TEST(Tachometers, EachShowsItsEngineWithinTheDial) {
    twtest::Panel p({"N1E1", "N1E2", "N1E3", "N1E4", "N2E1", "N2E2", "N2E3", "N2E4"});
    const double host[4] = {130.0, 87.6, -5.0, NAN};
    const double shown[4] = {120.0, 87.6, 0.0, 0.0};
    for (int n = 1; n <= 4; ++n) {
        p.host.setVar(n1(n), host[n - 1]);
        p.host.setVar(n2(n), host[4 - n]);  // N2 not running follows the host too
    }
    p.host.frame();
    for (int n = 1; n <= 4; ++n) {
        const std::string e = std::to_string(n);
        SCOPED_TRACE(n);
        EXPECT_DOUBLE_EQ(p.element("N1E" + e, Pointer).value, shown[n - 1]);
        EXPECT_DOUBLE_EQ(p.element("N2E" + e, Pointer).value, shown[4 - n]);
    }
    EXPECT_NEAR(p.element("N1E2", Vernier).value, 7.6, 1e-9);
    EXPECT_EQ(p.element("N1E1", Vernier).value, 0.0);
    EXPECT_EQ(p.tooltip("N1E1", 100, 100), "Engine 1 Fan RPM (120.0%)");
    EXPECT_EQ(p.tooltip("N2E3", 100, 100), "Engine 3 RPM (87.6%)");
    EXPECT_EQ(p.tooltip("N2E4", 10, 10), "(none)");
}

TEST(Tachometers, StartN2FollowsTheStartStateAndTheRunningHost) {
    twtest::Panel p({"N2E2"});
    if (!p.symbols()) GTEST_SKIP() << "sets the start state";
    double& s = (&moduleVar<double>(p.host, "StarterSeconds"))[1];
    uint32_t& engaged = (&moduleVar<uint32_t>(p.host, "StarterEngaged"))[1];
    uint32_t& lever = (&moduleVar<uint32_t>(p.host, "StartLeverOpen"))[1];
    uint8_t& starter = (&moduleVar<uint8_t>(p.host, "StarterSwitch"))[1];
    double& fuel_time = (&moduleVar<double>(p.host, "FuelLeverTime"))[1];
    uint32_t& light_off = (&moduleVar<uint32_t>(p.host, "LightOffActive"))[1];
    uint32_t& power = moduleVar<uint32_t>(p.host, "PowerAvailable");
    auto shown = [&] {
        p.host.frame();
        return p.element("N2E2", Pointer).value;
    };
    p.host.setVar(n2(2), 40.0);

    struct Case {
        uint32_t power, engaged, lever;
        uint8_t starter;
        double s, fuel_time, expected;
    };
    const Case cases[] = {
        {1, 1, 1, 2, 30, 5, 35},   // the fuel time added
        {0, 1, 1, 2, 30, 5, 22},   // no power: back to the starter's own 22
        {1, 1, 1, 2, 60, 5, 62},   // no further until the engine runs
        {1, 1, 0, 2, 30, 5, 22},   // lever closed
        {1, 0, 0, 1, 30, 5, 30},   // no rule: the start progress stays
        {1, 0, 0, 0, 30, 5, 40},   // switch off, lever closed: the host's N2
        {1, 1, 1, 2, 0, 5, 0},     // nothing to add to before the starter turns
        {1, 1, 1, 2, 130, 0, 62},  // held
    };
    for (const Case& c : cases) {
        power = c.power, engaged = c.engaged, lever = c.lever, starter = c.starter;
        s = c.s, fuel_time = c.fuel_time;
        EXPECT_DOUBLE_EQ(shown(), c.expected) << c.s << " " << c.power << c.engaged << c.lever;
    }

    // Running: the host's N2, at least 57; the light-off ends above 63.
    p.host.setVar(running(2), 1.0);
    light_off = 1;
    p.host.setVar(n2(2), 45.0);
    EXPECT_EQ(shown(), 57.0);
    EXPECT_EQ(p.tooltip("N2E2", 100, 100), "Engine 2 RPM (57.0%)");
    p.host.setVar(n2(2), 63.0);
    EXPECT_EQ(shown(), 63.0);
    EXPECT_EQ(light_off, 1u);
    p.host.setVar(n2(2), 63.01);
    EXPECT_EQ(shown(), 63.01);
    EXPECT_EQ(light_off, 0u);
    EXPECT_EQ(s, 63.01);

    // A host N2 that is no number reads 0: a running engine shows 57, a
    // stopped one 0, and none stays in the start progress.
    p.host.setVar(n2(2), NAN);
    EXPECT_EQ(shown(), 57.0);
    p.host.setVar(running(2), 0.0);
    starter = 0, lever = 0;
    EXPECT_EQ(shown(), 0.0);
    EXPECT_EQ(s, 0.0);
}

}  // namespace tachometers_test
