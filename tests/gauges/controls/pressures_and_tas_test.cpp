// AIRBRAKE_PRESS, HYDBRAKE_PRESS, HYDSYS_PRESS, HYDSPLR_PRESS and TAS on the
// bundled host.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "host/host.h"
#include "tests/support/module_api.h"

namespace pressures_and_tas_test {

namespace {

constexpr uint32_t Mach = 64, OutsideAir = 341, Units = 335;

// Mach for a true airspeed at 15 degrees Celsius, in the host's units.
double machFor(double knots) { return knots / std::sqrt(1517.0 * 288.16) * 20480.0; }

}  // namespace

TEST(PressureGauges, ComeUpWithTheStartersAndTheTooltipsShowTheNeedlesValue) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    double* seconds = &moduleVar<double>(host, "StarterSeconds");
    std::array<tw::Gauge*, 4> g{};
    const char* names[] = {"AIRBRAKE_PRESS", "HYDBRAKE_PRESS", "HYDSYS_PRESS", "HYDSPLR_PRESS"};
    for (int i = 0; i < 4; ++i) ASSERT_NE(g[i] = host.createGauge(names[i]), nullptr);
    auto needles = [&] {
        host.frame();
        std::array<double, 4> p{};
        for (int i = 0; i < 4; ++i) p[i] = g[i]->drawState().back().value;
        return p;
    };
    auto tooltip = [&](int i) { return g[i]->tooltipAt(150, 150).value_or(""); };

    EXPECT_EQ(needles(), (std::array<double, 4>{0, 3000, 0, 0}));
    // Engines 2 and 3 at 22 s: the tooltips agree before the needles update.
    seconds[1] = seconds[2] = 22.0;
    EXPECT_EQ(tooltip(0), "Air Brake Pressure:  (2800 PSI)");
    EXPECT_EQ(tooltip(1), "Hydraulic Brake Pressure: (3000 PSI)");
    EXPECT_EQ(tooltip(2), "Hydraulic System Pressure:  (2894 PSI)");
    EXPECT_EQ(tooltip(3), "Hydraulic Spoiler Pressure:  (2900 PSI)");
    EXPECT_EQ(needles(), (std::array<double, 4>{2800, 3000, 2894, 2900}));
    EXPECT_EQ(moduleVar<int32_t>(host, "HydraulicSystemPressure"), 2894);
    // Only engine 1, past 10 s but not 20 s; then engine 4 past 20 s.
    seconds[1] = seconds[2] = 0.0;
    seconds[0] = 20.0;
    EXPECT_EQ(needles(), (std::array<double, 4>{0, 3000, 2850, 0}));
    seconds[3] = 20.01;
    EXPECT_EQ(needles(), (std::array<double, 4>{2800, 3000, 2850, 2900}));
}

TEST(Tas, DrumsRollLikeAnOdometerAndTheFlagShowsBelow89Knots) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("TAS");
    ASSERT_NE(g, nullptr);
    // Hundreds, tens, units and the flag, once the rolling drums have caught
    // up with the units drum.
    auto show = [&](double mach) {
        host.setVar(Mach, mach);
        host.frames(2);
        const auto& d = g->drawState();
        return std::array<double, 4>{d[2].value_y, d[3].value_y, d[4].value_y,
                                     d[5].hidden ? 0.0 : 1.0};
    };
    EXPECT_EQ(show(0), (std::array<double, 4>{0, 0, 0, 1}));
    host.setVar(OutsideAir, 15);
    auto t = show(machFor(456.7));
    EXPECT_EQ(t[0], 40);
    EXPECT_EQ(t[1], 50);
    EXPECT_NEAR(t[2], 6.7, 1e-6);
    EXPECT_EQ(t[3], 0);
    t = show(machFor(499.95));  // both upper drums rolling
    EXPECT_EQ(t[0], 49);
    EXPECT_EQ(t[1], 99);
    EXPECT_EQ(show(machFor(88.99))[3], 1);
    EXPECT_EQ(show(machFor(89.01))[3], 0);
    for (double air : {-300.0, std::numeric_limits<double>::quiet_NaN()}) {
        host.setVar(OutsideAir, air);  // no speed to show: zeros and the flag
        EXPECT_EQ(show(machFor(300)), (std::array<double, 4>{0, 0, 0, 1}));
    }

    // The tooltip, afresh from its own records, is in km/h only where speeds
    // are metric, so that number and label agree.
    host.setVar(OutsideAir, 15);
    host.setVar(Mach, machFor(330.6));
    EXPECT_EQ(g->tooltipAt(100, 100), "True Airspeed Indicator (330 knots)");
    EXPECT_EQ(g->tooltipAt(30, 30), std::nullopt);  // outside the inner area
    host.setVar(Units, 1);
    EXPECT_EQ(g->tooltipAt(100, 100), "True Airspeed Indicator (330 knots)");
    host.setVar(Units, 2);
    EXPECT_EQ(g->tooltipAt(100, 100), "True Airspeed Indicator (612 km/h)");
}

}  // namespace pressures_and_tas_test
