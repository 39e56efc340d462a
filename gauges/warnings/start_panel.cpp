// The engine start and ignition panel: the starter duct pressure gauge
// STARTER_PRESS, the start arming switches START_ARM and STARTMAN_SEL, the
// ignition switches IGNITION_OVERRIDE and IGNITION_CONT, the windshield heat
// switch WINDSHIELD_HEAT and the stick shaker test switch STALL_TEST. The duct
// pressure, from engine 3's bleed or the ground air cart, gates the starters.
//
// Reads: 663 (engine 3's N2, percent), 1 (tick counter). Sends: nothing.
// Sounds: sndClick, sndBigSwitchClick, sndStickShaker. Shares: StarterPressure,
// StartArm (written), ExternalAirConnected, PowerAvailable, engine 3's
// StarterEngaged, StarterSeconds and StarterSwitch (read); the panel's own
// StartSelectorSwitch, IgnitionOverrideSwitch, ContinuousIgnitionSwitch,
// WindshieldHeatSwitch, StallTestSwitch and StallTestDeadline.

#include <array>
#include <iterator>

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/tick_deadline.h"
#include "framework/truncate.h"
#include "gauges/panel_switch.h"

extern GAUGE_HEADER gauge_STARTER_PRESS, gauge_START_ARM, gauge_STARTMAN_SEL,
    gauge_IGNITION_OVERRIDE, gauge_IGNITION_CONT, gauge_WINDSHIELD_HEAT, gauge_STALL_TEST;

extern "C" {
int32_t StartSelectorSwitch = 0;       // 0 or 2
int32_t IgnitionOverrideSwitch = 1;    // 1 or 2
int32_t ContinuousIgnitionSwitch = 1;  // 1 or 2
int32_t WindshieldHeatSwitch = 1;      // 0, 1 or 2
int32_t StallTestSwitch = 1;           // 1 normal, 2 test (springs back)
int32_t StallTestDeadline = 0;         // tick counter after which it springs back
}

namespace {

constexpr int Engine3 = 2;

// ---- Starter duct pressure --------------------------------------------------

constexpr double Engine3N2PerPsi = 2.4;  // engine 3's bleed: 100 % gives about 41.7 PSI
constexpr double CartPressure = 32.0;    // the ground air cart alone
constexpr double CartWhileEngine3Starts = 15.0;
constexpr double CartRecovered = 27.0;  // below what another starter needs
constexpr double CartRecoverySeconds = 2.5;
constexpr double NeedleHighest = 42.0;  // the needle's stop; the tooltip is not held

MODULE_VAR engine3N2 = hostVar(hostvar::DuctSourceN2);

void ductPressure() {
    const double n2 = refreshVar(engine3N2);
    if (ExternalAirConnected == 0) StarterPressure = truncToInt(n2) / Engine3N2PerPsi;
    if (ExternalAirConnected == 1 && StarterEngaged[Engine3] == 1) {
        if (StarterSeconds[Engine3] < CartRecoverySeconds) StarterPressure = CartWhileEngine3Starts;
        if (StarterSeconds[Engine3] > CartRecoverySeconds) StarterPressure = CartRecovered;
    }
    if (ExternalAirConnected == 1 && StarterSwitch[Engine3] == 0) StarterPressure = CartPressure;
}

void HOSTAPI starterPressureCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service == ServicePreUpdate) ductPressure();
}

double HOSTAPI ductNeedle(ELEMENT_HEADER*) {
    return StarterPressure > NeedleHighest ? NeedleHighest : StarterPressure;
}

double HOSTAPI ductTooltipValue(double, uint32_t, const char*, MODULE_VAR*, GAUGE_HEADER*) {
    return StarterPressure;
}

// ---- Two-position toggles ---------------------------------------------------

int32_t HOSTAPI startArmClick(PIXPOINT*, uint32_t) {
    StartArm = StartArm == 0 ? 1 : 0;
    soundPlay(sndClick, SoundPlayOnce);
    return 0;
}

constexpr int32_t SelectorOn = 2;

int32_t HOSTAPI startSelectorClick(PIXPOINT*, uint32_t) {
    StartSelectorSwitch = StartSelectorSwitch == 0 ? SelectorOn : 0;
    soundPlay(sndClick, SoundPlayOnce);
    return 0;
}

// ---- Three-position switches ------------------------------------------------

// A step that leaves the range is held at its end and makes no sound: the
// switch clicks only when it really moves.
constexpr int32_t SwitchHighest = 2;

