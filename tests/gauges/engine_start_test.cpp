// The road of one engine start, through the host only: engine 2 started from
// cold with engine 3 running, on the simulator's clock (the host's tick
// counter, with the systems timer's periods where fuel is counted and the
// engine's running is seen).

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/panel.h"

namespace engine_start_test {

namespace {

constexpr uint32_t TickCounter = 1;
constexpr uint32_t Engine2Running = 166, Engine3Running = 201;
constexpr uint32_t Engine2Starter = 573;
constexpr uint32_t Engine2Egt = 577;
constexpr uint32_t Engine2N2 = 644, Engine3N2 = 663;
constexpr uint32_t Engine2FuelFlow = 657;

constexpr uint32_t StarterToggle2 = 65933, StarterRun2 = 66301;
constexpr uint32_t FuelOn2 = 65988, FuelCutoff2 = 65992;

constexpr size_t Pointer = 2, Vernier = 3;  // N2 and EGT
constexpr size_t UnitsDrum = 6, FlowPointer = 7;
constexpr size_t Switch2 = 2;

double rankine(double celsius) { return celsius * 1.8 + 491.67; }

// Engine 3 runs and feeds the duct; engine 2 is cold.
struct StartPanel : twtest::Panel {
    StartPanel()
        : Panel({"FLOOD_SW", "STARTER_PRESS", "START_ARM", "START_SWITCHES", "THROTTLE_QUAD",
                 "N2E2", "EGT2", "FFFU2"}) {
        host.setVar(Engine3Running, 1.0);
        host.setVar(Engine3N2, 100.0);
        host.setVar(Engine2Egt, rankine(15.0));
        host.runTicks(5);  // the systems tick finds power from engine 3
    }
    double n2() { return element("N2E2", Pointer).value; }
    double egt() { return element("EGT2", Pointer).value; }
    double flow() { return element("FFFU2", FlowPointer).value; }
    double fuelUsedUnits() { return element("FFFU2", UnitsDrum).value_y; }
    int32_t starterSwitch() { return element("START_SWITCHES", Switch2).image; }
    // Arms the start and engages engine 2's starter; returns the tick counter then.
    double engage() {
        click("START_ARM", 5, 5);
        click("START_SWITCHES", 47, 5);
        host.frame();
        return host.var(TickCounter);
    }
    void toggleStartLever() { click("THROTTLE_QUAD", 260, 400); }
};

}  // namespace

TEST(EngineStart, FromColdToRunning) {
    StartPanel p;
    EXPECT_EQ(p.tooltip("STARTER_PRESS", 100, 100), "Duct Pressure (41 PSI)");
    EXPECT_EQ(p.n2(), 0.0);
    EXPECT_NEAR(p.egt(), 15.0, 1e-9);

    const double engaged_at = p.engage();
    EXPECT_EQ(p.starterSwitch(), 2);
    p.host.clearLogs();

    // The start N2 is the starter's seconds, 18 counts a second.
    p.counts(90);
    EXPECT_DOUBLE_EQ(p.n2(), 5.0);
    EXPECT_DOUBLE_EQ(p.element("N2E2", Vernier).value, 5.0);
    EXPECT_EQ(p.tooltip("N2E2", 100, 100), "Engine 2 RPM (5.0%)");
    // At 13 s the host's starter is not driven yet; on every update after, it is.
    p.counts(144);
    EXPECT_DOUBLE_EQ(p.n2(), 13.0);
    EXPECT_EQ(p.sent(StarterRun2), 0u);
    p.counts(54);
    EXPECT_EQ(p.sent(StarterRun2), 54u);
    EXPECT_DOUBLE_EQ(p.n2(), 16.0);
    EXPECT_DOUBLE_EQ(p.flow(), 0.0);

    // The start lever opens after 16 s on the starter: the spool-up sounds, and
    // the fuel time counts from here in units of 9 counts.
    p.toggleStartLever();
    EXPECT_EQ(p.plays("sndHghbSpup").value_or(1), 1u);
    const double opened_at = p.host.var(TickCounter);
    p.host.runTicks(36);  // fuel time 4, starter at 18 s
    EXPECT_DOUBLE_EQ(p.n2(), 22.0);
    EXPECT_DOUBLE_EQ(p.egt(), (22.0 + 4.0) * 3.4);
    EXPECT_EQ(p.flow(), 600.0);
    EXPECT_EQ(p.tooltip("FFFU2", 100, 100), "Engine 2 Fuel Flow (600 lb/hr) and Totalizer");
    EXPECT_EQ(p.tooltip("EGT2", 100, 100),
              "Engine 2 EGT (88 \xB0"
              "C)");
    const double used = p.fuelUsedUnits();
    EXPECT_GT(used, 0.0);  // ten units a minute while the start has fuel on

    // Fuel goes in once the fuel time passes 38: 343 counts after the opening.
    p.counts(306);
    EXPECT_EQ(p.host.var(TickCounter) - opened_at, 342.0);
    EXPECT_EQ(p.sent(FuelOn2), 0u);
    p.counts(1);
    EXPECT_EQ(p.sent(FuelOn2), 1u);
    EXPECT_NEAR(p.n2(), 22.0 + 343.0 / 9.0, 1e-9);
    p.counts(30);
    EXPECT_DOUBLE_EQ(p.n2(), 62.0);  // no further until the engine runs
    EXPECT_EQ(p.sent(FuelOn2), 31u);
    EXPECT_GT(p.host.var(TickCounter) - engaged_at, 22.0 * 18);

    // The host reports the engine running: N2 follows it, never below 57; the
    // light-off shows 320 until N2 passes 63; the host's starter is let go.
    p.host.setVar(Engine2Running, 1.0);
    p.host.setVar(Engine2N2, 45.0);
    p.host.setVar(Engine2Starter, 1.0);
    p.host.setVar(Engine2Egt, rankine(480.0));
    p.host.setVar(Engine2FuelFlow, 2500.0);
    p.host.clearLogs();
    p.host.runTicks(2);
    EXPECT_EQ(p.n2(), 57.0);
    EXPECT_EQ(p.egt(), 320.0);
    EXPECT_EQ(p.flow(), 2500.0);
    EXPECT_GT(p.fuelUsedUnits(), used);
    // The start switches learn at the end of an update that the engine runs.
    EXPECT_EQ(p.sent(StarterRun2), 1u);
    EXPECT_EQ(p.sent(StarterToggle2), 2u);
    p.host.setVar(Engine2N2, 63.0);
    p.host.runTicks(1);
    EXPECT_EQ(p.egt(), 320.0);
    p.host.setVar(Engine2N2, 63.5);
    p.host.runTicks(1);
    EXPECT_EQ(p.n2(), 63.5);
    EXPECT_NEAR(p.egt(), 480.0, 1e-9);
    // Fuel stopped going in once the systems tick saw the engine run.
    EXPECT_LE(p.sent(FuelOn2), 1u);
    p.host.clearLogs();
    p.host.runTicks(3);
    EXPECT_EQ(p.sent(FuelOn2), 0u);
}

TEST(EngineStart, ClosingTheLeverMidStartCutsFuelAndEndsTheStart) {
    StartPanel p;
    p.engage();
    p.counts(288);
    p.toggleStartLever();
    p.counts(108);  // fuel time 12, starter at 22 s
    EXPECT_DOUBLE_EQ(p.n2(), 34.0);
    EXPECT_EQ(p.flow(), 600.0);

    p.host.setVar(Engine2N2, 30.0);  // the host's own spool-down
    p.host.clearLogs();
    p.toggleStartLever();
    EXPECT_EQ(p.sent(FuelCutoff2), 1u);
    p.host.runTicks(3);
    EXPECT_EQ(p.starterSwitch(), 0);
    EXPECT_EQ(p.n2(), 30.0);
    EXPECT_NEAR(p.egt(), 15.0, 1e-9);
    EXPECT_EQ(p.flow(), 0.0);
    EXPECT_EQ(p.sent(StarterRun2), 0u);
    EXPECT_EQ(p.sent(FuelOn2), 0u);

    // The switch can start the engine afresh.
    p.click("START_SWITCHES", 47, 5);
    p.counts(18);
    EXPECT_EQ(p.starterSwitch(), 2);
    EXPECT_DOUBLE_EQ(p.n2(), 1.0);
}

TEST(EngineStart, EveryGaugeStaysDefinedWhateverTheHostHolds) {
    twtest::Panel p({"FLOOD_SW",
                     "STARTER_PRESS",
                     "START_ARM",
                     "STARTMAN_SEL",
                     "IGNITION_OVERRIDE",
                     "IGNITION_CONT",
                     "WINDSHIELD_HEAT",
                     "STALL_TEST",
                     "HEATER_INOP",
                     "PITOT_AMPS",
                     "ENGICE_INBD",
                     "ENGICE_OUTBD",
                     "ENG1ICE_VALVE",
                     "ENG2ICE_VALVE",
                     "ENG3ICE_VALVE",
                     "ENG4ICE_VALVE",
                     "START_SWITCHES",
                     "FU_RESET",
                     "THROTTLE_QUAD",
                     "EPR1",
                     "EPR2",
                     "EPR3",
                     "EPR4",
                     "OLD_EPR1",
                     "OLD_EPR2",
                     "OLD_EPR3",
                     "OLD_EPR4",
                     "N1E1",
                     "N1E2",
                     "N1E3",
                     "N1E4",
                     "N2E1",
                     "N2E2",
                     "N2E3",
                     "N2E4",
                     "EGT1",
                     "EGT2",
                     "EGT3",
                     "EGT4",
                     "FFFU1",
                     "FFFU2",
                     "FFFU3",
                     "FFFU4"});
    const uint32_t vars[] = {1,   13,  61,  64,  131, 135, 136, 166, 201, 236, 335, 563, 567,
                             577, 587, 597, 604, 624, 625, 626, 631, 638, 644, 657, 663, 682};
    const double values[] = {NAN, INFINITY, -INFINITY, 1e300, -1e300, 4294967295.0};
    for (double v : values) {
        SCOPED_TRACE(v);
        for (uint32_t id : vars) p.host.setVar(id, v);
        p.click("START_ARM", 5, 5);
        p.click("START_SWITCHES", 5, 5);
        p.click("STALL_TEST", 5, 5);
        p.click("ENGICE_INBD", 5, 5);
        p.click("FU_RESET", 5, 55);
        p.host.runTicks(2);
        for (const auto& g : p.host.gauges()) {
            for (const tw::ElementState& e : g->drawState()) {
                EXPECT_FALSE(std::isnan(e.value)) << g->name() << " " << e.resource_id;
                EXPECT_FALSE(std::isnan(e.value_y)) << g->name() << " " << e.resource_id;
            }
            // The tooltips' callbacks run on the same values.
            g->tooltipAt(100, 100);
            g->tooltipAt(5, 5);
        }
    }
}

}  // namespace engine_start_test
