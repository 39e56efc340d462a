// The shared panel state as a freshly loaded module holds it. The Linux module
// exports its globals, so the host can look at them; the Windows DLL exports
// only Linkage and ImportTable, so there these tests have nothing to read.

#include <gtest/gtest.h>

#include <cstdint>

#include "host/host.h"

namespace panel_state_test {

namespace {

template <typename T>
T* state(tw::Host& host, const char* name) {
    return static_cast<T*>(host.module().symbol(name));
}

// Every variable at its load-time value; returns how many were checked.
int expectInitialState(tw::Host& host) {
    int checked = 0;
    auto i32 = [&](const char* name, int32_t want) {
        auto* v = state<int32_t>(host, name);
        ASSERT_NE(v, nullptr) << name;
        EXPECT_EQ(*v, want) << name;
        ++checked;
    };
    auto u32 = [&](const char* name, uint32_t want, int count = 1) {
        auto* v = state<uint32_t>(host, name);
        ASSERT_NE(v, nullptr) << name;
        for (int i = 0; i < count; ++i) EXPECT_EQ(v[i], want) << name << "[" << i << "]";
        ++checked;
    };
    auto u8 = [&](const char* name, uint8_t want, int count = 1) {
        auto* v = state<uint8_t>(host, name);
        ASSERT_NE(v, nullptr) << name;
        for (int i = 0; i < count; ++i) EXPECT_EQ(v[i], want) << name << "[" << i << "]";
        ++checked;
    };
    auto f64 = [&](const char* name, double want, int count = 1) {
        auto* v = state<double>(host, name);
        ASSERT_NE(v, nullptr) << name;
        for (int i = 0; i < count; ++i) EXPECT_EQ(v[i], want) << name << "[" << i << "]";
        ++checked;
    };
    i32("IpcConnected", 0);
    u32("IpcResult", 0);
    i32("HostHasSimObjects", 0);
    u32("PowerAvailable", 0);
    i32("BatterySwitch", 1);
    u8("ExternalPowerAvailable", 0);
    u8("ExternalPowerOn", 0);
    i32("ExternalAirConnected", 0);
    u8("StarterSwitch", 0, 4);
    u32("StarterEngaged", 0, 4);
    f64("StarterSeconds", 0.0, 4);
    u8("StartArm", 0);
    f64("StarterPressure", 0.0);
    u32("StartLeverOpen", 0, 4);
    f64("FuelLeverTime", 0.0, 4);
    u32("LightOffActive", 0, 4);
    f64("FuelUsed", 0.0, 4);
    i32("ApVerticalMode", 2);
    i32("ApHorizontalMode", 2);
    i32("ApEngageSwitch", 0);
    i32("ApRollKnob", 0);
    i32("ApBankTarget", 0);
    i32("ApRollCommand", 0);
    i32("ApVsTarget", 0);
    f64("ApCurrentVs", 0.0);
    f64("ApVsCommand", 0.0);
    f64("ApVsCommandLast", 0.0);
    f64("ApSpeedReference", 0.0);
    f64("ApMachReference", 0.0);
    i32("ApHeadingSnapshot", 0);
    i32("RadarPower", 0);
    f64("RadarRange", 20.0);
    i32("RadarGain", 3);
    i32("RadarTilt", 0);
    u32("RadarCellEcho", 0, 320);
    u32("RadarCellShade", 0, 320);
    i32("AlerterAltitude", 0);
    i32("PitotHeaterInop", 0);
    i32("PitotHeaterInopDeadline", 0);
    i32("FloodLightsOn", 0);
    return checked;
}

}  // namespace

TEST(PanelState, StartsAtItsInitialValuesOnEveryLoad) {
    {
        tw::Host host;
        if (!host.module().symbol("PowerAvailable")) GTEST_SKIP() << "the module exports no state";
        EXPECT_EQ(expectInitialState(host), 40);

        // Disturb the state the way gauges and the tick would...
        *state<uint32_t>(host, "PowerAvailable") = 1;
        *state<int32_t>(host, "BatterySwitch") = 2;
        state<double>(host, "FuelUsed")[3] = 1234.5;
        state<uint8_t>(host, "StarterSwitch")[1] = 2;
        *state<double>(host, "RadarRange") = 150.0;
        state<int32_t>(host, "RadarCellShade")[319] = 77;
        tw::Gauge* flood = host.createGauge("FLOOD_SW");
        ASSERT_TRUE(flood->press(10, 10));
        EXPECT_EQ(*state<int32_t>(host, "FloodLightsOn"), 1);
    }
    // ...and a reload of the library starts clean again.
    tw::Host again;
    EXPECT_EQ(expectInitialState(again), 40);
}

TEST(PanelState, CopiesOfOneGaugeShareTheModulesState) {
    tw::Host host;
    tw::Gauge* left = host.createGauge("FLOOD_SW", "", 0x100);
    tw::Gauge* right = host.createGauge("FLOOD_SW", "", 0x200);
    ASSERT_NE(left, nullptr);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(left->header(), right->header());

    host.frame();
    EXPECT_EQ(left->drawState()[1].image, 0);
    EXPECT_EQ(right->drawState()[1].image, 0);

    ASSERT_TRUE(left->press(20, 20));
    host.frame();
    // The click on one copy shows on both.
    EXPECT_EQ(left->drawState()[1].image, 1);
    EXPECT_EQ(right->drawState()[1].image, 1);
    ASSERT_TRUE(right->press(20, 20));
    host.frame();
    EXPECT_EQ(left->drawState()[1].image, 0);
    EXPECT_EQ(right->drawState()[1].image, 0);
    EXPECT_EQ(host.events(), (std::vector<tw::SentEvent>{{tw::SentEvent::Module, 66056, 0},
                                                         {tw::SentEvent::Module, 66057, 0}}));
}

}  // namespace panel_state_test
