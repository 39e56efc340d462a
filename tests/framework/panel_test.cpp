// The whole panel through the master gauge's life, over every gauge in the
// module's table: the heap once FLOOD_SW has connected, two copies of every
// gauge on two windows, a thousand connects and disconnects, and the gauges
// left on the panel once FLOOD_SW has gone.

#include <gtest/gtest.h>

#include "host/allocation_count.h"
#include "tests/support/cockpit.h"
#include "tests/support/whole_panel.h"

#if !defined(_WIN32)
#include "tests/support/machinery.h"
#endif

namespace panel_test {

namespace {

constexpr uint32_t EngineRunning1 = 131;
constexpr uint32_t FurtherPowerSource = 364;

// A panel with power, the sounds on disk and the offset service up.
struct Panel {
    twtest::ScratchFolder dir;
    tw::Host host;
    std::vector<tw::Gauge*> gauges;
    Panel() {
        twtest::writeCockpitSounds(dir);
        host.startOffsetServer();
        host.setVar(EngineRunning1, 1.0);
        host.setVar(FurtherPowerSource, 1.0);
        gauges = twtest::createEveryGauge(host);
    }
};

}  // namespace

TEST(Panel, AfterTheMasterConnectsFramesTicksClicksAndTooltipsAllocateNothing) {
    Panel p;
    // On Windows the timer runs in real time, and the DLL's own runtime
    // allocates out of sight: there this proves the host's side.
#if defined(_WIN32)
    constexpr int Ticks = 20;
#else
    constexpr int Ticks = 1000;
#endif
    uint64_t frames, ticks, clicks, tooltips;
    int pressed = 0, shown = 0;
    {
        tw::AllocationCount count;
        p.host.frames(1000);
        frames = count.allocations();
    }
    {
        tw::AllocationCount count;
        p.host.runTicks(Ticks);
        ticks = count.allocations();
    }
    {
        tw::AllocationCount count;
        for (tw::Gauge* g : p.gauges) pressed += twtest::clickEveryArea(*g);
        p.host.frame();
        clicks = count.allocations();
    }
    {
        tw::AllocationCount count;
        for (tw::Gauge* g : p.gauges) shown += twtest::showEveryTooltip(*g);
        tooltips = count.allocations();
    }
    EXPECT_EQ(frames, 0u);
    EXPECT_EQ(ticks, 0u);
    EXPECT_EQ(clicks, 0u);
    EXPECT_EQ(tooltips, 0u);
    EXPECT_GT(pressed, 0);
    EXPECT_GT(shown, 0);
}

#if !defined(_WIN32)

namespace {

using twtest::held;
using twtest::Held;

// Whether the systems timer runs: one period with a new simulation time.
bool ticks(tw::Host& host) {
    double t = host.var(604) + 1.0;
    host.setVar(604, t);
    host.runFor(55);
    return moduleVar<double>(host, "TimeNow") == t;
}

// Every buffer ever made was released once and never touched after.
void expectAllReleasedOnce() {
    for (const auto& b : twplat::soundBuffers()) {
        EXPECT_TRUE(b.released);
        EXPECT_EQ(b.refs, 0u);
        EXPECT_EQ(b.callsAfterRelease, 0u);
    }
    for (const auto& d : twplat::soundDevices()) {
        EXPECT_TRUE(d.released);
        EXPECT_EQ(d.refs, 0u);
    }
}

void expectNullHandles(tw::Host& host) {
    for (const std::string& name : twtest::CockpitSoundHandles)
        EXPECT_EQ(moduleVar<SoundHandle>(host, name.c_str()), nullptr) << name;
}

}  // namespace

TEST(Panel, TwoCopiesOfEveryGaugeRunOneSetOfMachineryUntilTheLastGoes) {
    for (bool first_goes_first : {true, false}) {
        SCOPED_TRACE(first_goes_first ? "first copies go first" : "second copies go first");
        twtest::ScratchFolder dir;
        twtest::writeCockpitSounds(dir);
        tw::Host host;
        SKIP_WITHOUT_MODULE_SYMBOLS(host);
        host.startOffsetServer();
        const Held before = held();

        auto first = twtest::createEveryGauge(host, 0x1000);
        auto second = twtest::createEveryGauge(host, 0x2000);
        const Held running = held();
        EXPECT_EQ(running.devices, 1u);
        EXPECT_EQ(running.buffers, 20u);
        EXPECT_EQ(running.timers, before.timers + 1);
        EXPECT_EQ(running.atoms, before.atoms + 1);
        EXPECT_EQ(running.mappings, before.mappings + 1);
        EXPECT_EQ(twplat::soundBuffers().size(), 20u);
        EXPECT_EQ(moduleVar<uint32_t>(host, "IpcOpenCount"), 1u);
        host.runTicks(3);

        twtest::destroyAll(host, first_goes_first ? first : second);
        EXPECT_EQ(held(), running);
        EXPECT_TRUE(ticks(host));
        EXPECT_NE(moduleVar<uint8_t*>(host, "IpcView"), nullptr);
        EXPECT_NE(moduleVar<SoundHandle>(host, "sndClick"), nullptr);

        twtest::destroyAll(host, first_goes_first ? second : first);
        EXPECT_EQ(held(), before);
        EXPECT_FALSE(ticks(host));
        EXPECT_EQ(moduleVar<uint8_t*>(host, "IpcView"), nullptr);
        EXPECT_EQ(twplat::soundBuffers().size(), 20u);
        expectAllReleasedOnce();
        expectNullHandles(host);
    }
}

TEST(Panel, AThousandConnectsAndDisconnectsLeaveNothingBehind) {
    twtest::ScratchFolder dir;
    twtest::writeCockpitSounds(dir);
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    constexpr int Cycles = 1000;
    for (bool server : {true, false}) {
        SCOPED_TRACE(server ? "offset server up" : "offset server down");
        if (server) host.startOffsetServer();
        const Held before = held();
        for (int i = 0; i < Cycles; ++i) {
            auto gauges = twtest::createEveryGauge(host);
            host.runTicks(1);
            twtest::destroyAll(host, gauges);
        }
        EXPECT_EQ(held(), before);
        EXPECT_EQ(moduleVar<int32_t>(host, "IpcConnected"), 1);  // never cleared once set
        host.stopOffsetServer();
    }
    EXPECT_EQ(twplat::soundBuffers().size(), 2u * Cycles * 20);
    expectAllReleasedOnce();
    // Without a server an open stops before it counts.
    EXPECT_EQ(moduleVar<uint32_t>(host, "IpcOpenCount"), static_cast<uint32_t>(Cycles));
}

TEST(Panel, GaugesLeftOnThePanelOnceTheMasterGoesPlayNoReleasedSound) {
    Panel p;
    SKIP_WITHOUT_MODULE_SYMBOLS(p.host);
    p.host.runTicks(3);
    ASSERT_EQ(moduleVar<uint32_t>(p.host, "PowerAvailable"), 1u);
    int pressed = 0;
    for (tw::Gauge* g : p.gauges) pressed += twtest::clickEveryArea(*g);

    p.host.destroyGauge(p.gauges[0]);  // FLOOD_SW
    p.gauges.erase(p.gauges.begin());
    expectNullHandles(p.host);
    // Every engine in the middle of a start, armed and with duct pressure, as
    // when the window holding FLOOD_SW closes during one.
    for (int n = 0; n < 4; ++n) {
        (&moduleVar<uint8_t>(p.host, "StarterSwitch"))[n] = 2;
        (&moduleVar<uint32_t>(p.host, "StarterEngaged"))[n] = 1;
        (&moduleVar<double>(p.host, "StarterSeconds"))[n] = 20.0;
        (&moduleVar<uint32_t>(p.host, "StartLeverOpen"))[n] = 0;
    }
    moduleVar<uint8_t>(p.host, "StartArm") = 1;
    moduleVar<double>(p.host, "StarterPressure") = 40.0;
    for (int round = 0; round < 2; ++round) {
        for (tw::Gauge* g : p.gauges) pressed += twtest::clickEveryArea(*g);
        p.host.runTicks(40);
    }
    EXPECT_GT(pressed, 0);
    for (const auto& b : twplat::soundBuffers()) EXPECT_EQ(b.callsAfterRelease, 0u);
}

#endif  // !_WIN32

}  // namespace panel_test
