#if !defined(_WIN32)

#include <cstring>
#include <vector>

#include "platform/directsound_api.h"
#include "tests/platform/platform_test.h"

namespace dsound_test {

namespace {

// Static, volume, pan, frequency and accurate-cursor buffer: what the sound
// player asks for.
constexpr DWORD kPlayerFlags = 0x000100E2;

static_assert(sizeof(DSBUFFERDESC) == (sizeof(void*) == 4 ? 36 : 40));

WAVEFORMATEX pcm(WORD channels, WORD bits, DWORD rate) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.wBitsPerSample = bits;
    f.nSamplesPerSec = rate;
    f.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

class Sound : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        panel = makeWindow("PANEL", "");
        ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
        ASSERT_EQ(device->SetCooperativeLevel(panel, DSSCL_NORMAL), DS_OK);
    }

    HRESULT create(LPDIRECTSOUNDBUFFER* out, DWORD bytes, WAVEFORMATEX format,
                   DWORD flags = kPlayerFlags) {
        format_ = format;
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = flags;
        desc.dwBufferBytes = bytes;
        desc.lpwfxFormat = &format_;
        return device->CreateSoundBuffer(&desc, out, nullptr);
    }
    // One second of 8 kHz mono 8-bit sound: 8000 bytes at 8000 bytes a second.
    LPDIRECTSOUNDBUFFER second() {
        LPDIRECTSOUNDBUFFER b = nullptr;
        EXPECT_EQ(create(&b, 8000, pcm(1, 8, 8000)), DS_OK);
        return b;
    }
    static DWORD status(LPDIRECTSOUNDBUFFER b) {
        DWORD s = 0xFFFF;
        EXPECT_EQ(b->GetStatus(&s), DS_OK);
        return s;
    }
    static DWORD cursor(LPDIRECTSOUNDBUFFER b) {
        DWORD play = 0xFFFF;
        EXPECT_EQ(b->GetCurrentPosition(&play, nullptr), DS_OK);
        return play;
    }

    HWND panel = nullptr;
    LPDIRECTSOUND device = nullptr;
    WAVEFORMATEX format_{};
};

TEST_F(Sound, DeviceCreationAndCooperation) {
    ASSERT_EQ(twplat::soundDevices().size(), 1u);
    EXPECT_EQ(twplat::soundDevices()[0].cooperativeLevel, DSSCL_NORMAL);
    EXPECT_EQ(twplat::soundDevices()[0].window, panel);
    EXPECT_EQ(device->SetCooperativeLevel(panel, 5), DSERR_INVALIDPARAM);

    LPDIRECTSOUND other = reinterpret_cast<LPDIRECTSOUND>(1);
    EXPECT_EQ(DirectSoundCreate(nullptr, &other, reinterpret_cast<LPUNKNOWN>(device)),
              DSERR_NOAGGREGATION);
    EXPECT_EQ(other, nullptr);
    const GUID someDevice{1, 2, 3, {4}};
    EXPECT_EQ(DirectSoundCreate(&someDevice, &other, nullptr), DSERR_NODRIVER);

    // Nothing plays before the cooperative level is set.
    ASSERT_EQ(DirectSoundCreate(nullptr, &other, nullptr), DS_OK);
    LPDIRECTSOUNDBUFFER early = nullptr;
    DSBUFFERDESC desc{sizeof desc, kPlayerFlags, 100, 0, &format_, {}};
    format_ = pcm(1, 8, 8000);
    ASSERT_EQ(other->CreateSoundBuffer(&desc, &early, nullptr), DS_OK);
    EXPECT_EQ(early->Play(0, 0, 0), DSERR_PRIOLEVELNEEDED);

    EXPECT_EQ(device->AddRef(), 2u);
    EXPECT_EQ(device->Release(), 1u);
    EXPECT_EQ(device->Release(), 0u);
    EXPECT_TRUE(twplat::soundDevices()[0].released);
    EXPECT_FALSE(twplat::soundDevices()[1].released);
}

