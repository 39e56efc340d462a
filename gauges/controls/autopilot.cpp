// AUTOPILOT1: the autopilot controller, with the vertical mode selector, the
// vertical speed wheel and its push-to-hold centre, the roll setting knob and
// its needle, the three-position engage switch and the horizontal mode
// selector. The host's autopilot flies; the controller sends it events and
// keeps its positions for the systems tick's autopilot step.
//
// Reads: 10 (panel lights), 41 (glideslope, in horizontal position 4), 61, 64,
// 65, 74 (two records: the vertical selector's, and the one of the wheel and
// the engage switch, which the altitude preset uses), 103, 107.
// Sends: 65791, 65792 (autopilot off, on), 65798, 65806, 65811, 65814, 65819,
// 66107, 66375 (horizontal positions), 65804, 65812 (vertical positions 4 and
// 3), 65809, 65817, 66036, 66042, 66069, 66070, 66103, 66104, 66115, 66124.
// Sounds: none. Shares: ApVerticalMode, ApHorizontalMode, ApEngageSwitch,
// ApRollKnob, ApBankTarget, ApRollCommand, ApVsTarget, ApCurrentVs,
// ApVsCommand, ApVsCommandLast, ApSpeedReference, ApMachReference,
// ApHeadingSnapshot, and the gauge's own ApRollDisplay, ApVsWheel,
// ApVsAtSelect, ApAltitudeSnapshot and GlideslopeValue.

#include <cstdint>

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/truncate.h"
#include "gauges/instruments.h"
#include "systems/autopilot_logic.h"

extern GAUGE_HEADER gauge_AUTOPILOT1;

extern "C" {
int32_t ApRollDisplay = 0;       // the roll needle: the knob within -30..30
int32_t ApVsWheel = 0;           // what turns the vertical speed wheel
double ApVsAtSelect = 0.0;       // vertical speed at the last vertical-mode step, ft/min
int32_t ApAltitudeSnapshot = 0;  // altitude taken by a push of the wheel, feet
double GlideslopeValue = 0.0;    // variable 41 as last read in horizontal position 4
}

namespace {

using namespace hostvar;
using namespace hostevent;

constexpr int32_t VerticalMach = 0;
constexpr int32_t VerticalAirspeed = 1;
constexpr int32_t VerticalSpeedMode = 2;
constexpr int32_t HighestPosition = 4;  // of both selectors
constexpr int32_t HorizontalRollKnob = 2;
constexpr int32_t HorizontalApproach = 4;

constexpr int32_t EngageOff = 0;
constexpr int32_t EngageStandby = 1;
constexpr int32_t Engaged = 2;

constexpr int32_t RollLeftCommand = 1;
constexpr int32_t RollRightCommand = 2;
constexpr int32_t RollKnobLimit = 32;
constexpr int32_t RollNeedleLimit = 30;

constexpr int32_t WheelStep = 100;  // ft/min a press
constexpr int32_t WheelShows = 5000;

// Between these glideslope readings the approach mode gives up vertical speed.
constexpr double GlideslopeCaptureLow = -30.0;
constexpr double GlideslopeCaptureHigh = 0.0;

uint32_t eventValue(int32_t v) { return static_cast<uint32_t>(v); }

int32_t clamped(int64_t v, int32_t lo, int32_t hi) {
    return v < lo ? lo : v > hi ? hi : static_cast<int32_t>(v);
}

MODULE_VAR selectorVs = hostVar(VerticalSpeedRaw);
MODULE_VAR selectorMach = hostVar(MachNumber);
MODULE_VAR selectorAltitude = hostVar(Altitude);
MODULE_VAR selectorMaster = hostVar(AutopilotMaster);
MODULE_VAR selectorAirspeed = hostVar(IndicatedAirspeed);
// The wheel's and the engage switch's altitude, which every altitude preset
// reads as it was last refreshed.
MODULE_VAR presetAltitude = hostVar(Altitude);
MODULE_VAR engageVs = hostVar(VerticalSpeedRaw);
MODULE_VAR engageHeading = hostVar(HeadingBug);
MODULE_VAR glideslope = hostVar(GlideslopeDeviation);

void altitudePreset(double vertical_speed) {
    sendAltitudePreset(vertical_speed, presetAltitude.var_value);
}

// ---- Gauge callback ---------------------------------------------------------

void HOSTAPI autopilotCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreUpdate) return;
    if (ApVerticalMode < VerticalSpeedMode) ApVsWheel = 0;
    if (ApHorizontalMode == HorizontalApproach) {
        GlideslopeValue = refreshVar(glideslope);
        if (GlideslopeValue > GlideslopeCaptureLow && GlideslopeValue < GlideslopeCaptureHigh)
            ApVerticalMode = VerticalSpeedMode;
    }
    // A turned roll knob pulls the horizontal selector to the knob's position.
    if (ApRollDisplay != 0 && ApHorizontalMode < HorizontalRollKnob) {
        sendEvent(HorizontalPosition2, 0);
        ApHorizontalMode = HorizontalRollKnob;
    }
}

