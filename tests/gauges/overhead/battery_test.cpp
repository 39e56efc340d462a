// BATTERYSW, EMERLIGHTS and EMERWARN on the bundled host: the battery rocker
// through its three positions with the host's masters, engines and ground
// power, the inverters' hum, and the emergency lights switch with its lamp.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "host/host.h"
#include "tests/support/module_api.h"

#if !defined(_WIN32)
#include "tests/support/cockpit.h"
#endif

namespace battery_test {

namespace {

using tw::SentEvent;
using Events = std::vector<SentEvent>;

constexpr uint32_t Master1 = 364, Master2 = 363, Master3 = 740;
constexpr uint32_t Engine3Running = 201;
constexpr SentEvent Toggle1{SentEvent::Module, 66241, 0};
constexpr SentEvent Toggle2{SentEvent::Module, 66242, 0};
constexpr SentEvent Toggle3{SentEvent::Module, 66293, 0};

// The upper area moves a rocker down, the lower one up; they overlap at y 25..35.
void down(tw::Gauge& g) { ASSERT_TRUE(g.press(12, 30)); }
void up(tw::Gauge& g) { ASSERT_TRUE(g.press(24, 60)); }

int32_t shown(tw::Host& host, tw::Gauge& g) {
    host.frame();
    return g.drawState()[1].image;
}

}  // namespace

TEST(BatterySwitch, EachPositionChangeSendsTheMasterTogglesItNeeds) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("BATTERYSW");
    EXPECT_EQ(g->tooltipAt(1, 1), "Battery Switch");
    EXPECT_EQ(shown(host, *g), 1);
    struct Step {
        void (*click)(tw::Gauge&);
        double m1, m2, m3, engine3;
        int32_t position;
        Events events;
    };
    const Step steps[] = {
        // Off to battery: each master that is off goes on; at the top it stays.
        {up, 0, 0, 1, 0, 2, {Toggle1, Toggle2}},
        {up, 1, 1, 1, 0, 2, {}},
        // Battery to off: each master that is on goes off.
        {down, 1, 0.5, 0, 0, 1, {Toggle1, Toggle2}},
        // Off to ground power, none available: it moves, nothing else; at the
        // bottom it stays.
        {down, 0, 0, 0, 0, 0, {}},
        {down, 0, 0, 0, 0, 0, {}},
        {up, 2, 0, 3, 0, 1, {Toggle1, Toggle3}},
        // Off to battery with the first master already on: nothing.
        {up, 1, 0, 0, 0, 2, {}},
        // An engine started since the last click keeps the masters on.
        {down, 1, 1, 1, 1, 1, {}},
        {up, 1, 1, 1, 1, 2, {}},
        {down, 1, 1, 1, 0, 1, {Toggle1, Toggle2, Toggle3}},
        // Unreadable masters are neither on nor off.
        {up, NAN, NAN, NAN, 0, 2, {}},
        {down, NAN, NAN, NAN, 0, 1, {}},
    };
    for (const Step& s : steps) {
        host.setVar(Master1, s.m1);
        host.setVar(Master2, s.m2);
        host.setVar(Master3, s.m3);
        host.setVar(Engine3Running, s.engine3);
        host.clearLogs();
        s.click(*g);
        EXPECT_EQ(g->lastMouseResult(), 0);
        EXPECT_EQ(host.events(), s.events) << &s - steps;
        EXPECT_EQ(shown(host, *g), s.position) << &s - steps;
    }
}

