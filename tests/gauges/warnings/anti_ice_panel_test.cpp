// The anti-ice panel on the bundled host: the engine anti-ice switches with
// their timed valve lights, the pitot heater light and ammeter.

#include <gtest/gtest.h>

#include "tests/support/panel.h"

namespace anti_ice_panel_test {

namespace {

constexpr uint32_t TickCounter = 1, PitotHeat = 13, FurtherPower = 364;
constexpr size_t Light = 1;

struct AntiIce : twtest::Panel {
    AntiIce()
        : Panel({"FLOOD_SW", "ENGICE_INBD", "ENGICE_OUTBD", "ENG1ICE_VALVE", "ENG2ICE_VALVE",
                 "ENG3ICE_VALVE", "ENG4ICE_VALVE", "HEATER_INOP", "PITOT_AMPS"}) {}
    // Which valve lights show, engines 1 to 4.
    std::string lights() {
        std::string s;
        for (int n = 1; n <= 4; ++n) {
            const auto& e = element("ENG" + std::to_string(n) + "ICE_VALVE", Light);
            s += e.hidden ? '-' : char('0' + n);
        }
        return s;
    }
    void at(double tick) {
        host.setVar(TickCounter, tick);
        host.frame();
    }
};

}  // namespace

TEST(AntiIcePanel, ValveLightsShowWhileTheValvesTravelAndOnlyWithPower) {
    AntiIce p;
    p.at(10.0);
    p.click("ENGICE_INBD", 5, 5);  // no power: the switch moves, no light
    p.at(11.0);
    EXPECT_EQ(p.element("ENGICE_INBD", Light).image, 2);
    EXPECT_EQ(p.lights(), "----");
    EXPECT_EQ(p.plays("sndClick").value_or(1), 1u);

    p.host.setVar(FurtherPower, 1.0);
    p.host.runTicks(3);
    p.at(100.8);
    p.click("ENGICE_INBD", 5, 5);   // engines 2 and 3 until 131 and 126
    p.click("ENGICE_OUTBD", 5, 5);  // engines 1 and 4 until 129 and 135
    p.at(126.0);
    EXPECT_EQ(p.element("ENGICE_INBD", Light).image, 1);
    EXPECT_EQ(p.element("ENGICE_OUTBD", Light).image, 2);
    EXPECT_EQ(p.lights(), "1234");
    p.at(126.5);
    EXPECT_EQ(p.lights(), "12-4");
    p.at(130.0);
    EXPECT_EQ(p.lights(), "-2-4");
    p.at(135.0);
    EXPECT_EQ(p.lights(), "---4");
    p.at(135.1);
    EXPECT_EQ(p.lights(), "----");
    EXPECT_EQ(p.tooltip("ENG4ICE_VALVE", 0, 0), "Engine 4 Anti-Ice Valve");
    EXPECT_EQ(p.tooltip("ENGICE_INBD", 40, 5), "(none)");  // its area is the switch's
    EXPECT_EQ(p.tooltip("ENGICE_OUTBD", 40, 5), "Outboard Engine Anti-Ice Switch");
}

TEST(AntiIcePanel, PitotHeaterLightAndAmmeter) {
    AntiIce p;
    p.host.setVar(PitotHeat, 1.0);
    p.host.frame();
    EXPECT_EQ(p.element("PITOT_AMPS", 1).value, 0.0);  // no power
    p.host.setVar(FurtherPower, 1.0);
    p.host.runTicks(3);
    EXPECT_EQ(p.element("PITOT_AMPS", 1).value, 18.0);
    EXPECT_TRUE(p.element("HEATER_INOP", Light).hidden);

    if (!p.symbols()) return;
    moduleVar<int32_t>(p.host, "PitotHeaterInop") = 1;
    moduleVar<int32_t>(p.host, "PitotHeaterInopDeadline") = 500;
    p.at(500.0);
    EXPECT_FALSE(p.element("HEATER_INOP", Light).hidden);
    EXPECT_EQ(p.element("PITOT_AMPS", 1).value, 0.0);  // a failed heater draws nothing
    p.at(500.5);
    EXPECT_TRUE(p.element("HEATER_INOP", Light).hidden);
}

}  // namespace anti_ice_panel_test