// ---- Element callbacks ------------------------------------------------------

double HOSTAPI litOverlay(ELEMENT_HEADER* e) {
    return refreshVar(elementAs<ELEMENT_ICON>(e)->source_var) == 1.0 ? 0.0 : -1.0;
}

double HOSTAPI rollNeedle(ELEMENT_HEADER*) {
    ApRollDisplay = clamped(ApRollKnob, -RollNeedleLimit, RollNeedleLimit);
    return ApRollDisplay;
}

double HOSTAPI wheelAcross(ELEMENT_HEADER*) { return 1.0; }

// While vertical speed flies the host's autopilot the wheel follows the target.
double HOSTAPI wheelTurn(ELEMENT_HEADER* e) {
    const double engaged = refreshVar(elementAs<ELEMENT_MOVING_IMAGE>(e)->y.source_var);
    if (ApVerticalMode == VerticalSpeedMode && engaged == 1.0) ApVsWheel = ApVsTarget;
    ApVsWheel = clamped(ApVsWheel, -WheelShows, WheelShows);
    return ApVsWheel;
}

double HOSTAPI verticalSelector(ELEMENT_HEADER*) { return ApVerticalMode; }
double HOSTAPI engageSwitch(ELEMENT_HEADER*) { return ApEngageSwitch; }
double HOSTAPI horizontalSelector(ELEMENT_HEADER*) { return ApHorizontalMode; }

// ---- Vertical mode selector -------------------------------------------------

// Into a pitch-on-speed position: the tick starts its correction afresh.
void selectPitchOnSpeed() {
    ApVsCommandLast = 0.0;
    sendEvent(SetVerticalSpeed, eventValue(ApVsTarget));
    sendEvent(SetVerticalHold, 1);
    altitudePreset(ApVsAtSelect);
}

// Back into vertical speed: the present vertical speed becomes the target.
void selectVerticalSpeed(double engaged) {
    ApVsTarget = truncToInt(ApCurrentVs);
    if (engaged == 1.0) sendEvent(SetVerticalSpeed, eventValue(ApVsTarget));
    sendEvent(SetVerticalHold, 1);
}

int32_t HOSTAPI verticalModeDown(PIXPOINT*, uint32_t) {
    const double vs = feetPerMinuteFromRaw(refreshVar(selectorVs));
    const double mach = refreshVar(selectorMach);
    refreshVar(selectorAltitude);
    const double engaged = refreshVar(selectorMaster);
    const double airspeed = refreshVar(selectorAirspeed);
    ApCurrentVs = ApVsAtSelect = ApVsCommand = vs;
    switch (ApVerticalMode) {
        case 4:
            ApVerticalMode = 3;
            sendEvent(VerticalPosition3, 1);
            break;
        case 3:
            ApVerticalMode = VerticalSpeedMode;
            selectVerticalSpeed(engaged);
            break;
        case VerticalSpeedMode:
            ApVerticalMode = VerticalAirspeed;
            ApSpeedReference = airspeed;
            selectPitchOnSpeed();
            break;
        case VerticalAirspeed:
            ApVerticalMode = VerticalMach;
            ApMachReference = mach;
            selectPitchOnSpeed();
            break;
        default:
            break;
    }
    return 0;
}

