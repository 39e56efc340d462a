// TAT, TOTAL_FUEL, LOWOILPRESS1 and LOWOILPRESS4 on the bundled host.

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/needle_scale.h"
#include "tests/support/module_api.h"

namespace engine_indicators_test {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr uint32_t Temperature = 350, Units = 335;
constexpr uint32_t QuantityA = 303, QuantityB = 304, QuantityC = 305, PoundsPerGallon = 306;
constexpr uint32_t oilPressure(int n) { return 148 + 35 * (n - 1); }

std::vector<bool> lit(const tw::Gauge& g) {
    std::vector<bool> on;
    for (size_t i = 1; i < g.drawState().size(); ++i) on.push_back(!g.drawState()[i].hidden);
    return on;
}

}  // namespace

TEST(Tat, NeedleStopsBeyondTheDialWhileTheTooltipShowsDegrees) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("TAT");
    ASSERT_NE(g, nullptr);
    const std::array<double, 3> needle_for_token[] = {{0.4, 0.3, 102},
                                                      {0.0390625, 0.0390625, 10},
                                                      {-0.5, -0.2, -128},
                                                      {NaN, -0.2, 0 /* unread */}};
    for (auto [token, needle, degrees] : needle_for_token) {
        host.setVar(Temperature, token);
        host.frames(400);  // a degree per update
        EXPECT_EQ(g->drawState().back().value, needle) << token;
        if (degrees != 0) {
            EXPECT_EQ(g->tooltipAt(150, 150), "Total Air Temperature (" +
                                                  std::to_string(int(degrees)) +
                                                  " \xB0"
                                                  "C)");
        }
    }
    host.setVar(Temperature, 0.0390625);
    host.frames(400);
    EXPECT_NEAR(g->drawState().back().angle, tw::pointAngle({152, 152}, {247, 57}), 1e-9);
}

TEST(TotalFuel, DrumsShowTheWeightInHundredsAndKilogramsWhenMetric) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("TOTAL_FUEL");
    ASSERT_NE(g, nullptr);
    // Hundred-thousands to hundreds, and whether the kg marking shows.
    auto drums = [&] {
        const auto& d = g->drawState();
        return std::vector<double>{d[2].value_y, d[3].value_y, d[4].value_y, d[5].value_y,
                                   d[1].hidden ? 0.0 : 1.0};
    };
    for (uint32_t tank : {QuantityA, QuantityB, QuantityC}) host.setVar(tank, 4000);
    host.setVar(PoundsPerGallon, 6.7);
    // The hundreds drum totals the fuel after the others have drawn.
    host.frame();
    EXPECT_EQ(drums(), (std::vector<double>{0, 0, 0, 40, 0}));
    host.frame();
    EXPECT_EQ(drums(), (std::vector<double>{0, 80, 0, 40, 0}));
    EXPECT_EQ(g->tooltipAt(100, 100), "Total Fuel Quantity (80400 lb)");
    for (double units : {1.0, 2.0}) {  // weights are metric at either setting
        host.setVar(Units, units);
        host.frames(2);
        EXPECT_EQ(drums(), (std::vector<double>{0, 30, 60, 40, 1}));
        EXPECT_EQ(g->tooltipAt(100, 100), "Total Fuel Quantity (36468 kg)");
    }
    host.setVar(Units, 0);
    host.setVar(QuantityA, 9995);
    host.setVar(QuantityB, 0);
    host.setVar(QuantityC, 0);
    host.setVar(PoundsPerGallon, 1);
    host.frames(2);
    EXPECT_EQ(drums(), (std::vector<double>{0, 5, 95, 95, 0}));  // rolling
    for (double q : {-10.0, NaN}) {                              // read as empty
        host.setVar(QuantityA, q);
        host.frames(2);
        EXPECT_EQ(drums(), (std::vector<double>{0, 0, 0, 0, 0}));
        EXPECT_EQ(g->tooltipAt(100, 100), "Total Fuel Quantity (0 lb)");
    }
}

TEST(LowOilPressure, LightsBelow3500WithPowerForTheSelectedEngine) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    uint32_t& power = moduleVar<uint32_t>(host, "PowerAvailable");
    for (int n = 1; n <= 4; ++n) host.setVar(oilPressure(n), n == 3 ? 3499.9 : 5000);
    tw::Gauge* four = host.createGauge("LOWOILPRESS4");
    // The parameter names engine 2, 3 or 4; anything else is engine 1.
    const std::vector<std::string> params = {"3", " +3 rest", "2", "", "5", "-3"};
    std::vector<tw::Gauge*> single;
    for (const auto& p : params) single.push_back(host.createGauge("LOWOILPRESS1", p));
    auto singles = [&] {
        std::vector<bool> on;
        for (tw::Gauge* s : single) on.push_back(lit(*s)[0]);
        return on;
    };
    host.frame();
    EXPECT_EQ(lit(*four), (std::vector<bool>{false, false, false, false}));  // no power
    power = 1;
    host.frame();
    EXPECT_EQ(lit(*four), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(singles(), (std::vector<bool>{true, true, false, false, false, false}));
    host.setVar(oilPressure(1), 100);
    host.setVar(oilPressure(3), 3500);  // not below
    host.frame();
    EXPECT_EQ(lit(*four), (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(singles(), (std::vector<bool>{false, false, false, true, true, true}));

    host.clearLogs();
    EXPECT_TRUE(four->press(150, 20));  // a press on the lights does nothing
    EXPECT_FALSE(four->press(158, 20));
    EXPECT_TRUE(host.events().empty());
}

}  // namespace engine_indicators_test
