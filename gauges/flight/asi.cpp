// ASI: the captain's airspeed indicator, with the striped maximum-speed pointer,
// the command-speed bug and four speed bugs set by knobs on the bezel.
//
// Reads: 61 (indicated airspeed), 63 (maximum operating speed), 335 (unit
// system, tooltip). Sends: nothing. Shares: nothing; the five bug settings are
// this gauge's own module globals, AsiCommandBug and AsiSpeedBug.

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "gauges/instruments.h"

extern GAUGE_HEADER gauge_ASI;

extern "C" {

// Knots, for the module's lifetime. The speed bugs run from the lowest
// (index 0) to the highest, each at least 2 kt above the one below.
int32_t AsiCommandBug = 114;
int32_t AsiSpeedBug[4] = {100, 103, 106, 109};

}  // extern "C"

namespace {

constexpr int SpeedBugCount = 4;
constexpr int32_t MinBugSeparation = 2;
constexpr int32_t LowestBugSetting = 40;
constexpr int32_t HighestBugSetting = 450;
constexpr double FullScale = 450.0;        // the dial's last mark
constexpr double BarberPoleUnits = 128.0;  // token 63 counts per knot

constexpr uint32_t BmpFace = 0x1000;
constexpr uint32_t BmpAirspeedNeedle = 0x1010;
constexpr uint32_t BmpBarberPole = 0x1020;
constexpr uint32_t BmpCommandBug = 0x1030;
constexpr uint32_t BmpSpeedBug = 0x1040;
constexpr uint32_t BmpFaceOverlay = 0x1050;

constexpr uint32_t HelpAirspeedIndicator = 43778;

// ---- Gauge callback ---------------------------------------------------------

// Keeps the speed bugs in order from the lowest up, pushing higher bugs up as
// far as needed; no ceiling, so the highest may pass the dial's end.
void HOSTAPI asiCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreUpdate) return;
    for (int i = 0; i + 1 < SpeedBugCount; ++i) {
        if (AsiSpeedBug[i] > AsiSpeedBug[i + 1] - MinBugSeparation)
            AsiSpeedBug[i + 1] = AsiSpeedBug[i] + MinBugSeparation;
    }
}

// ---- Element callbacks ------------------------------------------------------

double capAtFullScale(double knots) { return knots > FullScale ? FullScale : knots; }

double HOSTAPI commandBugNeedle(ELEMENT_HEADER*) { return AsiCommandBug; }

double HOSTAPI barberPoleNeedle(ELEMENT_HEADER* e) {
    return capAtFullScale(refreshVar(elementAs<ELEMENT_NEEDLE>(e)->source_var) / BarberPoleUnits);
}

double HOSTAPI airspeedNeedle(ELEMENT_HEADER* e) {
    return capAtFullScale(refreshVar(elementAs<ELEMENT_NEEDLE>(e)->source_var));
}

template <int Bug>
double HOSTAPI speedBugNeedle(ELEMENT_HEADER*) {
    return AsiSpeedBug[Bug];
}

// ---- Mouse callbacks --------------------------------------------------------

void raise(int32_t& setting) {
    if (++setting > HighestBugSetting) setting = HighestBugSetting;
}

// A lowered bug pushes the ones below it down while they crowd it; the floor
// holds for the clicked bug only, so a pushed bug may end below it.
void lowerSpeedBug(int bug) {
    --AsiSpeedBug[bug];
    for (int i = bug; i > 0 && AsiSpeedBug[i] < AsiSpeedBug[i - 1] + MinBugSeparation; --i)
        AsiSpeedBug[i - 1] -= MinBugSeparation;
    if (AsiSpeedBug[bug] < LowestBugSetting) AsiSpeedBug[bug] = LowestBugSetting;
}

int32_t HOSTAPI commandBugDown(PIXPOINT*, uint32_t) {
    if (--AsiCommandBug < LowestBugSetting) AsiCommandBug = LowestBugSetting;
    return 0;
}

int32_t HOSTAPI commandBugUp(PIXPOINT*, uint32_t) {
    raise(AsiCommandBug);
    return 0;
}

template <int Bug>
int32_t HOSTAPI speedBugDown(PIXPOINT*, uint32_t) {
    lowerSpeedBug(Bug);
    return 0;
}

template <int Bug>
int32_t HOSTAPI speedBugUp(PIXPOINT*, uint32_t) {
    raise(AsiSpeedBug[Bug]);
    return 0;
}

// ---- Records ----------------------------------------------------------------

constexpr PIXPOINT DialCentre = {145, 141};

// The airspeed needle's copy starts a little off the others' zero point.
constexpr NONLINEARITY airspeedScale[] = {
    {{162, 28}, 0},    {{165, 29}, 40},   {{183, 35}, 60},   {{207, 49}, 80},   {{232, 73}, 100},
    {{251, 109}, 120}, {{255, 157}, 140}, {{235, 202}, 160}, {{196, 237}, 180}, {{146, 252}, 200},
    {{48, 212}, 250},  {{22, 162}, 300},  {{27, 93}, 350},   {{66, 45}, 400},   {{119, 23}, 450},
};
constexpr NONLINEARITY dialScale[] = {
    {{160, 26}, 0},    {{165, 29}, 40},   {{183, 35}, 60},   {{207, 49}, 80},   {{232, 73}, 100},
    {{251, 109}, 120}, {{255, 157}, 140}, {{235, 202}, 160}, {{196, 237}, 180}, {{146, 252}, 200},
    {{48, 212}, 250},  {{22, 162}, 300},  {{27, 93}, 350},   {{66, 45}, 400},   {{119, 23}, 450},
};
constexpr uint32_t ScalePoints = sizeof dialScale / sizeof dialScale[0];
static_assert(ScalePoints == sizeof airspeedScale / sizeof airspeedScale[0]);

constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;
constexpr uint32_t LitSmoothImage = LitImage | ImageBilinearColor;
constexpr PIXPOINT SpeedBugPivot = {-110, 7};
constexpr double BugRate = 3;

// Bottom to top: face, overlay, command bug, striped pointer, airspeed needle,
// then the speed bugs from the highest down, so the lowest is drawn on top.
// The bugs read no host variable (0): their settings are the module's own.
constinit ELEMENT_NEEDLE speedBug1 =
    needle({&gauge_ASI, BmpSpeedBug, DialCentre.x, DialCentre.y, LitSmoothImage}, 0,
           speedBugNeedle<0>, SpeedBugPivot, dialScale, ScalePoints, BugRate);
constinit ELEMENT_HEADER* speedBug2Next[] = {&speedBug1.header, nullptr};
constinit ELEMENT_NEEDLE speedBug2 =
    needle({&gauge_ASI, BmpSpeedBug, DialCentre.x, DialCentre.y, LitSmoothImage, speedBug2Next}, 0,
           speedBugNeedle<1>, SpeedBugPivot, dialScale, ScalePoints, BugRate);
constinit ELEMENT_HEADER* speedBug3Next[] = {&speedBug2.header, nullptr};
constinit ELEMENT_NEEDLE speedBug3 =
    needle({&gauge_ASI, BmpSpeedBug, DialCentre.x, DialCentre.y, LitSmoothImage, speedBug3Next}, 0,
           speedBugNeedle<2>, SpeedBugPivot, dialScale, ScalePoints, BugRate);
constinit ELEMENT_HEADER* speedBug4Next[] = {&speedBug3.header, nullptr};
constinit ELEMENT_NEEDLE speedBug4 =
    needle({&gauge_ASI, BmpSpeedBug, DialCentre.x, DialCentre.y, LitSmoothImage, speedBug4Next}, 0,
           speedBugNeedle<3>, SpeedBugPivot, dialScale, ScalePoints, BugRate);
constinit ELEMENT_HEADER* airspeedNext[] = {&speedBug4.header, nullptr};
constinit ELEMENT_NEEDLE airspeed = needle(
    {&gauge_ASI, BmpAirspeedNeedle, DialCentre.x, DialCentre.y, LitSmoothImage, airspeedNext},
    hostvar::IndicatedAirspeed, airspeedNeedle, {47, 11}, airspeedScale, ScalePoints, 0);
constinit ELEMENT_HEADER* barberPoleNext[] = {&airspeed.header, nullptr};
constinit ELEMENT_NEEDLE barberPole =
    needle({&gauge_ASI, BmpBarberPole, DialCentre.x, DialCentre.y, LitSmoothImage, barberPoleNext},
           hostvar::BarberPoleSpeed, barberPoleNeedle, {47, 11}, dialScale, ScalePoints, 3);
constinit ELEMENT_HEADER* commandBugNext[] = {&barberPole.header, nullptr};
constinit ELEMENT_NEEDLE commandBug =
    needle({&gauge_ASI, BmpCommandBug, DialCentre.x, DialCentre.y, LitImage, commandBugNext}, 0,
           commandBugNeedle, {-103, 7}, dialScale, ScalePoints, BugRate);
constinit ELEMENT_HEADER* overlayNext[] = {&commandBug.header, nullptr};
constinit ELEMENT_STATIC_IMAGE overlay =
    staticImage({&gauge_ASI, BmpFaceOverlay, 9, 0, LitImage, overlayNext});
constinit ELEMENT_HEADER* faceNext[] = {&overlay, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_ASI, BmpFace, 9, 0, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* asiElements[] = {&face, nullptr};

constinit TOOLTIP_ARG asiTooltipArgs[] = {
    tooltipArg(hostvar::IndicatedAirspeed, tooltipSpeedOrDistance),
    tooltipArg(hostvar::UnitSystem, nullptr, tooltipSpeedLabel),
};

constexpr uint32_t Knob = MouseLeftPress | MouseDownRepeat;

constinit MOUSE_RECT asiMouse[] = {
    mouseParent(0, 0, 276, 276, HelpAirspeedIndicator),
    mouseTooltip("Airspeed Indicator (%1!d! %2!s!)", 2, asiTooltipArgs),
    mouseChild(9, 214, 28, 57, CursorDownArrow, Knob, commandBugDown),
    mouseChild(37, 214, 28, 57, CursorUpArrow, Knob, commandBugUp),
    mouseChild(193, 5, 20, 40, CursorDownArrow, Knob, speedBugDown<0>),
    mouseChild(213, 5, 20, 40, CursorUpArrow, Knob, speedBugUp<0>),
    mouseChild(233, 45, 20, 40, CursorDownArrow, Knob, speedBugDown<1>),
    mouseChild(253, 45, 20, 40, CursorUpArrow, Knob, speedBugUp<1>),
    mouseChild(233, 202, 20, 35, CursorDownArrow, Knob, speedBugDown<2>),
    mouseChild(253, 202, 20, 35, CursorUpArrow, Knob, speedBugUp<2>),
    mouseChild(193, 237, 20, 35, CursorDownArrow, Knob, speedBugDown<3>),
    mouseChild(213, 237, 20, 35, CursorUpArrow, Knob, speedBugUp<3>),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_ASI = makeGaugeHeader("ASI", 100, asiElements, asiMouse, asiCallback);