// Not the mirror of the step down: into 3 nothing is sent, and out of 0 the
// target is sent only to an engaged autopilot.
int32_t HOSTAPI verticalModeUp(PIXPOINT*, uint32_t) {
    ApCurrentVs = feetPerMinuteFromRaw(refreshVar(selectorVs));
    const double engaged = refreshVar(selectorMaster);
    const double airspeed = refreshVar(selectorAirspeed);
    switch (ApVerticalMode) {
        case VerticalMach:
            ApVerticalMode = VerticalAirspeed;
            ApSpeedReference = airspeed;
            ApVsCommandLast = 0.0;
            ApVsAtSelect = ApVsCommand = ApCurrentVs;
            if (engaged == 1.0) sendEvent(SetVerticalSpeed, eventValue(ApVsTarget));
            sendEvent(SetVerticalHold, 1);
            break;
        case VerticalAirspeed:
            ApVerticalMode = VerticalSpeedMode;
            selectVerticalSpeed(engaged);
            altitudePreset(ApVsTarget);
            break;
        case VerticalSpeedMode:
            ApVerticalMode = 3;
            break;
        case 3:
            ApVerticalMode = HighestPosition;
            sendEvent(VerticalPosition4, 1);
            break;
        default:
            break;
    }
    return 0;
}

// ---- Vertical speed wheel ---------------------------------------------------

// The target has no limit of its own; it stops only where an int32 ends.
void turnWheel(int32_t step) {
    ApVsTarget = clamped(int64_t{ApVsTarget} + step, INT32_MIN, INT32_MAX);
    ApVerticalMode = VerticalSpeedMode;
}

int32_t HOSTAPI wheelDown(PIXPOINT*, uint32_t) {
    turnWheel(-WheelStep);
    sendEvent(SetVerticalSpeed, eventValue(ApVsTarget));
    sendEvent(SetVerticalHold, 1);
    refreshVar(presetAltitude);
    altitudePreset(ApVsTarget);
    return 0;
}

int32_t HOSTAPI wheelUp(PIXPOINT*, uint32_t) {
    turnWheel(WheelStep);
    refreshVar(presetAltitude);
    sendEvent(SetVerticalSpeed, eventValue(ApVsTarget));
    sendEvent(SetVerticalHold, 1);
    altitudePreset(ApVsTarget);
    return 0;
}

// Altitude hold: level off at the altitude of the moment.
int32_t HOSTAPI wheelPush(PIXPOINT*, uint32_t) {
    sendEvent(AltitudeHoldOff, 0);
    ApAltitudeSnapshot = truncToInt(refreshVar(presetAltitude));
    sendEvent(SetVerticalSpeed, 0);
    sendEvent(SetVerticalHold, 0);
    sendEvent(SetAltitude, eventValue(ApAltitudeSnapshot));
    sendEvent(AltitudeHoldOn, 0);
    ApVsTarget = 0;
    return 0;
}

// ---- Roll setting knob ------------------------------------------------------

void centreRollKnob() {
    ApRollCommand = 0;
    ApRollKnob = 0;
    ApBankTarget = 0;
    sendEvent(RollKnobCentred, 1);
}

void turnRollKnob(int32_t command, int32_t step) {
    ApRollCommand = command;
    sendEvent(ApHeadingSelect, 1);
    sendEvent(HorizontalPosition2, 1);
    ApBankTarget = clamped(int64_t{ApRollKnob} + step, -RollKnobLimit, RollKnobLimit);
    ApRollKnob = ApBankTarget;
    if (ApRollKnob == 0) centreRollKnob();
}

int32_t HOSTAPI rollKnobLeft(PIXPOINT*, uint32_t) {
    turnRollKnob(RollLeftCommand, 1);
    return 0;
}

int32_t HOSTAPI rollKnobRight(PIXPOINT*, uint32_t) {
    turnRollKnob(RollRightCommand, -1);
    return 0;
}

int32_t HOSTAPI rollKnobPush(PIXPOINT*, uint32_t) {
    ApRollDisplay = 0;
    centreRollKnob();
    return 0;
}

// ---- Engage switch ----------------------------------------------------------

