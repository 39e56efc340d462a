// FFFU1..FFFU4 on the bundled host: the flow pointer and tooltip in pounds and
// kilograms, the start flow and the fuel-used drums.

#include <gtest/gtest.h>

#include "tests/support/panel.h"

namespace fuel_flow_test {

namespace {

constexpr uint32_t Units = 335;
constexpr size_t UnitFace = 1, Drums = 2, Pointer = 7;
constexpr uint32_t flow(int n) { return 638 + 19 * (n - 1); }

}  // namespace

TEST(FuelFlow, PointerAndTooltipInPoundsOrKilograms) {
    twtest::Panel p({"FFFU1", "FFFU2", "FFFU3", "FFFU4"});
    const double host[4] = {250.0, 15000.0, 299.9, 4000.0};
    const double shown[4] = {0.0, 12000.0, 0.0, 4000.0};
    for (int n = 1; n <= 4; ++n) p.host.setVar(flow(n), host[n - 1]);
    p.host.frame();
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(p.element("FFFU" + std::to_string(n), Pointer).value, shown[n - 1]) << n;
    EXPECT_EQ(p.element("FFFU1", UnitFace).image, 0);
    EXPECT_EQ(p.tooltip("FFFU1", 100, 100), "Engine 1 Fuel Flow (250 lb/hr) and Totalizer");
    EXPECT_EQ(p.tooltip("FFFU2", 100, 100), "Engine 2 Fuel Flow (15000 lb/hr) and Totalizer");

    // Metric weights (1 and 2): the kilogram face, drawn for twice the factor.
    p.host.setVar(Units, 1.0);
    p.host.frame();
    EXPECT_EQ(p.element("FFFU4", UnitFace).image, 1);
    EXPECT_NEAR(p.element("FFFU4", Pointer).value, 3628.73896, 1e-5);
    EXPECT_EQ(p.tooltip("FFFU4", 100, 100), "Engine 4 Fuel Flow (1814 kg/hr) and Totalizer");
}

TEST(FuelFlow, StartFlowAndTheFuelUsedDrums) {
    twtest::Panel p({"FFFU3"});
    if (!p.symbols()) GTEST_SKIP() << "sets the start state and the totals";
    (&moduleVar<double>(p.host, "FuelLeverTime"))[2] = 0.1;
    p.host.setVar(flow(3), 9000.0);
    p.host.frame();
    EXPECT_EQ(p.element("FFFU3", Pointer).value, 600.0);
    EXPECT_EQ(p.tooltip("FFFU3", 100, 100), "Engine 3 Fuel Flow (600 lb/hr) and Totalizer");
    p.host.setVar(131 + 70, 1.0);  // running: the host's flow again
    p.host.frame();
    EXPECT_EQ(p.element("FFFU3", Pointer).value, 9000.0);

    double& used = (&moduleVar<double>(p.host, "FuelUsed"))[2];
    auto drums = [&] {
        p.host.frame();
        std::vector<double> v;
        for (size_t i = Drums; i < Drums + 5; ++i) v.push_back(p.element("FFFU3", i).value_y);
        return v;
    };
    used = 12345.6;
    const std::vector<double> shown = drums();
    EXPECT_EQ(std::vector<double>(shown.begin(), shown.begin() + 4),
              (std::vector<double>{10, 20, 30, 40}));
    EXPECT_NEAR(shown[4], 5.6, 1e-9);
    used = 12349.5;  // the tens drum halfway to 5
    EXPECT_EQ(drums()[3], 45.0);
    used = -3.0;
    EXPECT_EQ(drums()[0], 0.0);
    p.host.setVar(Units, 2.0);
    used = 1000.0 / 0.45359237;  // 1000 kg
    EXPECT_EQ(drums()[1], 10.0);
}

}  // namespace fuel_flow_test
