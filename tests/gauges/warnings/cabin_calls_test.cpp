// FA_CALL, MECH_CALL and EXTPWR_AVAIL on the bundled host: the cabin chime,
// and the ground crew's power, air cart and all-clear on the virtual clock.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host/host.h"
#include "tests/support/module_api.h"

#if !defined(_WIN32)
#include "tests/support/cockpit.h"
#endif

namespace cabin_calls_test {

namespace {

using tw::SentEvent;
using Events = std::vector<SentEvent>;

constexpr uint32_t TickCounter = 1;
constexpr uint32_t OnGround = 60;
constexpr uint32_t Master1 = 364;
constexpr uint32_t Engine2Running = 166;

}  // namespace

TEST(CabinCalls, DisplayOnlyLampAndButtonsWithoutPowerDoNothing) {
    tw::Host host;
    tw::Gauge* fa = host.createGauge("FA_CALL");
    tw::Gauge* mech = host.createGauge("MECH_CALL");
    tw::Gauge* lamp = host.createGauge("EXTPWR_AVAIL");
    host.setVar(OnGround, 1.0);
    EXPECT_EQ(fa->tooltipAt(5, 5), "Call Flight Attendant");
    EXPECT_EQ(mech->tooltipAt(5, 5), "Call Ground Technician");
    EXPECT_EQ(lamp->tooltipAt(5, 5), "External Power Available Light");
    EXPECT_FALSE(lamp->press(5, 5));
    EXPECT_FALSE(mech->press(36, 10));

    // No power before the first tick: the crew does not answer.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(mech->press(35, 35));
    EXPECT_EQ(mech->lastMouseResult(), 0);
    host.setVar(TickCounter, 5000.0);
    host.frames(2);
    EXPECT_TRUE(lamp->drawState()[1].hidden);
    EXPECT_TRUE(host.events().empty());
}

#if !defined(_WIN32)

namespace {

// Power from the host's first master, through the systems tick.
struct GroundCrew {
    twtest::ScratchFolder dir;
    tw::Host host;
    tw::Gauge* fa = nullptr;
    tw::Gauge* mech = nullptr;
    tw::Gauge* lamp = nullptr;
    GroundCrew() {
        twtest::writeCockpitSounds(dir);
        host.setVar(Master1, 1.0);
        host.setVar(OnGround, 1.0);
        host.setVar(TickCounter, 1000.0);
        host.createGauge("FLOOD_SW");
        fa = host.createGauge("FA_CALL");
        mech = host.createGauge("MECH_CALL");
        lamp = host.createGauge("EXTPWR_AVAIL");
    }
    twplat::SoundBufferInfo sound(const char* name) { return twtest::soundInfo(host, name); }
    int32_t& state() { return moduleVar<int32_t>(host, "GroundCallState"); }
    void call() {
        ASSERT_TRUE(mech->press(18, 18));
        mech->release();
    }
    bool lampLit() { return !lamp->drawState()[1].hidden; }
    // Ticks until the counter reads `count`, each with its frame.
    void tickTo(double count) { host.runTicks(static_cast<int>(count - host.var(TickCounter))); }
};

}  // namespace

TEST(CabinCalls, CabinChimeSoundsOnEveryPressWithPower) {
    GroundCrew c;
    SKIP_WITHOUT_MODULE_SYMBOLS(c.host);
    const int32_t& call = moduleVar<int32_t>(c.host, "FlightAttendantCall");
    ASSERT_TRUE(c.fa->press(1, 1));  // no power yet: the call flips, silently
    EXPECT_EQ(call, 1);
    EXPECT_EQ(c.sound("sndDingDong").playCalls, 0u);
    c.host.runTicks(1);
    for (int32_t expected : {0, 1, 0}) {
        ASSERT_TRUE(c.fa->press(35, 35));
        EXPECT_EQ(call, expected);
    }
    EXPECT_EQ(c.sound("sndDingDong").playCalls, 3u);
    EXPECT_FALSE(c.sound("sndDingDong").looping);
    EXPECT_TRUE(c.host.events().empty());
}

TEST(CabinCalls, GroundServicesArriveOnTheFirstUpdateAfterTheirDeadlines) {
    GroundCrew c;
    SKIP_WITHOUT_MODULE_SYMBOLS(c.host);
    const int32_t& air = moduleVar<int32_t>(c.host, "ExternalAirConnected");
    c.host.runTicks(1);  // power; the counter reads 1001

    c.call();
    EXPECT_EQ(c.state(), 1);
    EXPECT_EQ(c.sound("sndExternalElec").playCalls, 1u);
    c.tickTo(1049);  // the deadline itself: not yet
    EXPECT_FALSE(c.lampLit());
    c.host.runTicks(1);
    EXPECT_TRUE(c.lampLit());

    // Off the ground the crew's work stands still.
    c.call();
    EXPECT_EQ(c.state(), 2);
    EXPECT_EQ(c.sound("sndCockpitToGround").playCalls, 1u);
    c.host.setVar(OnGround, 0.0);
    c.tickTo(1400);
    EXPECT_FALSE(c.sound("sndExternalAircart").playing);
    c.host.setVar(OnGround, 1.0);
    c.host.setVar(TickCounter, 1360.0);  // the air cart's deadline: 1050 + 310
    c.host.frame();
    EXPECT_EQ(air, 0);
    c.host.runTicks(1);
    EXPECT_EQ(air, 1);
    EXPECT_TRUE(c.sound("sndExternalAircart").playing);
    EXPECT_TRUE(c.sound("sndExternalAircart").looping);
    c.host.runTicks(20);  // the loop runs on; nothing restarts or stops it
    EXPECT_TRUE(c.sound("sndExternalAircart").playing);
    EXPECT_EQ(c.sound("sndExternalAircart").stopCalls, 0u);

    // The equipment goes; battery off, so the aircraft keeps its power.
    c.host.clearLogs();
    c.call();
    EXPECT_EQ(c.state(), 3);
    EXPECT_EQ(air, 0);
    EXPECT_FALSE(c.sound("sndExternalAircart").playing);
    EXPECT_EQ(c.sound("sndExternalAircart").stopCalls, 1u);
    EXPECT_EQ(c.sound("sndCockpitToGround").stopCalls, 1u);
    EXPECT_EQ(c.sound("sndExternalAirOff").playCalls, 1u);
    c.host.runTicks(5);
    EXPECT_FALSE(c.lampLit());
    EXPECT_TRUE(c.host.events().empty());

    c.call();  // the all-clear
    EXPECT_EQ(c.state(), 0);
    EXPECT_EQ(c.sound("sndClear").playCalls, 1u);
    EXPECT_EQ(c.sound("sndExternalElec").playCalls, 1u);
}

TEST(CabinCalls, ADeadlineCountsFromTheCounterAtTheCall) {
    GroundCrew c;
    SKIP_WITHOUT_MODULE_SYMBOLS(c.host);
    moduleVar<uint32_t>(c.host, "PowerAvailable") = 1;
    // The gauge's last update read another counter: the deadline takes the
    // counter as it is at the press.
    c.host.setVar(TickCounter, 7000.9);
    c.call();
    EXPECT_EQ(moduleVar<int32_t>(c.host, "ExtPowerDeadline"), 7048);
    c.host.setVar(TickCounter, 7048.0);
    c.host.frame();
    EXPECT_FALSE(c.lampLit());
    c.host.setVar(TickCounter, 7048.5);  // passed, by half a count
    c.host.frame();
    EXPECT_TRUE(c.lampLit());

    // A counter at the end of its range gives the latest deadline, not a wrapped one.
    c.call();
    c.call();
    c.call();
    ASSERT_EQ(c.state(), 0);
    c.host.setVar(TickCounter, 2147483600.0);
    c.call();
    EXPECT_EQ(moduleVar<int32_t>(c.host, "ExtPowerDeadline"), INT32_MAX);
    c.host.frame();
    EXPECT_FALSE(c.lampLit());
}

TEST(CabinCalls, RemovingTheEquipmentDarkensAnAircraftOnGroundPower) {
    GroundCrew c;
    SKIP_WITHOUT_MODULE_SYMBOLS(c.host);
    int32_t& battery = moduleVar<int32_t>(c.host, "BatterySwitch");
    c.host.runTicks(1);

    // Removed before the air cart came: no air-off call.
    c.call();
    c.call();
    c.host.runTicks(100);
    battery = 0;
    const unsigned inverter_stops = c.sound("sndInverters").stopCalls;
    c.host.clearLogs();
    c.call();
    EXPECT_EQ(c.sound("sndExternalAirOff").playCalls, 0u);
    EXPECT_EQ(c.host.events(), (Events{{SentEvent::Module, 66241, 0}}));
    EXPECT_EQ(c.sound("sndInverters").stopCalls, inverter_stops + 1);
    EXPECT_EQ(c.state(), 0);

    // An engine running keeps the aircraft powered: state 3, nothing sent.
    c.call();
    c.call();
    c.host.setVar(Engine2Running, 1.0);
    c.host.clearLogs();
    c.call();
    EXPECT_EQ(c.state(), 3);
    EXPECT_TRUE(c.host.events().empty());

    // Without power on the ground the crew does not answer: the sequence waits
    // a click, then starts over silently.
    c.host.setVar(Engine2Running, 0.0);
    c.host.setVar(Master1, 0.0);
    c.host.runTicks(1);
    c.call();
    EXPECT_EQ(c.state(), 4);
    c.call();
    EXPECT_EQ(c.state(), 0);
    EXPECT_EQ(c.sound("sndClear").playCalls, 0u);

    // The host's master already off: the toggle would switch the aircraft on,
    // so it is not sent.
    moduleVar<uint32_t>(c.host, "PowerAvailable") = 1;
    c.state() = 2;
    c.host.clearLogs();
    c.call();
    EXPECT_EQ(c.state(), 0);
    EXPECT_TRUE(c.host.events().empty());
}

#endif  // !_WIN32

}  // namespace cabin_calls_test