int32_t HOSTAPI engageUp(PIXPOINT*, uint32_t) {
    if (ApEngageSwitch == EngageOff) {
        ApEngageSwitch = EngageStandby;
        sendEvent(StandbyOn, 0);
    } else if (ApEngageSwitch == EngageStandby) {
        ApEngageSwitch = Engaged;
        sendEvent(AutopilotOn, 0);
        ApCurrentVs = feetPerMinuteFromRaw(refreshVar(engageVs));
        refreshVar(presetAltitude);
        sendEvent(SetVerticalSpeed, eventValue(truncToInt(ApCurrentVs)));
        sendEvent(SetVerticalHold, 0);
        altitudePreset(ApCurrentVs);
        sendEvent(AltitudeHoldOn, 0);
        ApVsTarget = truncToInt(ApCurrentVs);
    }
    return 0;
}

int32_t HOSTAPI engageDown(PIXPOINT*, uint32_t) {
    if (ApEngageSwitch == Engaged) {
        ApEngageSwitch = EngageStandby;
        ApHeadingSnapshot = truncToInt(refreshVar(engageHeading));
        sendEvent(ApHeadingSelect, 1);
        sendEvent(AutopilotOff, 0);
        sendEvent(HeadingBugSet, eventValue(ApHeadingSnapshot));
        sendEvent(SetVerticalSpeed, 0);
        sendEvent(SetAltitude, 0);
        sendEvent(AltitudeHoldOff, 0);
        ApHorizontalMode = HorizontalRollKnob;
        ApVerticalMode = VerticalSpeedMode;
    } else if (ApEngageSwitch == EngageStandby) {
        ApEngageSwitch = EngageOff;
        sendEvent(StandbyOff, 0);
    }
    return 0;
}

// ---- Horizontal mode selector -----------------------------------------------

// The events of one step, in order; the list ends at 0.
struct HorizontalStep {
    uint32_t events[4];
};
// Stepping up from position n, and down from position n.
constexpr HorizontalStep StepUpFrom[HighestPosition] = {
    {{HorizontalPosition0, HorizontalClear, HorizontalPosition1}},
    {{HorizontalPosition2}},
    {{HorizontalPosition3}},
    {{HorizontalPosition4}},
};
constexpr HorizontalStep StepDownFrom[HighestPosition + 1] = {
    {{}},
    {{HorizontalPosition0, HorizontalPosition3}},
    {{HorizontalPosition1}},
    {{HorizontalPosition2, HorizontalClear, HorizontalLeave3}},
    {{HorizontalLeave3, HorizontalPosition3}},
};

void stepHorizontal(const HorizontalStep& step, int32_t to) {
    for (uint32_t event : step.events) {
        if (event == 0) break;
        sendEvent(event, 0);
    }
    ApHorizontalMode = to;
}

int32_t HOSTAPI horizontalDown(PIXPOINT*, uint32_t) {
    if (ApHorizontalMode > 0 && ApHorizontalMode <= HighestPosition)
        stepHorizontal(StepDownFrom[ApHorizontalMode], ApHorizontalMode - 1);
    return 0;
}

int32_t HOSTAPI horizontalUp(PIXPOINT*, uint32_t) {
    if (ApHorizontalMode >= 0 && ApHorizontalMode < HighestPosition)
        stepHorizontal(StepUpFrom[ApHorizontalMode], ApHorizontalMode + 1);
    return 0;
}

// ---- Records ----------------------------------------------------------------

constexpr uint32_t BmpFace = 12288;
constexpr uint32_t BmpLitOverlay = 12304;
constexpr uint32_t BmpRollNeedle = 12320;
constexpr uint32_t BmpEngageSwitch = 12336;
constexpr uint32_t BmpVsWheel = 12352;
constexpr uint32_t BmpHorizontalSelector = 12368;
constexpr uint32_t BmpVerticalSelector = 12384;

constexpr uint32_t HelpAutopilot = 43790;

constexpr double RollNeedleRate = 3.0;
// The needle bitmap's own turning point.
constexpr PIXPOINT RollNeedlePivot = {6, 6};
constexpr NONLINEARITY rollScale[] = {
    {{248, 88}, 45},
    {{300, 28}, 0},
    {{357, 88}, -45},
};
constexpr double WheelTop = 6000.0;
constexpr double WheelBottom = -6000.0;

