// FLOOD_SW: the flood lighting switch, first gauge of Linkage, and the owner of
// the module's shared machinery. Connecting it to its panel window starts the
// offset IPC client, the 55 ms systems timer and the twenty cockpit sounds;
// disconnecting it stops them.
//
// The switch may sit on several panel windows, each copy connected and
// disconnected on its own. There is one set of machinery for the module: the
// first copy to connect starts it and the last to disconnect stops it, so no
// copy overwrites or releases what another still uses. After the stop every
// sound handle is null again, so gauges left on other windows play nothing
// rather than released buffers.
//
// Reads: 10 (the host's flood lighting state), 303, 304. Sends: 66056 (lights
// on), 66057 (lights off). Sounds: sndClick. Shares: FloodLightsOn,
// HostHasSimObjects, IpcConnected, IpcResult, RadarCellEcho, RadarCellShade,
// PrevToken303, PrevToken304 and the twenty sound handles; its own
// MasterConnections, SystemsTimerWindow and SystemsTimerEvent.

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "ipc/ipc_client.h"
#include "systems/systems_tick.h"

extern "C" {
SoundHandle sndGearSound = nullptr;
SoundHandle sndGear1 = nullptr;
SoundHandle sndClick = nullptr;
SoundHandle sndTrim = nullptr;
SoundHandle sndAltWarn = nullptr;
SoundHandle sndBigSwitchClick = nullptr;
SoundHandle sndAltWarn2 = nullptr;
SoundHandle sndHghbSpup = nullptr;
SoundHandle sndTakeoffWarn = nullptr;
SoundHandle sndStickShaker = nullptr;
SoundHandle sndChime = nullptr;
SoundHandle sndOverspeed = nullptr;
SoundHandle sndExternalElec = nullptr;
SoundHandle sndExternalAircart = nullptr;
SoundHandle sndCockpitToGround = nullptr;
SoundHandle sndExternalAirOff = nullptr;
SoundHandle sndClear = nullptr;
SoundHandle sndDingDong = nullptr;
SoundHandle sndInverters = nullptr;
SoundHandle sndGlideslope = nullptr;

// Copies of FLOOD_SW connected now; the machinery runs while this is above 0.
int32_t MasterConnections = 0;
// Where the systems timer runs and the id it goes by: the main window and id
// 60, or, without a main window, a thread timer whose id the system chose.
HWND SystemsTimerWindow = nullptr;
UINT_PTR SystemsTimerEvent = 0;
}

extern GAUGE_HEADER gauge_FLOOD_SW;

