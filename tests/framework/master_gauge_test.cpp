// FLOOD_SW as the simulator drives it: the switch, and the machinery it starts
// on connect and stops on disconnect.
#if !defined(_WIN32)

#include <gtest/gtest.h>

#include "tests/support/cockpit.h"

namespace master_gauge_test {

namespace {

struct Connected {
    twtest::ScratchFolder dir;
    tw::Host host;
    tw::Gauge* flood = nullptr;
    Connected(bool server = true, bool sounds = true) {
        if (sounds) twtest::writeCockpitSounds(dir);
        if (server) host.startOffsetServer();
        flood = host.createGauge("FLOOD_SW", "", 0x5150);
    }
};

std::vector<twplat::TimerInfo> systemsTimers() {
    std::vector<twplat::TimerInfo> out;
    for (const auto& t : twplat::timers())
        if (t.id == 60) out.push_back(t);
    return out;
}

}  // namespace

TEST(MasterGauge, StartsTheSwitchWhereTheHostsLightingIs) {
    for (double token10 : {0.0, 1.0, -1.0, 0.5}) {
        tw::Host host;
        host.setVar(10, token10);
        tw::Gauge* g = host.createGauge("FLOOD_SW");
        host.frame();
        EXPECT_EQ(g->drawState()[1].image, token10 == 0.0 ? 0 : 1) << token10;
    }
}

TEST(MasterGauge, TwoClicksSendBothEventsWithOneClickSoundEach) {
    Connected c;
    SKIP_WITHOUT_MODULE_SYMBOLS(c.host);
    c.host.clearLogs();
    ASSERT_TRUE(c.flood->press(27, 27));
    EXPECT_EQ(twtest::soundInfo(c.host, "sndClick").playCalls, 1u);
    ASSERT_TRUE(c.flood->press(27, 27));
    EXPECT_EQ(twtest::soundInfo(c.host, "sndClick").playCalls, 2u);
    EXPECT_EQ(c.host.events(), (std::vector<tw::SentEvent>{{tw::SentEvent::Module, 66056, 0},
                                                           {tw::SentEvent::Module, 66057, 0}}));
    c.host.frame();
    EXPECT_EQ(c.flood->drawState()[1].image, 0);
    EXPECT_EQ(moduleVar<int32_t>(c.host, "FloodLightsOn"), 0);
}

TEST(MasterGauge, ConnectStartsTheMachineryInOrder) {
    twtest::ScratchFolder dir;
    twtest::writeCockpitSounds(dir);
    dir.write("SimObjects/Airplanes/c172/aircraft.cfg", {'x'});
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    tw::OffsetServer& server = host.startOffsetServer();
    host.setVar(304, 1234.0);
    host.setVar(303, -77.0);
    moduleVar<int32_t>(host, "RadarCellShade") = 9;
    (&moduleVar<int32_t>(host, "RadarCellEcho"))[319] = 9;

    host.createGauge("FLOOD_SW", "", 0x5150);
    EXPECT_EQ(moduleVar<int32_t>(host, "HostHasSimObjects"), 1);
    EXPECT_TRUE(twplat::openFiles().empty());  // the probe was closed at once
    EXPECT_EQ(moduleVar<int32_t>(host, "RadarCellShade"), 0);
    EXPECT_EQ((&moduleVar<int32_t>(host, "RadarCellEcho"))[319], 0);
    // Version 7 succeeded: one open, one handshake batch.
    EXPECT_EQ(moduleVar<int32_t>(host, "IpcConnected"), 1);
    EXPECT_EQ(moduleVar<uint32_t>(host, "IpcResult"), 0u);
    EXPECT_EQ(moduleVar<uint32_t>(host, "IpcOpenCount"), 1u);
    EXPECT_EQ(server.batches(), 1u);
    EXPECT_EQ(moduleVar<double>(host, "PrevToken304"), 1234.0);
    EXPECT_EQ(moduleVar<double>(host, "PrevToken303"), -77.0);

    auto timers = systemsTimers();
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0].hwnd, host.mainWindow().window());
    EXPECT_EQ(timers[0].period, 55u);

    // The twenty sounds, in table order, from their files.
    const char* handles[] = {
        "sndGearSound",    "sndGear1",           "sndClick",           "sndTrim",
        "sndAltWarn",      "sndBigSwitchClick",  "sndAltWarn2",        "sndHghbSpup",
        "sndTakeoffWarn",  "sndStickShaker",     "sndChime",           "sndOverspeed",
        "sndExternalElec", "sndExternalAircart", "sndCockpitToGround", "sndExternalAirOff",
        "sndClear",        "sndDingDong",        "sndInverters",       "sndGlideslope"};
    auto buffers = twplat::soundBuffers();
    ASSERT_EQ(buffers.size(), 20u);
    for (size_t i = 0; i < 20; ++i) {
        size_t file = i == 6 ? 4 : i;
        EXPECT_EQ(buffers[i].buffer, moduleVar<SoundHandle>(host, handles[i])) << handles[i];
        EXPECT_EQ(buffers[i].bytes.size(), 100 + file) << handles[i];
    }
    EXPECT_NE(moduleVar<SoundHandle>(host, "sndAltWarn"),
              moduleVar<SoundHandle>(host, "sndAltWarn2"));
    EXPECT_EQ(twplat::soundDevices().size(), 1u);
    EXPECT_EQ(twplat::soundDevices()[0].cooperativeLevel, 1u);
}

