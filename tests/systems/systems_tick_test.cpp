// The systems tick as the timer drives it: every 55 ms of the host's clock once
// FLOOD_SW is connected.
#if !defined(_WIN32)

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/cockpit.h"

namespace systems_tick_test {

namespace {

constexpr uint32_t Tick = 55;

struct Running {
    twtest::ScratchFolder dir;
    tw::Host host;
    Running() {
        twtest::writeCockpitSounds(dir);
        host.createGauge("FLOOD_SW");
    }
    double& fuel(int engine) { return (&moduleVar<double>(host, "FuelUsed"))[engine - 1]; }
    // One tick with the simulation time at t seconds.
    void tickAt(double t) {
        host.setVar(604, t);
        host.runFor(Tick);
    }
    twplat::SoundBufferInfo sound(const char* name) { return twtest::soundInfo(host, name); }
    std::vector<tw::SentEvent> events() const { return host.events(); }
};

}  // namespace

TEST(SystemsTick, CountsFuelFromTheSecondTickWhilePowered) {
    Running r;
    SKIP_WITHOUT_MODULE_SYMBOLS(r.host);
    r.host.setVar(131, 1.0);   // engine 1 runs: power
    r.host.setVar(638, 3600);  // per hour: one unit a second
    r.host.setVar(676, 7200);  // engine 3 flows too, without running
    r.tickAt(100.0);
    EXPECT_EQ(moduleVar<double>(r.host, "DeltaTime"), 0.0);
    EXPECT_EQ(r.fuel(1), 0.0);  // the first tick measures no time
    EXPECT_EQ(moduleVar<uint32_t>(r.host, "PowerAvailable"), 1u);
    r.tickAt(102.0);
    EXPECT_EQ(moduleVar<double>(r.host, "DeltaTime"), 2.0);
    EXPECT_DOUBLE_EQ(r.fuel(1), 2.0);
    EXPECT_DOUBLE_EQ(r.fuel(3), 4.0);
    EXPECT_EQ(r.fuel(2), 0.0);

    // Time going backwards measures nothing for that tick.
    r.tickAt(90.0);
    EXPECT_EQ(moduleVar<double>(r.host, "DeltaTime"), 0.0);
    EXPECT_DOUBLE_EQ(r.fuel(1), 2.0);
    r.tickAt(91.0);
    EXPECT_DOUBLE_EQ(r.fuel(1), 3.0);

    // A position jump of 200000 or more skips the fuel for that tick only.
    r.host.setVar(304, 200000.0);
    r.tickAt(92.0);
    EXPECT_DOUBLE_EQ(r.fuel(1), 3.0);
    r.tickAt(93.0);
    EXPECT_DOUBLE_EQ(r.fuel(1), 4.0);
    r.host.setVar(303, -199999.0);
    r.tickAt(94.0);
    EXPECT_DOUBLE_EQ(r.fuel(1), 5.0);  // just below the limit
    r.host.setVar(303, 1.0);
    r.tickAt(95.0);
    EXPECT_DOUBLE_EQ(r.fuel(1), 5.0);

    // An engine being started with its lever open burns ten units a minute,
    // whatever its flow reads.
    (&moduleVar<double>(r.host, "FuelLeverTime"))[1] = 5.0;
    r.host.setVar(657, 99999.0);
    r.tickAt(101.0);
    EXPECT_DOUBLE_EQ(r.fuel(2), 1.0);
    EXPECT_DOUBLE_EQ(r.fuel(1), 11.0);
}

TEST(SystemsTick, WithoutPowerNoFuelCountsAndTheInvertersStop) {
    Running r;
    SKIP_WITHOUT_MODULE_SYMBOLS(r.host);
    r.host.setVar(638, 3600);
    moduleVar<uint32_t>(r.host, "PowerAvailable") = 1;  // left by an earlier tick
    r.tickAt(10.0);
    EXPECT_EQ(moduleVar<uint32_t>(r.host, "PowerAvailable"), 0u);
    r.tickAt(20.0);
    EXPECT_EQ(r.fuel(1), 0.0);
    EXPECT_EQ(r.sound("sndInverters").stopCalls, 2u);

    // The further power source, or any engine reading exactly 1.0, powers the panel.
    r.host.setVar(364, 1.0);
    r.tickAt(21.0);
    EXPECT_EQ(moduleVar<uint32_t>(r.host, "PowerAvailable"), 1u);
    r.host.setVar(364, 0.0);
    r.host.setVar(236, 0.99);
    r.tickAt(22.0);
    EXPECT_EQ(moduleVar<uint32_t>(r.host, "PowerAvailable"), 0u);
    r.host.setVar(236, 1.0);
    r.tickAt(23.0);
    EXPECT_EQ(moduleVar<uint32_t>(r.host, "PowerAvailable"), 1u);
    EXPECT_EQ(r.sound("sndInverters").stopCalls, 3u);
}

TEST(SystemsTick, ThrustSwitchFollowsTheTakeoffCondition) {
    Running r;
    r.host.clearLogs();
    r.host.setVar(73, 2999.0);
    r.host.setVar(198, 15001.0);  // engine 3 lever
    r.host.setVar(241, 13501.0);  // engine 4 quantity
    r.host.runFor(Tick * 2);
    // Sent on every tick until the host's switch follows.
    EXPECT_EQ(r.events(), (std::vector<tw::SentEvent>{{tw::SentEvent::Module, 66049, 0},
                                                      {tw::SentEvent::Module, 66049, 0}}));
    r.host.setVar(15, 1.0);
    r.host.clearLogs();
    r.host.runFor(Tick);
    EXPECT_TRUE(r.events().empty());
    r.host.setVar(73, 3000.0);  // climbed out
    r.host.runFor(Tick);
    EXPECT_EQ(r.events(), (std::vector<tw::SentEvent>{{tw::SentEvent::Module, 66050, 0}}));
    r.host.setVar(15, 0.0);
    r.host.setVar(73, 0.0);
    r.host.setVar(241, 13500.0);  // not above
    r.host.clearLogs();
    r.host.runFor(Tick);
    EXPECT_TRUE(r.events().empty());
}

TEST(SystemsTick, TakeoffWarningSoundsOnABadConfiguration) {
    struct Case {
        double flaps, brake;
        bool sounds;
    };
    for (Case c : {Case{3000, 0, false}, Case{1000, 0, true}, Case{13000, 0, true},
                   Case{3000, 1, true}, Case{2048, 0, false}, Case{12288, 0, false}}) {
        Running r;
        SKIP_WITHOUT_MODULE_SYMBOLS(r.host);
        r.host.setVar(128, 8001.0);
        r.host.setVar(60, 1.0);
        r.host.setVar(329, c.flaps);
        r.host.setVar(325, c.brake);
        r.host.runFor(Tick * 3);
        auto warn = r.sound("sndTakeoffWarn");
        EXPECT_EQ(warn.playCalls, c.sounds ? 3u : 0u) << c.flaps << " " << c.brake;
        EXPECT_EQ(warn.playing, c.sounds);
        EXPECT_FALSE(warn.looping);
    }
    Running r;
    SKIP_WITHOUT_MODULE_SYMBOLS(r.host);
    r.host.setVar(128, 8000.0);  // not above
    r.host.setVar(60, 1.0);
    r.host.runFor(Tick);
    EXPECT_EQ(r.sound("sndTakeoffWarn").playCalls, 0u);
}

TEST(SystemsTick, RollingAndGearNoiseFollowTheAirspeed) {
    Running r;
    SKIP_WITHOUT_MODULE_SYMBOLS(r.host);
    r.host.setVar(60, 1.0);
    r.host.setVar(61, 50.0);
    r.host.runFor(Tick);
    auto rolling = r.sound("sndGearSound");
    EXPECT_TRUE(rolling.playing);
    EXPECT_TRUE(rolling.looping);
    EXPECT_EQ(rolling.volume, -1200);
    r.host.setVar(61, 21.0);
    r.host.runFor(Tick);
    EXPECT_EQ(r.sound("sndGearSound").volume, -2360);
    r.host.setVar(61, 80.5);
    r.host.runFor(Tick);
    EXPECT_EQ(r.sound("sndGearSound").volume, 0);
    r.host.setVar(61, 10.0);
    r.host.runFor(Tick);
    EXPECT_FALSE(r.sound("sndGearSound").playing);
    r.host.setVar(61, 50.0);
    r.host.setVar(60, 0.0);
    r.host.runFor(Tick);
    EXPECT_FALSE(r.sound("sndGearSound").playing);

    // Gear noise: x = airspeed * gear / 16384.
    r.host.setVar(332, 16384.0);
    r.host.setVar(61, 150.0);
    r.host.runFor(Tick);
    auto gear = r.sound("sndGear1");
    EXPECT_TRUE(gear.playing);
    EXPECT_TRUE(gear.looping);
    EXPECT_EQ(gear.volume, -750);
    r.host.setVar(61, 250.0);
    r.host.runFor(Tick);
    EXPECT_EQ(r.sound("sndGear1").volume, 0);
    r.host.setVar(332, 8192.0);  // x = 125
    r.host.runFor(Tick);
    EXPECT_EQ(r.sound("sndGear1").volume, -1125);
    r.host.setVar(61, 100.0);
    r.host.runFor(Tick);
    EXPECT_FALSE(r.sound("sndGear1").playing);

    // Values no instrument could show still give defined volumes.
    r.host.setVar(60, 1.0);
    r.host.setVar(61, std::nan(""));
    r.host.runFor(Tick);
    EXPECT_GE(r.sound("sndGearSound").volume, -10000);
    EXPECT_LE(r.sound("sndGear1").volume, 0);
}

// The host's own clock as runTicks moves it: one timer period, one count of
// the tick counter and 0.055 s of simulation time per tick, with a frame each.
TEST(SystemsTick, RunTicksMovesTheHostsClocksWithTheTimer) {
    Running r;
    SKIP_WITHOUT_MODULE_SYMBOLS(r.host);
    r.host.setVar(131, 1.0);
    r.host.setVar(638, 3600);  // one unit a second
    r.host.setVar(1, 100);
    r.host.setVar(604, 10.0);
    r.host.runTicks(21);
    EXPECT_EQ(r.host.var(1), 121);
    EXPECT_NEAR(r.host.var(604), 11.155, 1e-9);
    EXPECT_NEAR(r.fuel(1), 1.1, 1e-9);  // 20 measured periods of 55 ms
}

}  // namespace systems_tick_test

#endif  // !_WIN32