TEST(EmergencyLights, SwitchMovesBetweenOneAndTwoAndItsLampNeedsPower) {
    tw::Host host;
    tw::Gauge* sw = host.createGauge("EMERLIGHTS");
    tw::Gauge* lamp = host.createGauge("EMERWARN");
    EXPECT_EQ(sw->tooltipAt(1, 1), "Emergency Lights Switch");
    EXPECT_EQ(lamp->tooltipAt(1, 1), "Emergency Lights Armed Light");
    EXPECT_FALSE(lamp->press(1, 1));
    EXPECT_EQ(shown(host, *sw), 1);
    down(*sw);
    EXPECT_EQ(shown(host, *sw), 1);
    up(*sw);
    EXPECT_EQ(shown(host, *sw), 2);
    up(*sw);
    EXPECT_EQ(shown(host, *sw), 2);
    EXPECT_TRUE(lamp->drawState()[1].hidden);  // no power
    down(*sw);
    EXPECT_EQ(shown(host, *sw), 1);
    EXPECT_TRUE(lamp->drawState()[1].hidden);
    EXPECT_TRUE(host.events().empty());

    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    moduleVar<uint32_t>(host, "PowerAvailable") = 1;
    host.frame();
    EXPECT_FALSE(lamp->drawState()[1].hidden);
    EXPECT_EQ(lamp->drawState()[1].image, 0);
    up(*sw);
    host.frame();
    EXPECT_TRUE(lamp->drawState()[1].hidden);
}

#if !defined(_WIN32)

namespace {

struct Overhead {
    twtest::ScratchFolder dir;
    tw::Host host;
    tw::Gauge* battery = nullptr;
    tw::Gauge* emergency = nullptr;
    Overhead() {
        twtest::writeCockpitSounds(dir);
        host.createGauge("FLOOD_SW");
        battery = host.createGauge("BATTERYSW");
        emergency = host.createGauge("EMERLIGHTS");
    }
    twplat::SoundBufferInfo sound(const char* name) { return twtest::soundInfo(host, name); }
    unsigned clicks() { return sound("sndBigSwitchClick").playCalls; }
    // The host's three masters before a click.
    void masters(double m1, double m2, double m3) {
        host.setVar(Master1, m1);
        host.setVar(Master2, m2);
        host.setVar(Master3, m3);
        host.clearLogs();
    }
};

}  // namespace

TEST(BatterySwitch, GroundPowerTheInvertersHumAndTheClicks) {
    Overhead c;
    SKIP_WITHOUT_MODULE_SYMBOLS(c.host);
    uint8_t& available = moduleVar<uint8_t>(c.host, "ExternalPowerAvailable");
    const uint8_t& on = moduleVar<uint8_t>(c.host, "ExternalPowerOn");

    // Off to ground power with ground power available: the aircraft runs on it.
    available = 1;
    c.masters(0.0, 1.0, 0.0);
    down(*c.battery);
    EXPECT_EQ(c.host.events(), (Events{Toggle1, Toggle3}));
    EXPECT_EQ(on, 1u);
    EXPECT_TRUE(c.sound("sndInverters").playing);
    EXPECT_TRUE(c.sound("sndInverters").looping);

    // Back to off with an engine running: ground power is left, the masters stay.
    c.host.setVar(Engine3Running, 1.0);
    c.masters(1.0, 1.0, 1.0);
    up(*c.battery);
    EXPECT_EQ(on, 0u);
    EXPECT_TRUE(c.host.events().empty());

    // Off to battery with the master on: the click, and no hum started.
    const unsigned hums = c.sound("sndInverters").playCalls;
    up(*c.battery);
    up(*c.battery);  // at the top: silent
    EXPECT_EQ(c.sound("sndInverters").playCalls, hums);
    EXPECT_EQ(c.clicks(), 3u);

    // No power on the next tick: the tick stops the hum.
    c.host.setVar(Engine3Running, 0.0);
    c.masters(0.0, 0.0, 0.0);
    c.host.runTicks(1);
    EXPECT_FALSE(c.sound("sndInverters").playing);

    // The emergency lights switch clicks only when it moves.
    for (auto click : {down, up, up, down}) click(*c.emergency);
    EXPECT_EQ(c.clicks(), 5u);
}

#endif  // !_WIN32

}  // namespace battery_test
