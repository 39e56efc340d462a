// The overhead sign and light switches and the control position indicator on
// the bundled host: positions taken from the host as a gauge is initialised,
// the events and sounds of every throw both ways, and the pointers with and
// without power.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/host.h"
#include "tests/support/module_api.h"

#if !defined(_WIN32)
#include "tests/support/cockpit.h"
#endif

namespace lights_test {

namespace {

using tw::SentEvent;
using Events = std::vector<SentEvent>;

SentEvent sent(uint32_t id) { return {SentEvent::Module, id, 0}; }

// Points in the single area, and in the upper and lower areas of a rocker.
void toggle(tw::Gauge& g) { ASSERT_TRUE(g.press(29, 35)); }
void down(tw::Gauge& g) { ASSERT_TRUE(g.press(0, 17)); }
void up(tw::Gauge& g) { ASSERT_TRUE(g.press(29, 19)); }

int32_t shown(tw::Host& host, tw::Gauge& g) {
    host.frame();
    return g.drawState()[1].image;
}

// The gauge created afresh, as on another panel window: it reads the host
// again, while its position lives on in the module.
tw::Gauge* recreate(tw::Host& host, tw::Gauge* g) {
    std::string name = g->name();
    host.destroyGauge(g);
    host.clearLogs();
    return host.createGauge(name);
}

}  // namespace

TEST(SignSwitches, ToggleBetweenOffAndOnAndSendNothing) {
    tw::Host host;
    for (const char* name : {"SMOKING_SIGN", "SEATBELT_SIGN"}) {
        tw::Gauge* g = host.createGauge(name);
        EXPECT_EQ(shown(host, *g), 0) << name;
        toggle(*g);
        EXPECT_EQ(g->lastMouseResult(), 0);
        EXPECT_EQ(shown(host, *g), 2) << name;
        toggle(*g);
        EXPECT_EQ(shown(host, *g), 0) << name;
    }
    EXPECT_TRUE(host.events().empty());
    EXPECT_EQ(host.gauges()[0]->tooltipAt(1, 1), "No Smoking Sign Switch");
    EXPECT_EQ(host.gauges()[1]->tooltipAt(1, 1), "Seat Belt Sign Switch");
    EXPECT_FALSE(host.gauges()[0]->press(30, 0));
}

TEST(LightToggles, TakeTheHostsLightAndToggleItOnEveryThrow) {
    struct Light {
        const char* name;
        uint32_t var, toggle;
        const char* tooltip;
    };
    for (const Light& l : {Light{"ANTICOLLISION", 368, 66239, "Anti-Collision Light Switch"},
                           Light{"NAV_LIGHTS", 619, 66379, "Navigation Lights Switch"}}) {
        SCOPED_TRACE(l.name);
        tw::Host host;
        tw::Gauge* g = host.createGauge(l.name);
        EXPECT_EQ(g->tooltipAt(1, 1), l.tooltip);
        EXPECT_EQ(shown(host, *g), 1);  // the host's light reads 0
        for (double light : {1.0, 0.5, -1.0, double(NAN)}) {
            host.setVar(l.var, light);
            g = recreate(host, g);
            EXPECT_EQ(shown(host, *g), 2) << light;
        }
        toggle(*g);
        EXPECT_EQ(shown(host, *g), 1);
        toggle(*g);
        EXPECT_EQ(shown(host, *g), 2);
        EXPECT_EQ(host.events(), (Events{sent(l.toggle), sent(l.toggle)}));
        host.setVar(l.var, 0.0);
        g = recreate(host, g);
        EXPECT_EQ(shown(host, *g), 1);
        EXPECT_TRUE(host.events().empty());
    }
}

TEST(WingFloodLights, EveryStepTogglesTheLightAndTheEndsAreSilent) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("WING_FLOOD_LIGHTS");
    EXPECT_EQ(g->tooltipAt(1, 1), "Wing Flood Lights Switch");
    EXPECT_EQ(shown(host, *g), 1);
    struct Step {
        void (*click)(tw::Gauge&);
        int32_t position;
        bool sends;
    };
    const Step steps[] = {{up, 2, true},    {up, 2, false}, {down, 1, true}, {down, 0, true},
                          {down, 0, false}, {up, 1, true},  {down, 0, true}};
    for (const Step& s : steps) {
        host.clearLogs();
        s.click(*g);
        EXPECT_EQ(shown(host, *g), s.position);
        EXPECT_EQ(host.events(), s.sends ? Events{sent(66378)} : Events{});
    }
    // Only a light plainly off or on moves the switch as the gauge starts.
    const std::pair<double, int32_t> starts[] = {{1.0, 2}, {0.5, 2}, {0.0, 1}, {NAN, 1}, {2.0, 1}};
    for (auto [light, position] : starts) {
        host.setVar(621, light);
        g = recreate(host, g);
        EXPECT_EQ(shown(host, *g), position) << light;
    }
    EXPECT_TRUE(host.events().empty());
}

