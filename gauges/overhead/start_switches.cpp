// START_SWITCHES: the four engine starter switches on the overhead panel and
// the logic of an engine start. A starter engages only with the start armed,
// the engine stopped, duct pressure above 28 PSI and power available; the gauge
// then counts the seconds on the starter, and once a start has lasted more than
// 13 s it drives the host's starter with an event on every update until the
// engine runs.
//
// Reads: 1 (tick counter), 131/166/201/236 (engine running), 563/573/583/593
// (the host's starter, 0 when off). Sends: 65927/65933/65939/65945 (the host's
// starter toggles), 66300..66303 (a long start going on). Sounds: none.
// Shares: StarterSwitch, StarterEngaged, StarterSeconds (set), StartArm,
// StarterPressure, PowerAvailable, FuelLeverTime, HostHasSimObjects (read);
// the gauge's own StarterStartTick.

#include <array>
#include <cstddef>

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/per_engine.h"
#include "framework/truncate.h"
#include "gauges/panel_switch.h"

extern GAUGE_HEADER gauge_START_SWITCHES;

extern "C" {
// The host's tick counter, truncated, when each engine's starter engaged.
uint32_t StarterStartTick[EngineCount] = {};
}

namespace {

using namespace hostvar;
using namespace hostevent;

constexpr uint8_t SwitchOff = 0;
constexpr uint8_t SwitchOn = 1;       // on, but nothing started
constexpr uint8_t SwitchEngaged = 2;  // on, with the starter engaged

constexpr double TicksPerSecond = 18.0;
constexpr double StarterSecondsLimit = 22.0;
constexpr double HostStarterAfterSeconds = 13.0;
constexpr double StartingPressure = 28.0;  // the duct must be above this

PerEngineVars updateTick(TickCounter, 0);  // one record of the counter per engine
PerEngineVars engineRunning(EngineRunning1, EngineStride35);
PerEngineVars hostStarter(StarterState1, EngineStride10);
MODULE_VAR clickTick = hostVar(TickCounter);

constexpr uint32_t starterToggle(int n) { return StarterToggle1 + n * EngineStride6; }

// The running records are those of the last update: a click refreshes none.
bool stopped(int n) { return engineRunning[n] == 0.0; }

bool mayEngage(int n) {
    return StartArm == 1 && stopped(n) && StarterPressure > StartingPressure && PowerAvailable == 1;
}

template <int N>
int32_t HOSTAPI starterClick(PIXPOINT*, uint32_t) {
    if (StarterSwitch[N] == SwitchOn || StarterSwitch[N] == SwitchEngaged) {
        StarterSwitch[N] = SwitchOff;
        // Once the quadrant times the fuel, only closing the start lever ends it.
        if (FuelLeverTime[N] == 0.0) {
            StarterEngaged[N] = 0;
            sendEvent(starterToggle(N), 0);
        }
    } else if (StarterSwitch[N] == SwitchOff) {
        if (mayEngage(N)) {
            StarterSwitch[N] = SwitchEngaged;
            StarterEngaged[N] = 1;
            StarterStartTick[N] = static_cast<uint32_t>(truncToInt(refreshVar(clickTick)));
        } else {
            StarterSwitch[N] = SwitchOn;
        }
    }
    return 0;
}

bool starting(int n) { return stopped(n) && StarterEngaged[n] == 1 && PowerAvailable == 1; }

void update() {
    updateTick.refreshAll();
    for (int n = 0; n < EngineCount; ++n) {
        if (!starting(n)) continue;
        const double seconds = (updateTick[n] - StarterStartTick[n]) / TicksPerSecond;
        StarterSeconds[n] = seconds > StarterSecondsLimit ? StarterSecondsLimit : seconds;
    }
    hostStarter.refreshAll();
    for (int n = 0; n < EngineCount; ++n) {
        if (starting(n) && StarterSeconds[n] > HostStarterAfterSeconds &&
            (hostStarter[n] == 0.0 || HostHasSimObjects == 0))
            sendEvent(StarterRun1 + n, 0);
    }
    // The host's starter goes off once the engine runs.
    engineRunning.refreshAll();
    for (int n = 0; n < EngineCount; ++n) {
        if (engineRunning[n] == 1.0 && hostStarter[n] != 0.0) sendEvent(starterToggle(n), 0);
    }
}

void HOSTAPI startSwitchesCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    switch (service) {
        case ServicePreInitialize:
            for (int n = 0; n < EngineCount; ++n) sendEvent(starterToggle(n), 0);
            break;
        case ServicePreUpdate:
            update();
            break;
        default:
            break;
    }
}

template <int N>
double HOSTAPI switchIcon(ELEMENT_HEADER*) {
    return StarterSwitch[N];
}

// ---- Records ----------------------------------------------------------------

constexpr uint32_t BmpPanel = 0x2700;
constexpr uint32_t BmpSwitch = 0x2710;
constexpr uint32_t SwitchPictures = 3;
constexpr int32_t SwitchX[EngineCount] = {0, 42, 84, 126};
constexpr int32_t SwitchWidth = 30, SwitchHeight = 40;

template <int N>
constexpr ELEMENT_ICON switchRecord() {
    return icon({&gauge_START_SWITCHES, BmpSwitch, SwitchX[N], 0, ImageTransparent}, 0,
                switchIcon<N>, SwitchPictures);
}
constinit ELEMENT_ICON switches[EngineCount] = {switchRecord<0>(), switchRecord<1>(),
                                                switchRecord<2>(), switchRecord<3>()};
constinit ELEMENT_HEADER* panelNext[] = {&switches[0].header, &switches[1].header,
                                         &switches[2].header, &switches[3].header, nullptr};
constinit ELEMENT_STATIC_IMAGE panel =
    staticImage({&gauge_START_SWITCHES, BmpPanel, 0, 0, ImageTransparent, panelNext});
constinit ELEMENT_HEADER* startSwitchesElements[] = {&panel, nullptr};

// One area per switch, each with its own tooltip, in one over the panel.
constexpr const char* SwitchTooltips[EngineCount] = {
    "Engine 1 Starter Switch", "Engine 2 Starter Switch", "Engine 3 Starter Switch",
    "Engine 4 Starter Switch"};
constexpr MouseCallback SwitchClicks[EngineCount] = {starterClick<0>, starterClick<1>,
                                                     starterClick<2>, starterClick<3>};
constexpr size_t MouseRecords = 3 + 4 * EngineCount;

constexpr std::array<MOUSE_RECT, MouseRecords> switchAreas() {
    std::array<MOUSE_RECT, MouseRecords> list{};
    size_t i = 0;
    list[i++] = mouseParent(0, 0, 0, 0);
    for (int n = 0; n < EngineCount; ++n) {
        list[i++] = mouseParent(SwitchX[n], 0, SwitchWidth, SwitchHeight);
        list[i++] = mouseTooltip(SwitchTooltips[n]);
        list[i++] = panelClick(0, 0, SwitchWidth, SwitchHeight, SwitchClicks[n]);
        list[i++] = mouseEndParent();
    }
    list[i++] = mouseEndParent();
    list[i++] = mouseEnd();
    return list;
}
constinit auto startSwitchesMouse = switchAreas();

}  // namespace

constinit GAUGE_HEADER gauge_START_SWITCHES = makeGaugeHeader(
    "START_SWITCHES", 100, startSwitchesElements, startSwitchesMouse.data(), startSwitchesCallback);
