// The synthesized cockpit sounds of the build, loaded and played as the master
// gauge does when the simulator runs from the build's folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "host/host.h"
#include "tests/support/module_api.h"

#if !defined(_WIN32)
#include "platform/linux/stand_in.h"
#endif

namespace cockpit_sound_files_test {

namespace {

class InBuildFolder : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(TW_SOUND_PARENT);
    }
    void TearDown() override { std::filesystem::current_path(previous_); }
    std::filesystem::path previous_;
};

#if !defined(_WIN32)
TEST_F(InBuildFolder, TheTwentySoundsLoadAndPlay) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    tw::Gauge* flood = host.createGauge("FLOOD_SW");
    const char* handles[] = {
        "sndGearSound",    "sndGear1",           "sndClick",           "sndTrim",
        "sndAltWarn",      "sndBigSwitchClick",  "sndAltWarn2",        "sndHghbSpup",
        "sndTakeoffWarn",  "sndStickShaker",     "sndChime",           "sndOverspeed",
        "sndExternalElec", "sndExternalAircart", "sndCockpitToGround", "sndExternalAirOff",
        "sndClear",        "sndDingDong",        "sndInverters",       "sndGlideslope"};
    for (const char* h : handles) EXPECT_NE(moduleVar<void*>(host, h), nullptr) << h;
    auto buffers = twplat::soundBuffers();
    ASSERT_EQ(buffers.size(), 20u);
    for (const auto& b : buffers) {
        EXPECT_EQ(b.format.wFormatTag, 1);  // PCM
        EXPECT_EQ(b.format.nSamplesPerSec, 22050u);
        EXPECT_EQ(b.format.wBitsPerSample, 16);
        EXPECT_GT(b.bytes.size(), 1000u);  // more than silence of a few samples
    }
    // The speech and the tones carry sound, not zeros.
    for (const auto& b : buffers) {
        int loud = 0;
        for (size_t i = 0; i + 1 < b.bytes.size(); i += 2)
            loud += std::abs(static_cast<int16_t>(b.bytes[i] | b.bytes[i + 1] << 8)) > 1000;
        EXPECT_GT(loud, 10);
    }
    // The mix: every alert at least twice (6 dB) as loud as the loudest of
    // the background loops, which hum on while it sounds.
    auto rms = [&](size_t k) {
        const auto& b = buffers[k].bytes;
        double sum = 0;
        for (size_t i = 0; i + 1 < b.size(); i += 2) {
            double v = static_cast<int16_t>(b[i] | b[i + 1] << 8) / 32768.0;
            sum += v * v;
        }
        return std::sqrt(sum / static_cast<double>(std::max<size_t>(b.size() / 2, 1)));
    };
    // By load order: rolling, gear wind, the air cart, the inverters.
    double loops = 0;
    for (size_t k : {0u, 1u, 13u, 18u}) loops = std::max(loops, rms(k));
    EXPECT_LT(loops, 0.08);
    // Altitude alert, take-off horn, stick shaker, chime, overspeed, cabin
    // call, glideslope.
    for (size_t k : {4u, 8u, 9u, 10u, 11u, 17u, 19u}) EXPECT_GT(rms(k), 2 * loops) << handles[k];
    ASSERT_TRUE(flood->press(10, 10));
    flood->release();
    EXPECT_EQ(buffers[2].buffer, twplat::soundBuffers()[2].buffer);
    EXPECT_EQ(twplat::soundBuffers()[2].playCalls, 1u);  // sndClick, the third loaded
}
#endif

}  // namespace

}  // namespace cockpit_sound_files_test
