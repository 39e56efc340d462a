// The module on the real Win32 API and DirectSound: the shipping DLL loaded
// with LoadLibrary, its timer ticking in a real message loop, and the sound
// player, offset client and instrument routines on the system's own calls.
#if defined(_WIN32)

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "gauges/instruments.h"
#include "host/host.h"
#include "ipc/ipc_client.h"
#include "sound/sound_player.h"
#include "tests/support/wav_files.h"

// The instrument routines linked in here look for the host's services in the
// program's own import table, which no host fills.
IMPORT_TABLE ImportTable = {};

namespace {

constexpr uint32_t SimulationTime = 604;  // read once by every systems tick

// The names in the loaded image's export directory.
std::set<std::string> exportNames(HMODULE module) {
    auto* base = reinterpret_cast<const uint8_t*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::set<std::string> names;
    if (dir.Size == 0) return names;
    auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    auto* name_rvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        names.insert(reinterpret_cast<const char*>(base + name_rvas[i]));
    return names;
}

// The 32-bit Wine on qemu-i386 runs with no audio device (cmake/wine32-run.sh
// says so and why): the tests of real sound buffers skip there, and the
// silent path is tested instead.
const char* noSoundDevice() { return std::getenv("TW_NO_SOUND_DEVICE"); }

#define SKIP_WITHOUT_SOUND_DEVICE()                                 \
    do {                                                            \
        if (const char* why = noSoundDevice()) GTEST_SKIP() << why; \
    } while (0)

// The nineteen WAV files of the build's Sound folder.
constexpr const char* CockpitSoundFiles[] = {"quorl_ostra_Gear_Sound.wav",
                                             "quorl_ostra_gear_1.wav",
                                             "brennel_click.wav",
                                             "tarnwick_Trim_Sound.WAV",
                                             "brennel_altwarn.wav",
                                             "brennel_quorl_bigswitch_click.wav",
                                             "tarnwick_HGHB_SPUP.wav",
                                             "tarnwick_towarn.wav",
                                             "tarnwick_stkshkr.wav",
                                             "brennel_chime.wav",
                                             "tarnwick_overspeed.wav",
                                             "brennel_external_elec.wav",
                                             "tarnwick_external_aircart.wav",
                                             "tarnwick_cockpit2ground2.wav",
                                             "tarnwick_external_air_off.wav",
                                             "brennel_clear421.wav",
                                             "brennel_RP_ding_dong.wav",
                                             "tarnwick_inverters.wav",
                                             "tarnwick_glideslope.wav"};

// Every path the shipping DLL hands to CreateFileA, caught in its own import
// table: what it opens, seen from outside a stripped image.
std::vector<std::string> files_opened;
HANDLE WINAPI recordingCreateFileA(LPCSTR name, DWORD access, DWORD share,
                                   LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                   HANDLE template_file) {
    files_opened.emplace_back(name ? name : "");
    return CreateFileA(name, access, share, security, disposition, flags, template_file);
}

// Points the module's import of DLL!FUNCTION at a replacement; false if the
// module does not import it by name.
bool replaceImport(HMODULE module, const char* dll, const char* function, const void* replacement) {
    auto* base = reinterpret_cast<uint8_t*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.Size == 0) return false;
    for (auto* imp = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         imp->Name; ++imp) {
        if (_stricmp(reinterpret_cast<const char*>(base + imp->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* by_name =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) != 0) continue;
            DWORD protection = 0;
            if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                                &protection))
                return false;
            slots->u1.Function = reinterpret_cast<uintptr_t>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

// An offset server window in a thread of its own, as the simulator's offset
// service runs beside the panel: every call from the module crosses threads.
class ServerThread {
public:
    ServerThread() {
        thread_ = CreateThread(nullptr, 0, run, this, 0, &id_);
        if (thread_) WaitForSingleObject(ready_, ReadyWaitMs);
    }
    ~ServerThread() {
        if (!thread_) return;
        PostThreadMessageA(id_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, ReadyWaitMs);
        CloseHandle(thread_);
        CloseHandle(ready_);
    }
    tw::OffsetServer* server() const { return server_; }

private:
    static constexpr DWORD ReadyWaitMs = 10000;
    static DWORD WINAPI run(void* self_pointer) {
        auto* self = static_cast<ServerThread*>(self_pointer);
        tw::OffsetServer server(tw::OffsetServer::Class::Uipcmain, 7);
        server.set<uint32_t>(0xCC04, 0xDEADBEEF);
        self->server_ = &server;
        SetEvent(self->ready_);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        self->server_ = nullptr;
        return 0;
    }
    HANDLE ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread_ = nullptr;
    DWORD id_ = 0;
    tw::OffsetServer* server_ = nullptr;
};

}  // namespace