TEST(LandingLights, ExtendRetractAndSwitchTheLightsStepByStep) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("LANDING_LIGHT1");
    EXPECT_EQ(g->tooltipAt(1, 1), "Landing Lights Extend/Retract Switch");
    EXPECT_TRUE(host.events().empty());  // the lights read off
    EXPECT_EQ(shown(host, *g), 1);
    struct Step {
        void (*click)(tw::Gauge&);
        int32_t position;
        Events events;
    };
    const Step steps[] = {
        {up, 2, {sent(66059), sent(66391)}},
        {up, 2, {}},
        {down, 1, {sent(66060)}},
        {down, 0, {sent(66391)}},
        {down, 0, {}},
        {up, 1, {sent(66060)}},
    };
    for (const Step& s : steps) {
        host.clearLogs();
        s.click(*g);
        EXPECT_EQ(shown(host, *g), s.position);
        EXPECT_EQ(host.events(), s.events);
    }

    // As the gauge starts, lights on show on, and are extended once when they
    // read exactly retracted; lights below 0 or unreadable leave the switch.
    struct Start {
        double lights, extended;
        int32_t position;
        bool extends;
    };
    const Start starts[] = {{0.2, 0, 2, true}, {-1, 0, 2, false},  {NAN, 0, 2, false},
                            {1, 1, 2, false},  {1, 0.5, 2, false}, {0, 0, 1, false},
                            {-1, 0, 1, false}};
    for (const Start& s : starts) {
        host.setVar(14, s.lights);
        host.setVar(869, s.extended);
        g = recreate(host, g);
        EXPECT_EQ(shown(host, *g), s.position) << &s - starts;
        EXPECT_EQ(host.events(), s.extends ? Events{sent(66391)} : Events{}) << &s - starts;
    }
}

TEST(ControlPosition, PointersRestWithoutPowerAndFollowTheControlsWithIt) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("CONTROLS");
    host.setVar(313, 5500.0);
    host.setVar(317, -3700.0);
    host.setVar(316, 4000.0);
    host.frame();
    const auto& d = g->drawState();
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[1].value, 0.0);
    EXPECT_EQ(d[2].offset_y, 0.0);
    EXPECT_EQ(d[3].offset_x, 0.0);
    EXPECT_FALSE(g->press(40, 40));
    EXPECT_EQ(g->tooltipAt(40, 40), std::nullopt);
    EXPECT_EQ(g->mouseAreas().helpIdAt(40, 40), 43868u);

    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    moduleVar<uint32_t>(host, "PowerAvailable") = 1;
    host.frame();
    EXPECT_DOUBLE_EQ(d[1].value, 10.0);
    EXPECT_DOUBLE_EQ(d[2].offset_y, -2.0);
    EXPECT_DOUBLE_EQ(d[3].offset_x, 2.0);
    // The needle turns at most 12 degrees an update.
    host.setVar(313, 550.0 * 40);
    host.frame();
    EXPECT_DOUBLE_EQ(d[1].angle, 22.0);
}

#if !defined(_WIN32)

TEST(OverheadSwitches, ClickSoundsAndTheCabinChime) {
    twtest::ScratchFolder dir;
    twtest::writeCockpitSounds(dir);
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    host.createGauge("FLOOD_SW");
    auto plays = [&](const char* sound) { return twtest::soundInfo(host, sound).playCalls; };

    // A sign click chimes only with power.
    tw::Gauge* sign = host.createGauge("SEATBELT_SIGN");
    toggle(*sign);
    EXPECT_EQ(plays("sndClick"), 1u);
    EXPECT_EQ(plays("sndChime"), 0u);
    host.setVar(364, 1.0);
    host.runTicks(1);
    toggle(*sign);
    toggle(*host.createGauge("SMOKING_SIGN"));
    EXPECT_EQ(plays("sndClick"), 3u);
    EXPECT_EQ(plays("sndChime"), 2u);

    toggle(*host.createGauge("NAV_LIGHTS"));
    EXPECT_EQ(plays("sndClick"), 4u);

    // Up clicks, down clicks big; the ends are silent.
    tw::Gauge* flood = host.createGauge("WING_FLOOD_LIGHTS");
    up(*flood);
    up(*flood);
    EXPECT_EQ(plays("sndClick"), 5u);
    down(*flood);
    down(*flood);
    down(*flood);
    EXPECT_EQ(plays("sndBigSwitchClick"), 2u);

    tw::Gauge* landing = host.createGauge("LANDING_LIGHT1");
    for (auto click : {down, down, up, up, up}) click(*landing);
    EXPECT_EQ(plays("sndClick"), 8u);
    EXPECT_EQ(plays("sndBigSwitchClick"), 2u);
}

#endif  // !_WIN32

}  // namespace lights_test