TEST(MasterGauge, FallsBackToVersion8AndRunsOnWithoutTheService) {
    {
        twtest::ScratchFolder dir;
        tw::Host host;
        SKIP_WITHOUT_MODULE_SYMBOLS(host);
        host.startOffsetServer(tw::OffsetServer::Class::Uipcmain, 8);
        host.createGauge("FLOOD_SW");
        EXPECT_EQ(moduleVar<int32_t>(host, "IpcConnected"), 1);
        EXPECT_EQ(moduleVar<uint32_t>(host, "IpcOpenCount"), 2u);
    }
    {
        // No server, no sound files, no probe: every step fails quietly.
        twtest::ScratchFolder dir;
        tw::Host host;
        host.createGauge("FLOOD_SW");
        EXPECT_EQ(moduleVar<int32_t>(host, "IpcConnected"), 0);
        EXPECT_EQ(moduleVar<uint32_t>(host, "IpcResult"), 2u);
        EXPECT_EQ(moduleVar<int32_t>(host, "HostHasSimObjects"), 0);
        EXPECT_EQ(moduleVar<SoundHandle>(host, "sndClick"), nullptr);
        EXPECT_EQ(systemsTimers().size(), 1u);
        host.runFor(550);
        EXPECT_EQ(systemsTimers()[0].fired, 10u);
    }
}

TEST(MasterGauge, DisconnectStopsEverythingAndAReconnectStartsAgain) {
    Connected c;
    SKIP_WITHOUT_MODULE_SYMBOLS(c.host);
    c.host.runFor(110);
    ASSERT_EQ(systemsTimers().size(), 1u);
    EXPECT_EQ(systemsTimers()[0].fired, 2u);
    SoundHandle altWarn = moduleVar<SoundHandle>(c.host, "sndAltWarn");

    c.host.destroyGauge(c.flood);
    EXPECT_TRUE(systemsTimers().empty());
    double time = moduleVar<double>(c.host, "TimeNow");
    c.host.setVar(604, 99.0);
    c.host.runFor(1000);
    EXPECT_EQ(moduleVar<double>(c.host, "TimeNow"), time);  // no tick ran
    auto buffers = twplat::soundBuffers();
    ASSERT_EQ(buffers.size(), 20u);
    for (const auto& b : buffers) EXPECT_TRUE(b.released);
    EXPECT_TRUE(twplat::soundDevices()[0].released);
    EXPECT_EQ(moduleVar<LPDIRECTSOUND>(c.host, "SoundDevice"), nullptr);
    // Every handle is null again: a gauge still on another window plays nothing.
    for (const std::string& name : twtest::CockpitSoundHandles)
        EXPECT_EQ(moduleVar<SoundHandle>(c.host, name.c_str()), nullptr) << name;
    EXPECT_TRUE(twplat::atoms().empty());
    EXPECT_TRUE(twplat::mappings().empty());

    // A second connect repeats the whole start with new handles.
    c.flood = c.host.createGauge("FLOOD_SW");
    EXPECT_EQ(systemsTimers().size(), 1u);
    EXPECT_EQ(twplat::soundBuffers().size(), 40u);
    EXPECT_NE(moduleVar<SoundHandle>(c.host, "sndAltWarn"), altWarn);
    EXPECT_EQ(moduleVar<uint32_t>(c.host, "IpcOpenCount"), 2u);
    c.host.runFor(55);
    EXPECT_EQ(moduleVar<double>(c.host, "TimeNow"), 99.0);
}

TEST(MasterGauge, WithoutAMainWindowTheTimerStillStopsWithTheMaster) {
    twtest::ScratchFolder dir;
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    DestroyWindow(host.mainWindow().window());
    ASSERT_EQ(FindWindowA("FS2KMAIN", nullptr), nullptr);

    // A thread timer, under an id the system chose.
    tw::Gauge* flood = host.createGauge("FLOOD_SW");
    auto timers = twplat::timers();
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0].hwnd, nullptr);
    host.setVar(604, 5.0);
    host.runFor(55);
    EXPECT_EQ(moduleVar<double>(host, "TimeNow"), 5.0);

    host.destroyGauge(flood);
    EXPECT_TRUE(twplat::timers().empty());
    host.setVar(604, 9.0);
    host.runFor(550);
    EXPECT_EQ(moduleVar<double>(host, "TimeNow"), 5.0);  // no tick after the stop
}

}  // namespace master_gauge_test

#endif  // !_WIN32