TEST(ModuleOnWin32, ExportsExactlyLinkageAndImportTable) {
    tw::Host host;
    auto module = static_cast<HMODULE>(host.module().handle());
    EXPECT_EQ(exportNames(module), (std::set<std::string>{"ImportTable", "Linkage"}));
    EXPECT_EQ(host.module().symbol("PowerAvailable"), nullptr);
    EXPECT_EQ(host.module().symbol("DllMain"), nullptr);
    EXPECT_EQ(host.module().linkage()->module_id, 0x13u);
    EXPECT_EQ(host.module().importTable()->entries[0].table, host.services());
}

TEST(ModuleOnWin32, TheSystemsTimerTicksInTheMessageLoopWhileConnected) {
    twtest::ScratchFolder dir;
    tw::Host host;
    tw::Gauge* flood = host.createGauge("FLOOD_SW");
    ASSERT_NE(flood, nullptr);
    host.clearLogs();
    host.runFor(1000);
    // About eighteen ticks in a second of real time; the bounds are generous
    // for a loaded machine.
    unsigned ticks = host.lookups(SimulationTime);
    EXPECT_GE(ticks, 8u);
    EXPECT_LE(ticks, 25u);

    host.destroyGauge(flood);
    host.clearLogs();
    host.runFor(300);
    EXPECT_EQ(host.lookups(SimulationTime), 0u);  // no tick after the disconnect

    // A second connect starts the timer again.
    flood = host.createGauge("FLOOD_SW");
    host.runFor(300);
    EXPECT_GE(host.lookups(SimulationTime), 2u);
}

TEST(ModuleOnWin32, WithoutAMainWindowTheTimerRunsAndStopsWithTheMaster) {
    twtest::ScratchFolder dir;
    tw::Host host;
    DestroyWindow(host.mainWindow().window());
    ASSERT_EQ(FindWindowA("FS2KMAIN", nullptr), nullptr);
    tw::Gauge* flood = host.createGauge("FLOOD_SW");
    host.clearLogs();
    host.runFor(500);
    EXPECT_GE(host.lookups(SimulationTime), 2u);  // a thread timer ticks in the loop

    host.destroyGauge(flood);
    host.clearLogs();
    host.runFor(300);
    EXPECT_EQ(host.lookups(SimulationTime), 0u);
}

TEST(ModuleOnWin32, TwoCopiesOfTheMasterKeepTheTimerUntilTheLastGoes) {
    twtest::ScratchFolder dir;
    tw::Host host;
    tw::Gauge* first = host.createGauge("FLOOD_SW");
    tw::Gauge* second = host.createGauge("FLOOD_SW");
    host.destroyGauge(first);
    host.clearLogs();
    host.runFor(300);
    EXPECT_GE(host.lookups(SimulationTime), 2u);

    host.destroyGauge(second);
    host.clearLogs();
    host.runFor(300);
    EXPECT_EQ(host.lookups(SimulationTime), 0u);
}

TEST(ModuleOnWin32, TheMasterGaugeTalksToTheOffsetServerItFinds) {
    twtest::ScratchFolder dir;
    tw::Host host;
    tw::OffsetServer& server = host.startOffsetServer(tw::OffsetServer::Class::Uipcmain, 7);
    tw::Gauge* flood = host.createGauge("FLOOD_SW");
    EXPECT_EQ(server.batches(), 1u);  // the handshake of the version-7 open
    EXPECT_EQ(server.clientVersion(), 1004);
    host.destroyGauge(flood);
}

TEST(ModuleOnWin32, TheOffsetServiceInAnotherThreadAnswersTheMasterAndTheClient) {
    twtest::ScratchFolder dir;
    tw::Host host;
    ServerThread serving;
    tw::OffsetServer* server = serving.server();
    ASSERT_NE(server, nullptr);
    ASSERT_NE(GetWindowThreadProcessId(server->window(), nullptr), GetCurrentThreadId());

    tw::Gauge* flood = host.createGauge("FLOOD_SW");
    ASSERT_NE(flood, nullptr);
    EXPECT_EQ(server->batches(), 1u);  // the handshake, answered in the server's thread
    EXPECT_EQ(server->clientVersion(), 1004);
    host.clearLogs();
    host.runFor(300);
    EXPECT_GE(host.lookups(SimulationTime), 2u);
    host.destroyGauge(flood);

    uint32_t result = 99;
    ASSERT_TRUE(ipcOpen(7, &result));
    uint32_t word = 0;
    double lat = -33.25;
    ASSERT_TRUE(ipcRead(0xCC04, 4, &word, &result));
    ASSERT_TRUE(ipcWrite(0xCC10, 8, &lat, &result));
    ASSERT_TRUE(ipcProcess(&result));
    EXPECT_EQ(result, IpcOk);
    EXPECT_EQ(word, 0xDEADBEEFu);
    EXPECT_EQ(server->get<double>(0xCC10), -33.25);
    ipcClose();
}

