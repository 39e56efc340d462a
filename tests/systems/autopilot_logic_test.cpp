// The autopilot on the bundled host: the controller AUTOPILOT1 and the systems
// tick's autopilot step, driven only through the host (clicks, host variables,
// timer periods) and read from the events sent and the controller's pictures.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "host/host.h"
#include "tests/support/event_log.h"

namespace autopilot_logic_test {

namespace {

using twtest::Events;
using twtest::sent;

constexpr uint32_t Airspeed = 61, Mach = 64, VerticalSpeedRaw = 65, Altitude = 74, Bank = 80,
                   Master = 103, Heading = 107, VerticalHold = 119, HostVsTarget = 120,
                   TimeOfDay = 557;
constexpr int TicksPerSecond = 18;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// The host's raw vertical speed for a rate that truncates to `fpm` ft/min.
double raw(double fpm) { return (fpm + (fpm < 0 ? -0.5 : 0.5)) * 1.30048; }

struct Point {
    int32_t x, y;
};
constexpr Point VerticalDown{30, 40}, RollLeft{270, 80}, RollPush{300, 80}, RollRight{330, 80},
    EngageUp{420, 30}, HorizontalUp{540, 60};
// The controller's pictures in the draw state.
constexpr size_t RollNeedle = 2, VerticalSelector = 4, EngageSwitch = 5, HorizontalSelector = 6;

struct Flight {
    tw::Host host;
    tw::Gauge* ap;
    Flight() {
        host.createGauge("FLOOD_SW");  // the systems timer
        ap = host.createGauge("AUTOPILOT1");
    }
    Events click(Point p, int times = 1) {
        host.clearLogs();
        for (int i = 0; i < times; ++i) {
            EXPECT_TRUE(ap->press(p.x, p.y));
            ap->release();
        }
        return twtest::eventLog(host);
    }
    Events ticks(int n = 1) {
        host.clearLogs();
        host.runTicks(n);
        return twtest::eventLog(host);
    }
    // One second of flight at whole second s of the time of day.
    Events second(double s, double airspeed) {
        host.setVar(TimeOfDay, s);
        host.setVar(Airspeed, airspeed);
        return ticks(TicksPerSecond);
    }
    int32_t image(size_t element) const { return ap->drawState()[element].image; }
};

Events repeated(const Events& once, int times) {
    Events out;
    for (int i = 0; i < times; ++i) out.insert(out.end(), once.begin(), once.end());
    return out;
}

}  // namespace

TEST(AutopilotFlight, EngageSteerHoldSpeedHandOverAndDropOut) {
    Flight f;
    f.host.setVar(VerticalSpeedRaw, raw(500));
    f.host.setVar(Altitude, 12000);
    f.host.setVar(VerticalHold, 1.0);
    f.host.setVar(TimeOfDay, 999);
    f.host.setVar(Airspeed, 250);

    // Standby, then engaged at the present climb; the host's master follows.
    EXPECT_EQ(f.click(EngageUp, 2), (Events{sent(66069), sent(65792), sent(66036, 500),
                                            sent(66115, 0), sent(66124, 60000), sent(66103)}));
    f.host.setVar(Master, 1.0);
    EXPECT_EQ(f.ticks(), Events{});
    EXPECT_EQ(f.image(EngageSwitch), 2);

    // Five steps left: the tick rolls left on every period until the bank is there.
    EXPECT_EQ(f.click(RollLeft, 5), repeated({sent(65817, 1), sent(66107, 1)}, 5));
    EXPECT_EQ(f.ticks(3), repeated({sent(65685)}, 3));
    f.host.setVar(Bank, 5.0);
    EXPECT_EQ(f.ticks(2), repeated({sent(65686)}, 2));
    EXPECT_EQ(f.ap->drawState()[RollNeedle].value, 5);
    // Back through the centre (sent once) to three steps right.
    Events back = f.click(RollRight, 8);
    Events centre = {sent(65817, 1), sent(66107, 1), sent(65809, 1)};
    EXPECT_EQ(Events(back.begin() + 8, back.begin() + 11), centre);
    EXPECT_EQ(f.ticks(2), repeated({sent(65687)}, 2));
    f.host.setVar(Bank, -3.0);
    EXPECT_EQ(f.ticks(), Events{sent(65686)});
    // A left step while still right of centre rolls left twice as hard, and
    // turns to a right command once the bank has passed the setting.
    f.click(RollLeft);
    EXPECT_EQ(f.ticks(), (Events{sent(65685), sent(65685)}));
    f.host.setVar(Bank, -1.5);
    EXPECT_EQ(f.ticks(2), (Events{sent(65686), sent(65687), sent(65687)}));
    EXPECT_EQ(f.click(RollPush), Events{sent(65809, 1)});
    EXPECT_EQ(f.ticks(), Events{});

    // Pitch on airspeed, the reference taken at the selection.
    EXPECT_EQ(f.click(VerticalDown),
              (Events{sent(66036, 500), sent(66115, 1), sent(66124, 60000)}));
    EXPECT_EQ(f.second(1000, 250), Events{sent(66124, 60000)});  // on the reference
    // 4 kt fast and gaining 4 kt/s: the largest step up.
    EXPECT_EQ(f.second(1001, 254), (Events{sent(66036, 600), sent(66124, 60000)}));
    f.host.setVar(HostVsTarget, 600);
    EXPECT_EQ(f.second(1002, 254), Events{});  // a correction waits a second sample
    EXPECT_EQ(f.second(1003, 254), (Events{sent(66036, 700), sent(66124, 60000)}));
    f.host.setVar(HostVsTarget, 700);
    EXPECT_EQ(f.second(1004, 254), Events{});
    // 4 kt slow and losing 8 kt/s: the largest step down.
    EXPECT_EQ(f.second(1005, 246), (Events{sent(66036, 100), sent(66124, 60000)}));

    // Pitch on Mach hands over to airspeed below 8188.
    f.host.setVar(Mach, 9000);
    f.click(VerticalDown);
    f.ticks();
    EXPECT_EQ(f.image(VerticalSelector), 0);
    f.host.setVar(Mach, 8187.9);
    f.ticks();
    EXPECT_EQ(f.image(VerticalSelector), 1);

    // The host's autopilot drops out: the five events once, both selectors to 2.
    EXPECT_EQ(f.click(HorizontalUp), Events{sent(65811)});
    f.host.setVar(Master, 0.0);
    f.host.setVar(Heading, 273.7);
    EXPECT_EQ(f.ticks(2), (Events{sent(65817, 1), sent(66042, 273), sent(66036, 0), sent(66124, 0),
                                  sent(66104)}));
    EXPECT_EQ(f.image(VerticalSelector), 2);
    EXPECT_EQ(f.image(HorizontalSelector), 2);
    EXPECT_EQ(f.image(EngageSwitch), 1);

    // And engages again by the host's own means: the controller follows.
    f.host.setVar(VerticalSpeedRaw, raw(-1200));
    f.host.setVar(Master, 1.0);
    EXPECT_EQ(f.ticks(2), (Events{sent(66036, -1200), sent(66115, 0), sent(66124, 0), sent(66103),
                                  sent(66069)}));
    EXPECT_EQ(f.image(EngageSwitch), 2);
}

namespace {

// One correction of the pitch logic: the reference taken on selecting position
// 1 (airspeed) or 0 (Mach), two trend samples, then the host's autopilot at 1.0.
struct Pitch {
    int position = 1;
    double reference = 250, v0 = 254, v1 = 254;  // airspeed at the selection, then sampled
    double mach_reference = 16384, mach = 16384;
    double target = 0, fpm = 0;  // the host's target (120) and the present vertical speed
    double s0 = 500, s1 = 501;   // the samples' times of day
    std::optional<int64_t> command = std::nullopt;  // the 66036 sent, if any
    int64_t altitude = 60000;                       // the 66124 that follows
    int wait = 2;                                   // samples until the next correction
};

void checkCorrection(const Pitch& p) {
    Flight f;
    f.host.setVar(VerticalHold, 1.0);
    f.host.setVar(Master, 1.0);
    f.ticks();  // engaged
    f.host.setVar(VerticalSpeedRaw, raw(p.fpm));
    f.host.setVar(HostVsTarget, p.target);
    f.host.setVar(Altitude, 12000.7);
    f.host.setVar(Airspeed, p.reference);
    f.host.setVar(Mach, p.mach_reference);
    // Neither engaged nor dropped out while the samples are set up.
    f.host.setVar(Master, 0.5);
    f.click(VerticalDown);
    if (p.position == 0) f.click(VerticalDown);
    f.host.setVar(TimeOfDay, p.s0);
    f.host.setVar(Airspeed, p.v0);
    f.ticks();
    f.host.setVar(TimeOfDay, p.s1);
    f.host.setVar(Airspeed, p.v1);
    f.host.setVar(Mach, p.mach);
    f.ticks();

    f.host.setVar(Master, 1.0);
    Events expected;
    if (p.command) expected.push_back(sent(66036, *p.command));
    expected.push_back(sent(66124, p.altitude));
    EXPECT_EQ(f.ticks(), expected);
    f.host.setVar(TimeOfDay, p.s1 + 1);
    EXPECT_EQ(!f.ticks().empty(), p.wait == 1) << "wait";
}

}  // namespace

TEST(AutopilotPitch, CorrectionsByErrorAndTrend) {
    const Pitch cases[] = {
        // 4 kt fast and steady: the smallest step, then a wait of two samples.
        {.command = 100},
        // 12 kt fast, falling 0.1 kt/s: 30 raised to 100, doubled.
        {.v0 = 262.1, .v1 = 262, .command = 200},
        // 25 kt fast and steady: half again, then doubled.
        {.v0 = 275, .v1 = 275, .command = 300},
        // Gaining 3 kt/s: 900 capped at 600.
        {.v0 = 251, .v1 = 254, .command = 600},
        // 25 kt slow at -3500: no half again (not above -3000), doubled.
        {.v0 = 225, .v1 = 225, .target = -3500, .fpm = -3500, .command = -3700, .altitude = 0},
        // 4000 above the present climb: cut to +3000 when fast, +1500 when slow.
        {.target = 3950, .command = 3000},
        {.v0 = 246, .v1 = 246, .target = 4100, .command = 1500},
        // A command of exactly 0 holds the present altitude.
        {.target = -100, .command = 0, .altitude = 12000},
        // Falling fast towards the reference: ease off by 1.3 times; near it, wait.
        {.v0 = 255.5, .v1 = 255, .command = -195, .altitude = 0, .wait = 1},
        {.v0 = 252.5, .v1 = 252, .command = -195, .altitude = 0},
        // Slow and rising fast: ease off the other way.
        {.v0 = 245, .v1 = 245.5, .command = 195, .wait = 1},
        // Falling at a good rate, or far off and falling fast: nothing changes.
        {.v0 = 254.2, .v1 = 254, .fpm = -700, .altitude = 0, .wait = 1},
        {.v0 = 277, .v1 = 275, .fpm = 700, .wait = 1},
        // The dead band; the altitude follows the command seeded at the selection.
        {.v0 = 250.5, .v1 = 250.5, .fpm = -500, .altitude = 0, .wait = 1},
        // Mach: 0.01 above the reference counts as 5 kt.
        {.position = 0, .mach = 16384 + 204.8, .command = 100},
    };
    for (const Pitch& p : cases) {
        SCOPED_TRACE(testing::Message()
                     << "v0 " << p.v0 << " v1 " << p.v1 << " T " << p.target << " mach " << p.mach);
        checkCorrection(p);
    }
}

TEST(AutopilotPitch, OddTimesSpeedsAndMachGiveDefinedEvents) {
    const Pitch cases[] = {
        // Midnight: one second from 86399 to 0.
        {.v0 = 262.1, .v1 = 262, .s0 = 86399, .s1 = 0, .command = 200},
        // A time of day past its day: no interval, so no trend.
        {.v0 = 250, .s0 = 86400.5, .s1 = 0.2, .command = 100},
        // No time at all, then a time: the interval is far off, the trend nil.
        {.s0 = NaN, .command = 100},
        {.s0 = Inf, .s1 = -Inf, .command = 100},
        // No airspeed: nothing to correct; the next sample still counts.
        {.v1 = NaN, .wait = 1},
        {.v1 = Inf, .command = 1800},
        // No Mach: no hand-over and no correction; a huge one corrects hard;
        // far below 0.4 it hands over to the airspeed.
        {.position = 0, .mach = NaN, .wait = 1},
        {.position = 0, .mach = 1e300, .command = 300},
        {.position = 0, .mach = -Inf, .command = 100},
        // No present vertical speed: nothing to limit the command by.
        {.target = 5000, .fpm = NaN, .command = 5100},
        // No host target: the integer-indefinite command, and the altitude held.
        {.target = NaN, .command = INT32_MIN, .altitude = 12000},
    };
    for (const Pitch& p : cases) {
        SCOPED_TRACE(testing::Message() << "s0 " << p.s0 << " s1 " << p.s1 << " v1 " << p.v1
                                        << " mach " << p.mach << " T " << p.target);
        checkCorrection(p);
    }
}

}  // namespace autopilot_logic_test
