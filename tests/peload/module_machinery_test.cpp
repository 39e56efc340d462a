// The master gauge's machinery as the host sees it, with nothing read from
// inside the module: its sounds in the stand-in's DirectSound, its systems
// timer on the host's clock and its offset client at the host's server. On
// the 32-bit Linux host's run of the shipping DLL this is what shows the
// loader's DirectSound objects, timer procedures and window calls at work.
#if !defined(_WIN32)

#include <gtest/gtest.h>

#include "framework/host_ids.h"
#include "tests/support/cockpit.h"

namespace module_machinery_test {

namespace {

constexpr UINT_PTR SystemsTimer = 60;
constexpr size_t ClickSound = 2;
constexpr size_t GearSound = 0;

size_t systemsTimers() {
    size_t n = 0;
    for (const auto& t : twplat::timers()) n += t.id == SystemsTimer;
    return n;
}

}  // namespace

TEST(ModuleMachinery, SoundsTimerAndOffsetClientComeAndGoWithTheMasterGauge) {
    twtest::ScratchFolder dir;
    twtest::writeCockpitSounds(dir);
    tw::Host host;
    tw::OffsetServer& server = host.startOffsetServer();
    tw::Gauge* flood = host.createGauge("FLOOD_SW");

    // The twenty sounds, each from its file (#5 and #7 are one file).
    ASSERT_EQ(twplat::soundDevices().size(), 1u);
    EXPECT_EQ(twplat::soundDevices()[0].cooperativeLevel, DSSCL_NORMAL);
    auto buffers = twplat::soundBuffers();
    ASSERT_EQ(buffers.size(), 20u);
    for (size_t i = 0; i < buffers.size(); ++i)
        EXPECT_EQ(buffers[i].bytes.size(), 100 + (i == 6 ? 4 : i)) << i;
    EXPECT_EQ(server.batches(), 1u);  // the handshake

    ASSERT_TRUE(flood->press(27, 27));
    EXPECT_EQ(twplat::soundBuffers()[ClickSound].playCalls, 1u);
    EXPECT_TRUE(twplat::soundBuffers()[ClickSound].playing);

    // The timer's tick rolls the gear noise at 50 knots on the ground.
    ASSERT_EQ(systemsTimers(), 1u);
    host.setVar(hostvar::GroundSpeedRule, 1.0);
    host.setVar(hostvar::IndicatedAirspeed, 50.0);
    host.runFor(55);
    twplat::SoundBufferInfo gear = twplat::soundBuffers()[GearSound];
    EXPECT_TRUE(gear.playing && gear.looping);
    EXPECT_EQ(gear.volume, 40 * 50 - 3200);

    host.destroyGauge(flood);
    EXPECT_EQ(systemsTimers(), 0u);
    for (const auto& b : twplat::soundBuffers()) EXPECT_TRUE(b.released);
    EXPECT_TRUE(twplat::soundDevices()[0].released);
}

}  // namespace module_machinery_test

#endif  // !_WIN32