TEST(ModuleOnWin32, SoundsLoadFromFilesIntoRealBuffersThatPlay) {
    SKIP_WITHOUT_SOUND_DEVICE();
    twtest::ScratchFolder dir;
    dir.write("Sound/tone.wav",
              twtest::WavImage().format(22050, 1, 16).data(twtest::samples(22050)).bytes());
    dir.write("Sound/bad.wav", {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0x7F, 'W', 'A', 'V', 'E'});
    tw::Host host;  // its main window is the active one
    ASSERT_EQ(soundInit(nullptr), 1);
    ASSERT_NE(SoundDevice, nullptr);

    SoundHandle tone = soundLoad(".\\Sound\\tone.wav");
    SoundHandle again = soundLoad(".\\Sound\\tone.wav");
    ASSERT_NE(tone, nullptr);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(tone, again);
    EXPECT_EQ(soundLoad(".\\Sound\\bad.wav"), nullptr);
    EXPECT_EQ(soundLoad(".\\Sound\\missing.wav"), nullptr);

    EXPECT_EQ(soundIsPlaying(tone), 0);
    soundSetVolume(tone, -12000);
    soundPlay(tone, SoundPlayLooping);
    EXPECT_EQ(soundIsPlaying(tone), 1);
    LONG volume = 0;
    tone->GetVolume(&volume);
    EXPECT_EQ(volume, -10000);
    soundStop(tone);
    EXPECT_EQ(soundIsPlaying(tone), 0);

    soundFree(tone);
    soundFree(again);
    soundShutdown();
    EXPECT_EQ(SoundDevice, nullptr);
}

// The build's synthesized sounds, from the folder that holds its Sound folder.
TEST(ModuleOnWin32, TheBuildsCockpitSoundsLoadIntoRealBuffersThatPlay) {
    SKIP_WITHOUT_SOUND_DEVICE();
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(TW_SOUND_PARENT);
    tw::Host host;
    ASSERT_EQ(soundInit(nullptr), 1);
    ASSERT_NE(SoundDevice, nullptr);
    for (const char* f : CockpitSoundFiles) {
        SoundHandle h = soundLoad((std::string(".\\Sound\\") + f).c_str());
        EXPECT_NE(h, nullptr) << f;
        if (!h) continue;
        soundPlay(h, SoundPlayOnce);
        EXPECT_EQ(soundIsPlaying(h), 1) << f;
        soundStop(h);
        soundFree(h);
    }
    soundShutdown();
    std::filesystem::current_path(previous);
}

TEST(ModuleOnWin32, AFormatDirectSoundWouldReadPastTheFileGivesNoSound) {
    SKIP_WITHOUT_SOUND_DEVICE();
    // A PCM format of 14 bytes: DirectSound reads 16.
    const std::vector<uint8_t> short_format = {1, 0,    1,    0, 0x11, 0x2B, 0,
                                               0, 0x11, 0x2B, 0, 0,    1,    0};
    twtest::ScratchFolder dir;
    dir.write("Sound/last.wav",
              twtest::WavImage().data(twtest::samples(100)).chunk("fmt ", short_format).bytes());
    dir.write("Sound/first.wav", twtest::WavImage().format().data(twtest::samples(100)).bytes());
    tw::Host host;
    soundInit(nullptr);
    EXPECT_EQ(soundLoad(".\\Sound\\last.wav"), nullptr);
    SoundHandle good = soundLoad(".\\Sound\\first.wav");
    EXPECT_NE(good, nullptr);
    soundFree(good);
    soundShutdown();
}

