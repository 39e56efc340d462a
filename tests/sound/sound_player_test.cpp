// The sound player inside the loaded module, over the Linux stand-in's
// DirectSound, with WAV files written here.
#if !defined(_WIN32)

#include <gtest/gtest.h>

#include "platform/linux/stand_in.h"
#include "sound/sound_player.h"
#include "tests/support/module_api.h"
#include "tests/support/wav_files.h"

namespace sound_player_test {

namespace {

using twtest::samples;
using twtest::WavImage;

struct Player {
    explicit Player(tw::Host& host)
        : init(moduleFn<decltype(&soundInit)>(host, "soundInit")),
          load(moduleFn<decltype(&soundLoad)>(host, "soundLoad")),
          play(moduleFn<decltype(&soundPlay)>(host, "soundPlay")),
          stop(moduleFn<decltype(&soundStop)>(host, "soundStop")),
          setVolume(moduleFn<decltype(&soundSetVolume)>(host, "soundSetVolume")),
          free(moduleFn<decltype(&soundFree)>(host, "soundFree")),
          shutdown(moduleFn<decltype(&soundShutdown)>(host, "soundShutdown")),
          setPosition(moduleFn<decltype(&soundSetPosition)>(host, "soundSetPosition")),
          setPan(moduleFn<decltype(&soundSetPan)>(host, "soundSetPan")),
          setFrequency(moduleFn<decltype(&soundSetFrequency)>(host, "soundSetFrequency")),
          isPlaying(moduleFn<decltype(&soundIsPlaying)>(host, "soundIsPlaying")),
          parse(moduleFn<decltype(&waveParse)>(host, "waveParse")),
          device(moduleVar<LPDIRECTSOUND>(host, "SoundDevice")) {}
    decltype(&soundInit) init;
    decltype(&soundLoad) load;
    decltype(&soundPlay) play;
    decltype(&soundStop) stop;
    decltype(&soundSetVolume) setVolume;
    decltype(&soundFree) free;
    decltype(&soundShutdown) shutdown;
    decltype(&soundSetPosition) setPosition;
    decltype(&soundSetPan) setPan;
    decltype(&soundSetFrequency) setFrequency;
    decltype(&soundIsPlaying) isPlaying;
    decltype(&waveParse) parse;
    LPDIRECTSOUND& device;
};

twplat::SoundBufferInfo bufferInfo(SoundHandle h) {
    for (const auto& b : twplat::soundBuffers())
        if (b.buffer == h) return b;
    ADD_FAILURE() << "no such buffer";
    return {};
}

// Whether a load of this image gives a sound.
bool loads(Player& p, const twtest::ScratchFolder& dir, const std::vector<uint8_t>& image) {
    dir.write("Sound/probe.wav", image);
    SoundHandle h = p.load(".\\Sound\\probe.wav");
    if (h) p.free(h);
    return h != nullptr;
}

}  // namespace

TEST(SoundPlayer, LoadsFilesIntoStaticBuffersAndPlaysThem) {
    twtest::ScratchFolder dir;
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    Player p(host);
    dir.write("Sound/click.wav", WavImage().format(11025).data(samples(1103, 5)).bytes());

    EXPECT_EQ(p.init(reinterpret_cast<HANDLE>(0x777)), 1);
    ASSERT_NE(p.device, nullptr);
    auto devices = twplat::soundDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].cooperativeLevel, 1u);
    EXPECT_EQ(devices[0].window, host.mainWindow().window());  // the active window

    SoundHandle a = p.load(".\\Sound\\click.wav");
    SoundHandle b = p.load(".\\Sound\\click.wav");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);  // the same file twice gives two sounds
    auto info = bufferInfo(a);
    EXPECT_EQ(info.flags, 0x000100E2u);
    EXPECT_EQ(info.bytes, samples(1103, 5));
    EXPECT_EQ(info.format.nSamplesPerSec, 11025u);
    // The file was read through a view that is gone again, and no file stays open.
    EXPECT_TRUE(twplat::mappings().empty());
    EXPECT_TRUE(twplat::openFiles().empty());

    // Played once it ends by itself; playing again while it plays does not
    // rewind it.
    EXPECT_EQ(p.play(a, 0), 1);
    EXPECT_EQ(p.isPlaying(a), 1);
    host.runFor(50);
    DWORD position = bufferInfo(a).position;
    EXPECT_GT(position, 0u);
    p.play(a, 0);
    EXPECT_GE(bufferInfo(a).position, position);
    host.runFor(200);
    EXPECT_EQ(p.isPlaying(a), 0);

    // Looping goes on; stop keeps the position.
    p.setPosition(b, 0);
    p.play(b, 1);
    host.runFor(300);
    EXPECT_EQ(p.isPlaying(b), 1);
    EXPECT_TRUE(bufferInfo(b).looping);
    p.stop(b);
    position = bufferInfo(b).position;
    EXPECT_EQ(p.isPlaying(b), 0);
    host.runFor(100);
    EXPECT_EQ(bufferInfo(b).position, position);

    // Volumes are clamped to -10000..0 before they reach the buffer.
    p.setVolume(a, 200);
    EXPECT_EQ(bufferInfo(a).volume, 0);
    p.setVolume(a, -12000);
    EXPECT_EQ(bufferInfo(a).volume, -10000);
    p.setVolume(a, -400);
    EXPECT_EQ(bufferInfo(a).volume, -400);
    p.setPan(a, -500);
    EXPECT_EQ(bufferInfo(a).pan, -500);
    p.setFrequency(a, 22050);
    EXPECT_EQ(bufferInfo(a).frequency, 22050u);

    p.free(a);
    p.free(b);
    EXPECT_TRUE(bufferInfo(a).released);
    EXPECT_TRUE(bufferInfo(b).released);
    p.shutdown();
    EXPECT_EQ(p.device, nullptr);
    EXPECT_TRUE(twplat::soundDevices()[0].released);
}