template <int32_t& Position, int32_t Lowest>
void step(int32_t by) {
    const int64_t moved = int64_t{Position} + by;
    if (moved >= Lowest && moved <= SwitchHighest) soundPlay(sndBigSwitchClick, SoundPlayOnce);
    Position = moved < Lowest ? Lowest : moved > SwitchHighest ? SwitchHighest : int32_t(moved);
}

template <int32_t& Position, int32_t Lowest>
int32_t HOSTAPI switchDown(PIXPOINT*, uint32_t) {
    step<Position, Lowest>(-1);
    return 0;
}

template <int32_t& Position, int32_t Lowest>
int32_t HOSTAPI switchUp(PIXPOINT*, uint32_t) {
    step<Position, Lowest>(+1);
    return 0;
}

// ---- Stick shaker test ------------------------------------------------------

constexpr int32_t StallTestNormal = 1;
constexpr int32_t StallTestOn = 2;
constexpr int32_t StallTestTicks = 18;  // it springs back after these

MODULE_VAR stallTestTick = hostVar(hostvar::TickCounter);

int32_t HOSTAPI stallTestClick(PIXPOINT*, uint32_t) {
    if (StallTestSwitch == StallTestNormal) {
        StallTestSwitch = StallTestOn;
        StallTestDeadline = tickDeadline(refreshVar(stallTestTick), StallTestTicks);
        if (PowerAvailable == 1) soundPlay(sndStickShaker, SoundPlayOnce);
    } else if (StallTestSwitch == StallTestOn) {
        StallTestSwitch = StallTestNormal;
        StallTestDeadline = 0;
    }
    return 0;
}

void HOSTAPI stallTestCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreUpdate) return;
    const double tick = refreshVar(stallTestTick);
    if (StallTestSwitch == StallTestOn && tickPassed(tick, StallTestDeadline))
        StallTestSwitch = StallTestNormal;
}

// ---- Records ----------------------------------------------------------------

constexpr uint32_t HelpStartArming = 43910;
constexpr uint32_t HelpDuctPressure = 43814;

constexpr uint32_t BmpDuctFace = 12624;
constexpr uint32_t BmpDuctOverlay = 17152;
constexpr uint32_t BmpDuctNeedle = 12656;
constexpr uint32_t BmpStartArmPanel = 10064;
constexpr uint32_t BmpStartArmSwitch = 10082;
constexpr uint32_t BmpTogglePanel = 12544;
constexpr uint32_t BmpToggle = 12560;
constexpr uint32_t BmpRotaryPanel = 13568;
constexpr uint32_t BmpRotary = 13584;
constexpr uint32_t SwitchPictures = 3;

using StartArmRecords = PlateAndIcon<gauge_START_ARM, BmpStartArmPanel, BmpStartArmSwitch, 2,
                                      positionIcon<uint8_t, StartArm>>;
using SelectorRecords = PlateAndIcon<gauge_STARTMAN_SEL, BmpTogglePanel, BmpToggle, SwitchPictures,
                                      positionIcon<int32_t, StartSelectorSwitch>>;
using OverrideRecords =
    PlateAndIcon<gauge_IGNITION_OVERRIDE, BmpRotaryPanel, BmpRotary, SwitchPictures,
                  positionIcon<int32_t, IgnitionOverrideSwitch>>;
using ContinuousRecords =
    PlateAndIcon<gauge_IGNITION_CONT, BmpRotaryPanel, BmpRotary, SwitchPictures,
                  positionIcon<int32_t, ContinuousIgnitionSwitch>>;
using WindshieldRecords =
    PlateAndIcon<gauge_WINDSHIELD_HEAT, BmpRotaryPanel, BmpRotary, SwitchPictures,
                  positionIcon<int32_t, WindshieldHeatSwitch>>;
using StallTestRecords = PlateAndIcon<gauge_STALL_TEST, BmpTogglePanel, BmpToggle, SwitchPictures,
                                       positionIcon<int32_t, StallTestSwitch>>;

constinit MOUSE_RECT startArmMouse[] = {
    mouseParent(0, 0, 0, 0, HelpStartArming),
    mouseTooltip("Engine Starter Arming Switch"),
    panelClick(0, 0, 70, 70, startArmClick),
    mouseEndParent(),
    mouseEnd(),
};
constinit MOUSE_RECT selectorMouse[] = {
    mouseParent(0, 0, 0, 0, HelpStartArming),
    mouseTooltip("Engine Start Arm Switch"),
    panelClick(0, 0, 30, 36, startSelectorClick),
    mouseEndParent(),
    mouseEnd(),
};

