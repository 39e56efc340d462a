// EGT1..EGT4 on the bundled host: the host's temperature, the start and
// light-off temperatures, the tooltip and the face the parameter picks.

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>

#include "tests/support/panel.h"

namespace egt_test {

namespace {

constexpr size_t Face = 1, Pointer = 2, Vernier = 3;
constexpr uint32_t egt(int n) { return 567 + 10 * (n - 1); }
constexpr uint32_t running(int n) { return 131 + 35 * (n - 1); }

}  // namespace

TEST(Egt, ShowsTheHostsTemperatureInCelsius) {
    twtest::Panel p({"EGT1", "EGT2", "EGT3", "EGT4"});
    const double rankine[4] = {1031.67, 2900.0, 0.0, NAN};
    const double celsius[4] = {300.0, 1200.0, 0.0, 0.0};
    for (int n = 1; n <= 4; ++n) {
        p.host.setVar(running(n), n % 2);
        p.host.setVar(egt(n), rankine[n - 1]);
    }
    p.host.frame();
    for (int n = 1; n <= 4; ++n)
        EXPECT_NEAR(p.element("EGT" + std::to_string(n), Pointer).value, celsius[n - 1], 1e-9);
    EXPECT_NEAR(p.element("EGT1", Vernier).value, 0.0, 1e-9);
    EXPECT_EQ(p.tooltip("EGT1", 100, 100),
              "Engine 1 EGT (300 \xB0"
              "C)");
    EXPECT_EQ(p.tooltip("EGT2", 100, 100),
              "Engine 2 EGT (1337 \xB0"
              "C)");  // not held
    EXPECT_EQ(p.tooltip("EGT3", 100, 100),
              "Engine 3 EGT (-273 \xB0"
              "C)");

    // The parameter picks one of the two faces; any other shows the first.
    const char* params[] = {"", "1", "2", " 2x", "3", "6", "7", "-2147483648"};
    const int32_t faces[] = {0, 0, 1, 1, 0, 0, 0, 0};
    for (size_t i = 0; i < std::size(params); ++i) {
        tw::Gauge* g = p.host.createGauge("EGT1", params[i]);
        p.host.frame();
        EXPECT_EQ(g->drawState()[Face].image, faces[i]) << params[i];
        p.host.destroyGauge(g);
    }
}

TEST(Egt, StartAndLightOffTemperaturesOnPointerAndTooltip) {
    twtest::Panel p({"EGT1", "EGT4"});
    if (!p.symbols()) GTEST_SKIP() << "sets the start state";
    double* seconds = &moduleVar<double>(p.host, "StarterSeconds");
    double* fuel_time = &moduleVar<double>(p.host, "FuelLeverTime");
    uint32_t* engaged = &moduleVar<uint32_t>(p.host, "StarterEngaged");
    uint32_t* light_off = &moduleVar<uint32_t>(p.host, "LightOffActive");
    for (int i : {0, 3}) {
        seconds[i] = 40.0;
        fuel_time[i] = 10.0;
        engaged[i] = 1;
        p.host.setVar(egt(i + 1), 1031.67);
    }
    // Each engine's own start factor on the pointer; the tooltip takes 3.4 for
    // every engine, so engine 4's reads above its pointer.
    p.host.frame();
    EXPECT_NEAR(p.element("EGT1", Pointer).value, 170.0, 1e-9);
    EXPECT_NEAR(p.element("EGT4", Pointer).value, 160.0, 1e-9);
    EXPECT_EQ(p.tooltip("EGT1", 100, 100),
              "Engine 1 EGT (170 \xB0"
              "C)");
    EXPECT_EQ(p.tooltip("EGT4", 100, 100),
              "Engine 4 EGT (170 \xB0"
              "C)");

    // Lever closed during the start: the pointer keeps its value, the tooltip
    // tells the host's.
    fuel_time[3] = 0.0;
    p.host.frame();
    EXPECT_NEAR(p.element("EGT4", Pointer).value, 160.0, 1e-9);
    EXPECT_EQ(p.tooltip("EGT4", 100, 100),
              "Engine 4 EGT (300 \xB0"
              "C)");

    // Running with the light-off going on: 320 whatever the host says.
    p.host.setVar(running(4), 1.0);
    light_off[3] = 1;
    p.host.frame();
    EXPECT_EQ(p.element("EGT4", Pointer).value, 320.0);
    EXPECT_EQ(p.tooltip("EGT4", 100, 100),
              "Engine 4 EGT (320 \xB0"
              "C)");
    light_off[3] = 0;
    p.host.frame();
    EXPECT_NEAR(p.element("EGT4", Pointer).value, 300.0, 1e-9);
}

}  // namespace egt_test