TEST(SoundPlayer, TheNullHandleAndFailuresAreSilent) {
    twtest::ScratchFolder dir;
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    Player p(host);
    // Before the device exists nothing loads.
    dir.write("Sound/ok.wav", WavImage().format().data(samples(100)).bytes());
    EXPECT_EQ(p.load(".\\Sound\\ok.wav"), nullptr);

    p.init(nullptr);
    SoundHandle missing = p.load(".\\Sound\\missing.wav");
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(p.play(missing, 1), 1);
    EXPECT_EQ(p.stop(missing), 1);
    EXPECT_EQ(p.setVolume(missing, -400), 1);
    EXPECT_EQ(p.setPosition(missing, 4), 1);
    EXPECT_EQ(p.setPan(missing, 4), 1);
    EXPECT_EQ(p.setFrequency(missing, 4), 1);
    EXPECT_EQ(p.isPlaying(missing), 0);
    EXPECT_EQ(p.free(missing), 1);
    EXPECT_EQ(p.load(nullptr), nullptr);
    EXPECT_TRUE(twplat::soundBuffers().empty());

    // A refused buffer, and one that cannot be locked, give null; the locked one
    // is released.
    twplat::injectFault(twplat::Fault::CreateSoundBuffer, 1);
    EXPECT_EQ(p.load(".\\Sound\\ok.wav"), nullptr);
    twplat::injectFault(twplat::Fault::LockSoundBuffer, 1);
    EXPECT_EQ(p.load(".\\Sound\\ok.wav"), nullptr);
    ASSERT_EQ(twplat::soundBuffers().size(), 1u);
    EXPECT_TRUE(twplat::soundBuffers()[0].released);
    EXPECT_TRUE(twplat::mappings().empty());
    // A format DirectSound refuses.
    dir.write("Sound/bad.wav", WavImage().format(11025, 7, 13).data(samples(100)).bytes());
    EXPECT_EQ(p.load(".\\Sound\\bad.wav"), nullptr);
    EXPECT_NE(p.load(".\\Sound\\ok.wav"), nullptr);
    p.shutdown();

    // Without a sound device the player touches nothing.
    twplat::injectFault(twplat::Fault::NoSoundDevice);
    p.init(nullptr);
    EXPECT_EQ(p.device, nullptr);
    EXPECT_EQ(p.load(".\\Sound\\ok.wav"), nullptr);
    EXPECT_EQ(p.shutdown(), 1);
}