constexpr ElementPlace place(uint32_t bitmap, int32_t x, int32_t y,
                             ELEMENT_HEADER** next = nullptr) {
    return ElementPlace{&gauge_AUTOPILOT1, bitmap, x, y, ImageTransparent, next};
}

constinit ELEMENT_ICON litFace = icon(place(BmpLitOverlay, 0, 0), FloodLightState, litOverlay, 1);
constinit ELEMENT_NEEDLE rollSetting =
    needle(place(BmpRollNeedle, 300, 87), 0, rollNeedle, RollNeedlePivot, rollScale,
           sizeof rollScale / sizeof rollScale[0], RollNeedleRate);
constinit ELEMENT_MOVING_IMAGE vsWheel =
    movingImage(place(BmpVsWheel, 196, 37), 0, ranged(0, 0.0, 0.0, wheelAcross),
                ranged(AutopilotMaster, WheelTop, WheelBottom, wheelTurn));
constinit ELEMENT_ICON verticalMode =
    icon(place(BmpVerticalSelector, 36, 29), 0, verticalSelector, 5);
constinit ELEMENT_ICON engage = icon(place(BmpEngageSwitch, 367, 9), 0, engageSwitch, 3);
constinit ELEMENT_ICON horizontalMode =
    icon(place(BmpHorizontalSelector, 479, 35), 0, horizontalSelector, 5);
constinit ELEMENT_HEADER* faceNext[] = {
    &litFace.header, &rollSetting.header,    &vsWheel.header, &verticalMode.header,
    &engage.header,  &horizontalMode.header, nullptr};
constinit ELEMENT_STATIC_IMAGE face = staticImage(place(BmpFace, 0, 0, faceNext));
constinit ELEMENT_HEADER* autopilotElements[] = {&face, nullptr};

constexpr uint32_t Click = MouseLeftPress;
constexpr uint32_t Knob = MouseLeftPress | MouseDownRepeat;
constexpr int32_t CursorPush = 5;
constexpr int32_t CursorTurnLeft = 3;
constexpr int32_t CursorTurnRight = 4;

constinit MOUSE_RECT autopilotMouse[] = {
    mouseParent(0, 0, 0, 0, HelpAutopilot),
    mouseParent(26, 29, 101, 40),
    mouseTooltip("Autopilot Vertical Mode Selector"),
    mouseChild(0, 0, 50, 40, CursorDownArrow, Click, verticalModeDown),
    mouseChild(51, 0, 50, 40, CursorUpArrow, Click, verticalModeUp),
    mouseEndParent(),
    mouseParent(195, 25, 26, 140),
    mouseTooltip("Autopilot Vertical Speed Knob"),
    mouseChild(0, 0, 26, 55, CursorDownArrow, Knob, wheelDown),
    mouseChild(0, 55, 26, 30, CursorPush, Click, wheelPush),
    mouseChild(0, 85, 26, 55, CursorUpArrow, Knob, wheelUp),
    mouseEndParent(),
    mouseParent(259, 60, 90, 40),
    mouseTooltip("Autopilot Roll Setting Knob"),
    mouseChild(0, 0, 35, 40, CursorTurnLeft, Knob, rollKnobLeft),
    mouseChild(35, 0, 20, 40, CursorPush, Knob, rollKnobPush),
    mouseChild(55, 0, 35, 40, CursorTurnRight, Knob, rollKnobRight),
    mouseEndParent(),
    mouseChild(406, 10, 45, 55, CursorUpArrow, Click, engageUp),
    mouseChild(396, 66, 45, 55, CursorDownArrow, Click, engageDown),
    mouseParent(479, 30, 82, 60),
    mouseTooltip("Autopilot Horizontal Mode Selector"),
    mouseChild(0, 0, 40, 60, CursorDownArrow, Click, horizontalDown),
    mouseChild(42, 0, 40, 60, CursorUpArrow, Click, horizontalUp),
    mouseEndParent(),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_AUTOPILOT1 =
    makeGaugeHeader("AUTOPILOT1", 100, autopilotElements, autopilotMouse, autopilotCallback);