TEST_F(Sound, BufferDescriptionsAreChecked) {
    LPDIRECTSOUNDBUFFER b = reinterpret_cast<LPDIRECTSOUNDBUFFER>(1);
    EXPECT_EQ(create(&b, 8000, pcm(2, 16, 22050)), DS_OK);
    EXPECT_EQ(twplat::soundBuffers()[0].flags, kPlayerFlags);
    WAVEFORMATEX got{};
    DWORD written = 0;
    EXPECT_EQ(b->GetFormat(&got, sizeof got, &written), DS_OK);
    EXPECT_EQ(written, sizeof(WAVEFORMATEX));
    EXPECT_EQ(got.nBlockAlign, 4);
    EXPECT_EQ(got.nAvgBytesPerSec, 88200u);
    EXPECT_EQ(got.cbSize, 0);

    auto fails = [&](HRESULT expected, DWORD bytes, WAVEFORMATEX f, DWORD flags = kPlayerFlags) {
        LPDIRECTSOUNDBUFFER out = reinterpret_cast<LPDIRECTSOUNDBUFFER>(1);
        EXPECT_EQ(create(&out, bytes, f, flags), expected);
        EXPECT_EQ(out, nullptr);
    };
    fails(DSERR_INVALIDPARAM, 3, pcm(1, 8, 8000));
    fails(DSERR_INVALIDPARAM, DSBSIZE_MAX + 1, pcm(1, 8, 8000));
    WAVEFORMATEX f = pcm(1, 8, 8000);
    f.wFormatTag = 2;
    fails(DSERR_BADFORMAT, 100, f);
    fails(DSERR_BADFORMAT, 100, pcm(3, 8, 8000));
    fails(DSERR_BADFORMAT, 100, pcm(1, 12, 8000));
    fails(DSERR_BADFORMAT, 100, pcm(1, 8, 99));
    f = pcm(2, 16, 44100);
    f.nBlockAlign = 2;
    fails(DSERR_INVALIDPARAM, 100, f);
    f = pcm(2, 16, 44100);
    f.nAvgBytesPerSec = 44100;
    fails(DSERR_INVALIDPARAM, 100, f);
    fails(DSERR_INVALIDPARAM, 100, pcm(1, 8, 8000), 0x80000000);
    fails(DSERR_INVALIDPARAM, 100, pcm(1, 8, 8000), DSBCAPS_CTRL3D | DSBCAPS_CTRLPAN);

    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc - 4;  // a record of another size is refused
    desc.dwBufferBytes = 100;
    desc.lpwfxFormat = &f;
    EXPECT_EQ(device->CreateSoundBuffer(&desc, &b, nullptr), DSERR_INVALIDPARAM);
    desc.dwSize = sizeof desc;
    desc.lpwfxFormat = nullptr;
    EXPECT_EQ(device->CreateSoundBuffer(&desc, &b, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(twplat::soundBuffers().size(), 1u);
}

TEST_F(Sound, LockGivesTwoRegionsAcrossTheEnd) {
    LPDIRECTSOUNDBUFFER b = nullptr;
    ASSERT_EQ(create(&b, 1000, pcm(1, 8, 8000)), DS_OK);
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0;
    DWORD n2 = 0;
    ASSERT_EQ(b->Lock(900, 200, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 100u);
    EXPECT_EQ(n2, 100u);
    EXPECT_EQ(static_cast<BYTE*>(p1) - static_cast<BYTE*>(p2), 900);
    std::memset(p1, 0x11, n1);
    std::memset(p2, 0x22, n2);
    EXPECT_EQ(twplat::soundBuffers()[0].openLocks, 1u);
    EXPECT_EQ(b->Unlock(p2, n2, p1, n1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    EXPECT_EQ(twplat::soundBuffers()[0].openLocks, 0u);
    const std::vector<BYTE> bytes = twplat::soundBuffers()[0].bytes;
    EXPECT_EQ(bytes[0], 0x22);
    EXPECT_EQ(bytes[99], 0x22);
    EXPECT_EQ(bytes[100], 0);
    EXPECT_EQ(bytes[900], 0x11);
    EXPECT_EQ(bytes[999], 0x11);

    // From the start, the whole buffer is one region.
    ASSERT_EQ(b->Lock(0, 1000, &p1, &n1, &p2, &n2, 0), DS_OK);
    BYTE* const base = static_cast<BYTE*>(p1);
    EXPECT_EQ(n1, 1000u);
    EXPECT_EQ(p2, nullptr);
    EXPECT_EQ(n2, 0u);
    b->Unlock(p1, n1, p2, n2);
    ASSERT_EQ(b->Lock(500, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
    EXPECT_EQ(n1 + n2, 1000u);
    b->Unlock(p1, n1, p2, n2);
    b->SetCurrentPosition(400);
    ASSERT_EQ(b->Lock(0, 10, &p1, &n1, &p2, &n2, DSBLOCK_FROMWRITECURSOR), DS_OK);
    EXPECT_EQ(p1, base + 400);  // a stopped buffer writes where it plays
    b->Unlock(p1, n1, p2, n2);

    EXPECT_EQ(b->Lock(1000, 1, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(0, 1001, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(0, 1, nullptr, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
}

TEST_F(Sound, PlayingFollowsTheVirtualClock) {
    LPDIRECTSOUNDBUFFER b = second();
    EXPECT_EQ(status(b), 0u);
    EXPECT_EQ(b->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(status(b), DSBSTATUS_PLAYING);
    twplat::advanceClock(500);
    EXPECT_EQ(cursor(b), 4000u);
    // Playing what already plays neither stops nor rewinds it.
    EXPECT_EQ(b->Play(0, 0, 0), DS_OK);
    twplat::advanceClock(499);
    EXPECT_EQ(cursor(b), 7992u);
    EXPECT_EQ(status(b), DSBSTATUS_PLAYING);
    // Played once, it stops by itself at the end, ready to play anew.
    twplat::advanceClock(1);
    EXPECT_EQ(status(b), 0u);
    EXPECT_EQ(cursor(b), 0u);
    EXPECT_EQ(twplat::soundBuffers()[0].playCalls, 2u);

    // Looping wraps around the end.
    EXPECT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    twplat::advanceClock(1250);
    EXPECT_EQ(status(b), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(cursor(b), 2000u);
    // Playing again without the flag lets it run out at the end.
    EXPECT_EQ(b->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(status(b), DSBSTATUS_PLAYING);
    twplat::advanceClock(750);
    EXPECT_EQ(status(b), 0u);

    // Stop keeps the position, and play goes on from it.
    b->Play(0, 0, 0);
    twplat::advanceClock(300);
    EXPECT_EQ(b->Stop(), DS_OK);
    EXPECT_EQ(cursor(b), 2400u);
    twplat::advanceClock(1000);
    EXPECT_EQ(cursor(b), 2400u);
    b->Play(0, 0, 0);
    twplat::advanceClock(699);
    EXPECT_EQ(status(b), DSBSTATUS_PLAYING);
    twplat::advanceClock(1);
    EXPECT_EQ(status(b), 0u);

    // Looking often loses no time: 55 looks of 10 ms make 550 ms.
    b->Play(0, 0, 0);
    LPDIRECTSOUNDBUFFER cd = nullptr;
    ASSERT_EQ(create(&cd, 176400, pcm(2, 16, 44100)), DS_OK);
    cd->Play(0, 0, 0);
    for (int i = 0; i < 55; ++i) {
        twplat::advanceClock(10);
        cursor(cd);
    }
    EXPECT_EQ(cursor(cd), 550u * 176400 / 1000);
    EXPECT_EQ(cursor(b), 4400u);

    EXPECT_EQ(b->Play(1, 0, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Play(0, 1, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetCurrentPosition(8000), DSERR_INVALIDPARAM);
}

TEST_F(Sound, VolumePanAndFrequency) {
    LPDIRECTSOUNDBUFFER b = second();
    LONG v = 1;
    EXPECT_EQ(b->GetVolume(&v), DS_OK);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(b->SetVolume(-10000), DS_OK);
    EXPECT_EQ(b->SetVolume(-10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->GetVolume(&v), DS_OK);
    EXPECT_EQ(v, -10000);
    EXPECT_EQ(b->SetPan(10000), DS_OK);
    EXPECT_EQ(b->SetPan(-10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->GetPan(&v), DS_OK);
    EXPECT_EQ(v, 10000);

    DWORD hz = 0;
    EXPECT_EQ(b->SetFrequency(99), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetFrequency(200001), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetFrequency(16000), DS_OK);
    EXPECT_EQ(b->GetFrequency(&hz), DS_OK);
    EXPECT_EQ(hz, 16000u);
    // The cursor runs at the set rate, and changes of rate take it from there.
    b->Play(0, 0, 0);
    twplat::advanceClock(250);
    EXPECT_EQ(cursor(b), 4000u);
    EXPECT_EQ(b->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
    EXPECT_EQ(b->GetFrequency(&hz), DS_OK);
    EXPECT_EQ(hz, 8000u);
    twplat::advanceClock(250);
    EXPECT_EQ(cursor(b), 6000u);

    // Controls that were not asked for are not there.
    LPDIRECTSOUNDBUFFER plain = nullptr;
    ASSERT_EQ(create(&plain, 100, pcm(1, 8, 8000), DSBCAPS_STATIC), DS_OK);
    EXPECT_EQ(plain->SetVolume(0), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetPan(0), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetFrequency(8000), DSERR_CONTROLUNAVAIL);
}

TEST_F(Sound, ReferencesAndRelease) {
    LPDIRECTSOUNDBUFFER b = second();
    EXPECT_EQ(b->AddRef(), 2u);
    EXPECT_EQ(b->Release(), 1u);
    b->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(b->Release(), 0u);
    twplat::SoundBufferInfo info = twplat::soundBuffers()[0];
    EXPECT_TRUE(info.released);
    EXPECT_FALSE(info.playing);
    // A released buffer stays inspectable and counts every further use.
    EXPECT_EQ(b->Play(0, 0, 0), DSERR_INVALIDCALL);
    EXPECT_EQ(b->Release(), 0u);
    EXPECT_EQ(twplat::soundBuffers()[0].callsAfterRelease, 2u);

    // A device released under a playing buffer silences it.
    LPDIRECTSOUNDBUFFER c = second();
    c->Play(0, 0, DSBPLAY_LOOPING);
    device->Release();
    EXPECT_FALSE(twplat::soundBuffers()[1].playing);
    EXPECT_FALSE(twplat::soundBuffers()[1].released);
}

TEST_F(Sound, FaultInjection) {
    LPDIRECTSOUND other = nullptr;
    twplat::injectFault(twplat::Fault::NoSoundDevice);
    EXPECT_EQ(DirectSoundCreate(nullptr, &other, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(DirectSoundCreate(nullptr, &other, nullptr), DSERR_NODRIVER);
    twplat::clearFault(twplat::Fault::NoSoundDevice);
    EXPECT_EQ(DirectSoundCreate(nullptr, &other, nullptr), DS_OK);

    // One failure after one success: the third creation works again.
    twplat::injectFault(twplat::Fault::CreateSoundBuffer, 1, 1);
    LPDIRECTSOUNDBUFFER a = nullptr;
    LPDIRECTSOUNDBUFFER b = reinterpret_cast<LPDIRECTSOUNDBUFFER>(1);
    LPDIRECTSOUNDBUFFER c = nullptr;
    EXPECT_EQ(create(&a, 100, pcm(1, 8, 8000)), DS_OK);
    EXPECT_EQ(create(&b, 100, pcm(1, 8, 8000)), DSERR_OUTOFMEMORY);
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(create(&c, 100, pcm(1, 8, 8000)), DS_OK);
    EXPECT_EQ(twplat::soundBuffers().size(), 2u);

    twplat::injectFault(twplat::Fault::LockSoundBuffer);
    void* p1 = reinterpret_cast<void*>(1);
    DWORD n1 = 7;
    EXPECT_EQ(a->Lock(0, 10, &p1, &n1, nullptr, nullptr, 0), DSERR_BUFFERLOST);
    EXPECT_EQ(p1, nullptr);
    EXPECT_EQ(n1, 0u);
    EXPECT_EQ(c->Lock(0, 10, &p1, &n1, nullptr, nullptr, 0), DSERR_BUFFERLOST);
    twplat::clearFault(twplat::Fault::LockSoundBuffer);
    EXPECT_EQ(c->Lock(0, 10, &p1, &n1, nullptr, nullptr, 0), DS_OK);

    // A reset clears every fault.
    twplat::injectFault(twplat::Fault::NoSoundDevice);
    twplat::reset();
    EXPECT_EQ(DirectSoundCreate(nullptr, &other, nullptr), DS_OK);
}

}  // namespace

}  // namespace dsound_test

#endif
