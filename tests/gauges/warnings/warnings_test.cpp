// The warning lights and their sounds on the bundled host, with the master
// gauge's sounds loaded and power from the systems tick: OVRSPD_WARN,
// SPOILERS_EXT, BELOW_GS and TRIM_SOUND. (ALT_WARN is tested with ALT_SEL.)
#if !defined(_WIN32)

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/cockpit.h"

namespace warnings_test {

namespace {

constexpr uint32_t TickCounter = 1, ClockSeconds = 5, Glideslope = 41, Airspeed = 61,
                   BarberPole = 63, Master = 103, PitchTrim = 318, SpeedBrake = 325, Gear = 332,
                   GlideslopeAngle = 550, RadioAltitudeMetres = 614, FurtherPower = 364;
constexpr size_t Light = 1;

struct Panel {
    twtest::ScratchFolder dir;
    tw::Host host;
    tw::Gauge* g = nullptr;
    explicit Panel(const char* gauge) {
        twtest::writeCockpitSounds(dir);
        host.createGauge("FLOOD_SW");
        g = host.createGauge(gauge);
        power(true);
    }
    void power(bool on) {
        host.setVar(FurtherPower, on ? 1.0 : 0.0);
        host.runTicks(1);
    }
    bool lit() {
        host.frame();
        return !g->drawState()[Light].hidden;
    }
    twplat::SoundBufferInfo sound(const char* name) { return twtest::soundInfo(host, name); }
};

}  // namespace

TEST(OverspeedWarning, FlashesAndRestartsTheHornOnEveryUpdateUntilTheSpeedIsBack) {
    Panel p("OVRSPD_WARN");
    SKIP_WITHOUT_MODULE_SYMBOLS(p.host);
    p.host.setVar(BarberPole, 350 * 128);
    p.host.setVar(Airspeed, 350);  // at the limit: no warning
    p.host.setVar(ClockSeconds, 10);
    EXPECT_FALSE(p.lit());
    EXPECT_EQ(p.sound("sndOverspeed").playCalls, 0u);

    p.host.setVar(Airspeed, 350.5);
    EXPECT_TRUE(p.lit());
    p.host.setVar(ClockSeconds, 11.9);
    EXPECT_FALSE(p.lit());  // odd seconds dark
    p.host.frames(20);
    auto horn = p.sound("sndOverspeed");
    EXPECT_TRUE(horn.playing);
    EXPECT_FALSE(horn.looping);
    EXPECT_EQ(horn.playCalls, 22u);  // once on every update
    // The test horn is shorter than a tick: each tick's update starts it again.
    p.host.runTicks(3);
    EXPECT_TRUE(p.sound("sndOverspeed").playing);
    EXPECT_EQ(p.sound("sndOverspeed").playCalls, 25u);

    // Back within the limit nothing stops it: it ends by itself.
    p.host.setVar(Airspeed, 349);
    p.host.frames(5);
    EXPECT_EQ(p.sound("sndOverspeed").playCalls, 25u);
    p.host.runTicks(1);
    horn = p.sound("sndOverspeed");
    EXPECT_FALSE(horn.playing);
    EXPECT_EQ(horn.stopCalls, 0u);

    // Again over the limit, then the power goes: dark, and no more plays.
    p.host.setVar(Airspeed, 400);
    p.host.setVar(ClockSeconds, 12);
    EXPECT_TRUE(p.lit());
    p.power(false);
    EXPECT_FALSE(p.lit());
    EXPECT_FALSE(p.sound("sndOverspeed").playing);
    EXPECT_EQ(p.sound("sndOverspeed").playCalls, 26u);

    // Its gauge gone, the horn dies out with nothing to restart it.
    p.power(true);
    EXPECT_TRUE(p.sound("sndOverspeed").playing);
    p.host.destroyGauge(p.g);
    p.host.runTicks(1);
    horn = p.sound("sndOverspeed");
    EXPECT_FALSE(horn.playing);
    EXPECT_EQ(horn.stopCalls, 0u);
}

TEST(SpeedBrakeLight, OnlyWithTheLeverFullyUpAndPower) {
    Panel p("SPOILERS_EXT");
    p.host.setVar(SpeedBrake, 16383);
    EXPECT_TRUE(p.lit());
    p.host.setVar(SpeedBrake, 16382);
    EXPECT_FALSE(p.lit());
    p.host.setVar(SpeedBrake, 16383);
    p.power(false);
    EXPECT_FALSE(p.lit());
}

namespace {

// 201 m keeps the interval's sum off a whole number, which x87 and SSE round
// differently.
struct Approach {
    double height = 201, deviation = -40, angle = 5, gear = 16383;
};

void fly(Panel& p, const Approach& a) {
    p.host.setVar(RadioAltitudeMetres, a.height);
    p.host.setVar(Glideslope, a.deviation);
    p.host.setVar(GlideslopeAngle, a.angle);
    p.host.setVar(Gear, a.gear);
}

}  // namespace

TEST(BelowGlideslope, WarnsOnlyInsideEveryLimit) {
    Panel p("BELOW_GS");
    p.host.setVar(TickCounter, 24);  // the flashing light's lit phase
    const Approach outside[] = {
        {.height = 16},  {.height = 328}, {.deviation = -33}, {.angle = 30},
        {.angle = 330},  {.angle = -200}, {.gear = 0},        {.deviation = std::nan("")},
        {.height = 1e9},
    };
    for (const Approach& a : outside) {
        fly(p, a);
        EXPECT_FALSE(p.lit()) << a.height << " " << a.deviation << " " << a.angle;
    }
    const Approach inside[] = {
        {}, {.height = 16.1}, {.angle = 335}, {.angle = 359.9}, {.angle = -29.9}};
    for (const Approach& a : inside) {
        fly(p, a);
        EXPECT_TRUE(p.lit()) << a.height << " " << a.angle;
    }
    // Lit for 5 of every 12 counts.
    for (int tick = 24; tick < 36; ++tick) {
        p.host.setVar(TickCounter, tick);
        EXPECT_EQ(p.lit(), tick % 12 < 5) << tick;
    }
    p.power(false);
    p.host.setVar(TickCounter, 24);
    EXPECT_FALSE(p.lit());
}

TEST(BelowGlideslope, CalloutRepeatsFasterLowerAndIsSilencedByAPress) {
    Panel p("BELOW_GS");
    SKIP_WITHOUT_MODULE_SYMBOLS(p.host);
    auto plays = [&] { return p.sound("sndGlideslope").playCalls; };
    fly(p, {});  // interval 18 + trunc(201 * 0.3 - 40 * 0.5) = 58: a callout every 59 updates
    p.host.frame();
    EXPECT_EQ(plays(), 1u);
    EXPECT_EQ(p.sound("sndGlideslope").volume, -400);
    p.host.frames(58);
    EXPECT_EQ(plays(), 1u);
    p.host.frame();
    EXPECT_EQ(plays(), 2u);
    // Higher and just below the beam the counter runs to its end: every 73.
    fly(p, {.height = 300, .deviation = -34});
    p.host.frames(73);
    EXPECT_EQ(plays(), 3u);
    // Low and far below: full volume, and an interval below 1 plays on every
    // update once the counter has started again.
    fly(p, {.height = 20, .deviation = -60});
    p.host.frames(4);
    EXPECT_EQ(plays(), 6u);
    EXPECT_EQ(p.sound("sndGlideslope").volume, 0);

    // A press silences the callout and darkens the light.
    fly(p, {});
    ASSERT_TRUE(p.g->press(5, 5));
    p.host.setVar(TickCounter, 24);
    p.host.frames(100);
    EXPECT_EQ(plays(), 6u);
    EXPECT_FALSE(p.lit());
    // The warning ends: a callout under way is not cut, and the silence is over.
    fly(p, {.height = 400});
    p.host.frames(3);
    EXPECT_TRUE(p.sound("sndGlideslope").playing);  // no time has passed in frames
    EXPECT_EQ(p.sound("sndGlideslope").stopCalls, 0u);
    EXPECT_EQ(moduleVar<int32_t>(p.host, "GsWarnInhibit"), 0);
    fly(p, {});
    p.host.frames(60);
    EXPECT_EQ(plays(), 7u);
    EXPECT_TRUE(p.lit());
    // A press with no warning clears a silence and does nothing else.
    fly(p, {.gear = 0});
    p.host.frame();
    int32_t& inhibit = moduleVar<int32_t>(p.host, "GsWarnInhibit");
    inhibit = 1;
    ASSERT_TRUE(p.g->press(28, 25));
    EXPECT_EQ(inhibit, 0);
    ASSERT_TRUE(p.g->press(28, 25));
    EXPECT_EQ(inhibit, 0);
    EXPECT_EQ(p.g->lastMouseResult(), 0);
    EXPECT_EQ(p.g->tooltipAt(28, 25), "Glideslope Warning Light");
}

TEST(TrimSound, SoundsInOddSecondsWhenTheTrimMovedByHand) {
    Panel p("TRIM_SOUND");
    SKIP_WITHOUT_MODULE_SYMBOLS(p.host);
    auto plays = [&] { return p.sound("sndTrim").playCalls; };
    auto update = [&](double seconds, double tick, double trim) {
        p.host.setVar(ClockSeconds, seconds);
        p.host.setVar(TickCounter, tick);
        p.host.setVar(PitchTrim, trim);
        p.host.frame();
        return plays();
    };
    EXPECT_EQ(update(10, 6, 100.7), 0u);  // even second: both samples agree
    EXPECT_EQ(update(11, 7, 300), 0u);    // not a sixth tick
    EXPECT_EQ(update(11, 12, 300), 1u);
    EXPECT_EQ(update(11.5, 18, 300.9), 2u);
    EXPECT_EQ(update(12, 24, 300), 2u);  // the even sample catches up
    EXPECT_EQ(update(13, 30, 300), 2u);

    // The autopilot trims silently; so does a panel without power.
    p.host.setVar(Master, 1.0);
    EXPECT_EQ(update(13, 36, 500), 2u);
    p.host.setVar(Master, 0.0);
    p.power(false);
    EXPECT_EQ(update(13, 42, 700), 2u);
    p.power(true);
    EXPECT_EQ(update(13, 48, 900), 3u);
    EXPECT_FALSE(p.sound("sndTrim").looping);
}

}  // namespace warnings_test

#endif  // !_WIN32