TEST(SoundPlayer, WalksRiffImagesAsTheyAreWrittenAndNeverPastTheirEnd) {
    twtest::ScratchFolder dir;
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    Player p(host);
    p.init(nullptr);

    // "data" before "fmt ", odd chunks with their pad byte, unknown chunks.
    EXPECT_TRUE(loads(p, dir, WavImage().data(samples(10)).format().bytes()));
    EXPECT_TRUE(loads(p, dir,
                      WavImage()
                          .chunk("LIST", samples(7))
                          .format()
                          .chunk("junk", samples(3))
                          .data(samples(11))
                          .bytes()));
    // A 13-byte "fmt " fails even with good data after it.
    EXPECT_FALSE(loads(p, dir, WavImage().chunk("fmt ", samples(13)).data(samples(10)).bytes()));
    // A RIFF length that ends before the "data" chunk.
    auto early = WavImage().format().chunk("pad ", samples(20)).data(samples(10));
    EXPECT_FALSE(loads(p, dir, early.bytes(4 + 26 + 28)));
    // Missing pieces and wrong magic.
    EXPECT_FALSE(loads(p, dir, WavImage().format().bytes()));
    EXPECT_FALSE(loads(p, dir, WavImage().data(samples(10)).bytes()));
    auto notWave = WavImage().format().data(samples(10)).bytes();
    notWave[8] = 'X';
    EXPECT_FALSE(loads(p, dir, notWave));
    EXPECT_FALSE(loads(p, dir, {}));
    EXPECT_FALSE(loads(p, dir, {'R', 'I', 'F', 'F'}));

    // Lengths that run past the end of the file: the RIFF length, a chunk
    // length, and an image cut short inside the data.
    auto good = WavImage().format().data(samples(64)).bytes();
    EXPECT_TRUE(loads(p, dir, good));
    EXPECT_FALSE(loads(p, dir, WavImage().format().bytes(0xFFFFFFF0u)));
    auto cut = good;
    cut.resize(good.size() - 10);
    EXPECT_FALSE(loads(p, dir, cut));
    auto huge = WavImage().format().chunk("data", samples(4)).bytes();
    huge[huge.size() - 8] = 0xFF;  // the data length's low byte...
    huge[huge.size() - 5] = 0x7F;  // ...and its high byte
    EXPECT_FALSE(loads(p, dir, huge));
    auto skipHuge = WavImage().format().chunk("junk", samples(4)).data(samples(4)).bytes();
    skipHuge[12 + 26 + 4 + 3] = 0x7F;  // the junk chunk claims 2 GB
    EXPECT_FALSE(loads(p, dir, skipHuge));

    // The parser itself: each out-argument is optional, and clears when given.
    const WAVEFORMATEX* fmt = reinterpret_cast<const WAVEFORMATEX*>(1);
    const uint8_t* data = reinterpret_cast<const uint8_t*>(1);
    DWORD length = 99;
    EXPECT_FALSE(p.parse(cut.data(), 3, &fmt, &data, &length));
    EXPECT_EQ(fmt, nullptr);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_TRUE(p.parse(good.data(), good.size(), nullptr, nullptr, &length));
    EXPECT_EQ(length, 64u);
    EXPECT_TRUE(p.parse(good.data(), good.size(), &fmt, nullptr, nullptr));
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(fmt), good.data() + 20);
}

TEST(SoundPlayer, RefusesAFormatThatDirectSoundWouldReadPastTheImage) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    Player p(host);
    // A "fmt " body of n bytes with the given tag and cbSize where it fits.
    auto format = [](uint16_t tag, size_t n, uint16_t extra = 0) {
        std::vector<uint8_t> body = samples(n);
        if (n >= 2) body[0] = static_cast<uint8_t>(tag), body[1] = static_cast<uint8_t>(tag >> 8);
        if (n >= 18)
            body[16] = static_cast<uint8_t>(extra), body[17] = static_cast<uint8_t>(extra >> 8);
        return body;
    };
    // Parsed from a copy of exactly the image's size, so nothing beyond it exists.
    auto parses = [&](const std::vector<uint8_t>& image) {
        std::vector<uint8_t> exact(image);
        const WAVEFORMATEX* fmt = nullptr;
        const uint8_t* data = nullptr;
        DWORD length = 0;
        return p.parse(exact.data(), exact.size(), &fmt, &data, &length);
    };
    const auto data = samples(10);

    // PCM: 16 bytes are read. A 14-byte chunk is enough while the image goes on,
    // not as its last chunk.
    EXPECT_TRUE(parses(WavImage().chunk("fmt ", format(1, 14)).data(data).bytes()));
    EXPECT_FALSE(parses(WavImage().data(data).chunk("fmt ", format(1, 14)).bytes()));
    // An odd chunk's pad byte is part of the image.
    EXPECT_TRUE(parses(WavImage().data(data).chunk("fmt ", format(1, 15)).bytes()));
    EXPECT_TRUE(parses(WavImage().data(data).chunk("fmt ", format(1, 16)).bytes()));
    // Other tags: the 18-byte head and then cbSize bytes.
    EXPECT_FALSE(parses(WavImage().data(data).chunk("fmt ", format(2, 16)).bytes()));
    EXPECT_TRUE(parses(WavImage().data(data).chunk("fmt ", format(2, 18)).bytes()));
    EXPECT_FALSE(parses(WavImage().data(data).chunk("fmt ", format(2, 18, 2)).bytes()));
    EXPECT_TRUE(parses(WavImage().data(data).chunk("fmt ", format(2, 20, 2)).bytes()));
    EXPECT_FALSE(parses(WavImage().data(data).chunk("fmt ", format(0xFFFE, 22, 22)).bytes()));
    EXPECT_TRUE(parses(WavImage().chunk("fmt ", format(0xFFFE, 22, 22)).data(samples(20)).bytes()));
    // Such a file loads as the null handle.
    twtest::ScratchFolder dir;
    p.init(nullptr);
    EXPECT_FALSE(loads(p, dir, WavImage().data(data).chunk("fmt ", format(1, 14)).bytes()));
}

}  // namespace sound_player_test

#endif  // !_WIN32