// Without an audio device DirectSoundCreate fails (Wine answers E_INVALIDARG,
// not DSERR_NODRIVER): the player keeps no device, every sound call is a
// no-op, and the shipping DLL's master runs its ticks and its switches click
// in silence.
TEST(ModuleOnWin32, WithoutAnAudioDeviceTheModuleRunsSilent) {
    if (!noSoundDevice()) GTEST_SKIP() << "this machine has an audio device";
    LPDIRECTSOUND probe = reinterpret_cast<LPDIRECTSOUND>(1);
    EXPECT_TRUE(FAILED(DirectSoundCreate(nullptr, &probe, nullptr)));
    EXPECT_EQ(probe, nullptr);

    twtest::ScratchFolder dir;
    dir.write("Sound/tone.wav",
              twtest::WavImage().format(22050, 1, 16).data(twtest::samples(2205)).bytes());
    tw::Host host;
    ASSERT_EQ(soundInit(nullptr), 1);
    EXPECT_EQ(SoundDevice, nullptr);
    EXPECT_EQ(soundLoad(".\\Sound\\tone.wav"), nullptr);
    soundPlay(nullptr, SoundPlayLooping);
    EXPECT_EQ(soundIsPlaying(nullptr), 0);
    soundStop(nullptr);
    soundSetVolume(nullptr, -100);
    soundFree(nullptr);
    EXPECT_EQ(soundShutdown(), 1);

    tw::Gauge* flood = host.createGauge("FLOOD_SW");
    tw::Gauge* inboard = host.createGauge("ENGICE_INBD");
    ASSERT_NE(flood, nullptr);
    ASSERT_NE(inboard, nullptr);
    host.clearLogs();
    host.runFor(300);
    EXPECT_GE(host.lookups(SimulationTime), 2u);
    EXPECT_TRUE(inboard->press(5, 5));  // the switch plays its click: no device, no sound
    inboard->release();
    host.clearLogs();
    host.runFor(300);
    EXPECT_GE(host.lookups(SimulationTime), 2u);
    host.destroyGauge(inboard);
    host.destroyGauge(flood);
}

// The master gauge, connected in the folder that holds the build's Sound
// folder, opens every cockpit sound there by the relative path the simulator
// resolves, and its timer ticks while the offset client is open.
TEST(ModuleOnWin32, TheMasterOpensTheCockpitSoundsItPlays) {
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(TW_SOUND_PARENT);
    {
        tw::Host host;
        tw::OffsetServer& server = host.startOffsetServer(tw::OffsetServer::Class::Uipcmain, 7);
        ASSERT_TRUE(replaceImport(static_cast<HMODULE>(host.module().handle()), "KERNEL32.dll",
                                  "CreateFileA",
                                  reinterpret_cast<const void*>(&recordingCreateFileA)));
        files_opened.clear();
        tw::Gauge* flood = host.createGauge("FLOOD_SW");
        ASSERT_NE(flood, nullptr);
        EXPECT_EQ(server.clientVersion(), 1004);
        for (const char* f : CockpitSoundFiles)
            EXPECT_NE(
                std::count(files_opened.begin(), files_opened.end(), std::string(".\\Sound\\") + f),
                0)
                << f;
        host.clearLogs();
        host.runFor(300);
        EXPECT_GE(host.lookups(SimulationTime), 2u);
        host.destroyGauge(flood);
    }
    std::filesystem::current_path(previous);
}

TEST(ModuleOnWin32, InstrumentRoutinesReadTheWholeParameterAndRestDrumsOnInfinities) {
    GAUGE_HEADER gauge{};
    const std::string spaced = std::string(1020, ' ') + "12345";
    const std::string longer = std::string(1030, ' ') + "5";
    gauge.parameters = spaced.c_str();
    EXPECT_EQ(gaugeParameter(&gauge), 12345);
    gauge.parameters = longer.c_str();
    EXPECT_EQ(gaugeParameter(&gauge), 5);
    EXPECT_EQ(unitsDrumValue(HUGE_VAL), 0.0);
    EXPECT_EQ(unitsDrumValue(-HUGE_VAL), 0.0);
    EXPECT_DOUBLE_EQ(unitsDrumValue(123.5), 3.5);
}

TEST(ModuleOnWin32, TheOffsetClientReadsAndWritesThroughARealServerWindow) {
    tw::Host host;
    tw::OffsetServer& server = host.startOffsetServer(tw::OffsetServer::Class::Uipcmain, 7);
    server.set<uint32_t>(0xCC04, 0xDEADBEEF);
    uint32_t result = 99;
    ASSERT_TRUE(ipcOpen(7, &result));
    EXPECT_EQ(result, IpcOk);

    uint32_t word = 0;
    double lat = 52.5;
    ASSERT_TRUE(ipcRead(0xCC04, 4, &word, &result));
    ASSERT_TRUE(ipcWrite(0xCC10, 8, &lat, &result));
    ASSERT_TRUE(ipcProcess(&result));
    EXPECT_EQ(word, 0xDEADBEEFu);
    EXPECT_EQ(server.get<double>(0xCC10), 52.5);

    ipcClose();
    EXPECT_FALSE(ipcRead(0xCC04, 4, &word, &result));
    EXPECT_EQ(result, IpcNotOpen);
}

#endif  // _WIN32