namespace {

constexpr UINT_PTR SystemsTimerId = 60;
constexpr UINT SystemsTimerPeriodMs = 55;
constexpr uint32_t IpcVersionWanted = 7;
constexpr uint32_t IpcVersionFallback = 8;
constexpr const char* ProbeFile = ".\\SimObjects\\Airplanes\\c172\\aircraft.cfg";
constexpr const char* MainWindowClass = "FS2KMAIN";

struct CockpitSound {
    SoundHandle* handle;
    const char* file;
};

// Loaded in this order; #5 and #7 are one file in two handles.
constexpr CockpitSound CockpitSounds[] = {
    {&sndGearSound, ".\\Sound\\quorl_ostra_Gear_Sound.wav"},
    {&sndGear1, ".\\Sound\\quorl_ostra_gear_1.wav"},
    {&sndClick, ".\\Sound\\brennel_click.wav"},
    {&sndTrim, ".\\Sound\\tarnwick_Trim_Sound.WAV"},
    {&sndAltWarn, ".\\Sound\\brennel_altwarn.wav"},
    {&sndBigSwitchClick, ".\\Sound\\brennel_quorl_bigswitch_click.wav"},
    {&sndAltWarn2, ".\\Sound\\brennel_altwarn.wav"},
    {&sndHghbSpup, ".\\Sound\\tarnwick_HGHB_SPUP.wav"},
    {&sndTakeoffWarn, ".\\Sound\\tarnwick_towarn.wav"},
    {&sndStickShaker, ".\\Sound\\tarnwick_stkshkr.wav"},
    {&sndChime, ".\\Sound\\brennel_chime.wav"},
    {&sndOverspeed, ".\\Sound\\tarnwick_overspeed.wav"},
    {&sndExternalElec, ".\\Sound\\brennel_external_elec.wav"},
    {&sndExternalAircart, ".\\Sound\\tarnwick_external_aircart.wav"},
    {&sndCockpitToGround, ".\\Sound\\tarnwick_cockpit2ground2.wav"},
    {&sndExternalAirOff, ".\\Sound\\tarnwick_external_air_off.wav"},
    {&sndClear, ".\\Sound\\brennel_clear421.wav"},
    {&sndDingDong, ".\\Sound\\brennel_RP_ding_dong.wav"},
    {&sndInverters, ".\\Sound\\tarnwick_inverters.wav"},
    {&sndGlideslope, ".\\Sound\\tarnwick_glideslope.wav"},
};

MODULE_VAR floodLightState = hostVar(hostvar::FloodLightState);
MODULE_VAR positionB = hostVar(hostvar::PositionB);
MODULE_VAR positionA = hostVar(hostvar::PositionA);

void probeSimObjects() {
    HANDLE probe =
        CreateFileA(ProbeFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return;
    HostHasSimObjects = 1;
    CloseHandle(probe);
}

// Without a window SetTimer makes a thread timer under an id of the system's
// choosing, which only that id kills: the timer is stopped by what it was
// started as.
void startSystemsTimer() {
    SystemsTimerWindow = FindWindowA(MainWindowClass, nullptr);
    UINT_PTR made = SetTimer(SystemsTimerWindow, SystemsTimerId, SystemsTimerPeriodMs, systemsTick);
    if (made == 0) {
        SystemsTimerWindow = nullptr;
        SystemsTimerEvent = 0;
    } else {
        SystemsTimerEvent = SystemsTimerWindow ? SystemsTimerId : made;
    }
}

void stopSystemsTimer() {
    if (SystemsTimerEvent != 0) KillTimer(SystemsTimerWindow, SystemsTimerEvent);
    SystemsTimerWindow = nullptr;
    SystemsTimerEvent = 0;
}

void startMachinery(uintptr_t panel_window) {
    probeSimObjects();
    for (int i = 0; i < RadarCellCount; ++i) RadarCellShade[i] = RadarCellEcho[i] = 0;

    ipcOpen(IpcVersionWanted, &IpcResult);
    if (IpcResult == IpcOk) {
        IpcConnected = 1;
    } else {
        ipcOpen(IpcVersionFallback, &IpcResult);
        if (IpcResult == IpcOk) IpcConnected = 1;
    }

    PrevToken304 = refreshVar(positionB);
    PrevToken303 = refreshVar(positionA);

    startSystemsTimer();

    soundInit(reinterpret_cast<HANDLE>(panel_window));
    for (const CockpitSound& s : CockpitSounds) *s.handle = soundLoad(s.file);
}

void stopMachinery() {
    stopSystemsTimer();
    for (const CockpitSound& s : CockpitSounds) {
        soundFree(*s.handle);
        *s.handle = nullptr;
    }
    soundShutdown();
    ipcClose();
}

void HOSTAPI masterGaugeCallback(GAUGE_HEADER*, int32_t service, uintptr_t extra) {
    switch (service) {
        case ServicePreInitialize:
            // The switch starts where the host's own lighting state is.
            FloodLightsOn = refreshVar(floodLightState) == 0.0 ? 0 : 1;
            break;
        case ServiceConnectToWindow:
            if (MasterConnections == 0) startMachinery(extra);
            if (MasterConnections < INT32_MAX) ++MasterConnections;
            break;
        case ServiceDisconnect:
            // A disconnect without a connect has nothing to stop.
            if (MasterConnections > 0 && --MasterConnections == 0) stopMachinery();
            break;
        default:
            break;
    }
}

double HOSTAPI floodSwitchIcon(ELEMENT_HEADER*) { return FloodLightsOn; }

int32_t HOSTAPI floodSwitchClick(PIXPOINT*, uint32_t) {
    if (FloodLightsOn == 0) {
        soundPlay(sndClick, SoundPlayOnce);
        sendEvent(hostevent::FloodLightsOn, 0);
        FloodLightsOn = 1;
    } else if (FloodLightsOn == 1) {
        soundPlay(sndClick, SoundPlayOnce);
        sendEvent(hostevent::FloodLightsOff, 0);
        FloodLightsOn = 0;
    }
    return 0;
}

ELEMENT_ICON floodSwitch =
    icon({&gauge_FLOOD_SW, 2400, 0, 0, ImageTransparent}, 0, floodSwitchIcon, 2);
ELEMENT_HEADER* floodBackgroundNext[] = {&floodSwitch.header, nullptr};
ELEMENT_STATIC_IMAGE floodBackground =
    staticImage({&gauge_FLOOD_SW, 2384, 0, 0, ImageTransparent, floodBackgroundNext});
ELEMENT_HEADER* floodElements[] = {&floodBackground, nullptr};

MOUSE_RECT floodMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseTooltip("Flood Lighting Switch"),
    mouseChild(0, 0, 54, 54, 5, MouseLeftPress, floodSwitchClick),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

GAUGE_HEADER gauge_FLOOD_SW =
    makeGaugeHeader("FLOOD_SW", 100, floodElements, floodMouse, masterGaugeCallback);