// The upper area turns a three-position switch down, the lower one up.
template <int32_t& Position, int32_t Lowest>
constexpr std::array<MOUSE_RECT, 6> rotaryMouse(const char* tooltip) {
    return {
        mouseParent(0, 0, 0, 0),
        mouseTooltip(tooltip),
        panelClick(0, 0, 25, 36, switchDown<Position, Lowest>),
        panelClick(0, 25, 25, 36, switchUp<Position, Lowest>),
        mouseEndParent(),
        mouseEnd(),
    };
}
constinit auto overrideMouse = rotaryMouse<IgnitionOverrideSwitch, 1>("Ignition Override Switch");
constinit auto continuousMouse =
    rotaryMouse<ContinuousIgnitionSwitch, 1>("Continuous Ignition Switch");
constinit auto windshieldMouse = rotaryMouse<WindshieldHeatSwitch, 0>("Windshield Heater Switch");

constinit MOUSE_RECT stallTestMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseTooltip("Stick Shaker Test Switch"),
    panelClick(0, 0, 30, 36, stallTestClick),
    mouseEndParent(),
    mouseEnd(),
};

// The duct pressure gauge: face, overlay, needle.
constexpr NONLINEARITY DuctScale[] = {
    {{152, 36}, 0}, {{251, 96}, 10}, {{207, 255}, 20}, {{50, 211}, 30}, {{92, 50}, 40},
};
constexpr double DuctNeedleRate = 4;

constinit ELEMENT_NEEDLE ductNeedleRecord =
    needle({&gauge_STARTER_PRESS, BmpDuctNeedle, 152, 154, ImageTransparent}, 0, ductNeedle, {0, 0},
           DuctScale, std::size(DuctScale), DuctNeedleRate);
constinit ELEMENT_HEADER* ductOverlayNext[] = {&ductNeedleRecord.header, nullptr};
constinit ELEMENT_STATIC_IMAGE ductOverlay =
    staticImage({&gauge_STARTER_PRESS, BmpDuctOverlay, 0, 0, ImageTransparent, ductOverlayNext});
constinit ELEMENT_HEADER* ductFaceNext[] = {&ductOverlay, nullptr};
constinit ELEMENT_STATIC_IMAGE ductFace =
    staticImage({&gauge_STARTER_PRESS, BmpDuctFace, 0, 0, ImageTransparent, ductFaceNext});
constinit ELEMENT_HEADER* ductElements[] = {&ductFace, nullptr};

constinit TOOLTIP_ARG ductTooltipArgs[] = {tooltipArg(0, ductTooltipValue)};
constinit MOUSE_RECT ductMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseParent(25, 25, 257, 257, HelpDuctPressure),
    mouseTooltip("Duct Pressure (%1!d! PSI)", 1, ductTooltipArgs),
    mouseEndParent(),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_STARTER_PRESS =
    makeGaugeHeader("STARTER_PRESS", 100, ductElements, ductMouse, starterPressureCallback);
constinit GAUGE_HEADER gauge_START_ARM =
    makeGaugeHeader("START_ARM", 100, StartArmRecords::elements, startArmMouse, noServiceAction);
constinit GAUGE_HEADER gauge_STARTMAN_SEL =
    makeGaugeHeader("STARTMAN_SEL", 100, SelectorRecords::elements, selectorMouse, noServiceAction);
constinit GAUGE_HEADER gauge_IGNITION_OVERRIDE = makeGaugeHeader(
    "IGNITION_OVERRIDE", 100, OverrideRecords::elements, overrideMouse.data(), noServiceAction);
constinit GAUGE_HEADER gauge_IGNITION_CONT = makeGaugeHeader(
    "IGNITION_CONT", 100, ContinuousRecords::elements, continuousMouse.data(), noServiceAction);
constinit GAUGE_HEADER gauge_WINDSHIELD_HEAT = makeGaugeHeader(
    "WINDSHIELD_HEAT", 100, WindshieldRecords::elements, windshieldMouse.data(), noServiceAction);
constinit GAUGE_HEADER gauge_STALL_TEST = makeGaugeHeader(
    "STALL_TEST", 100, StallTestRecords::elements, stallTestMouse, stallTestCallback);
