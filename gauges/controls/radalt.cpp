// RADALT1: the radio altimeter, in feet on a scale that ends at 3000, with a
// decision-height pointer and light and a self-test.
//
// Reads: 1 (tick counter), 614 (radio altitude, metres), 335 (unit system,
// tooltip). Sends: nothing. Shares: PowerAvailable (read), and the gauge's
// own RadioAltitudeFeet, DecisionHeight, RadioAltimeterTest and
// RadioAltimeterTestDeadline.

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/truncate.h"
#include "gauges/instruments.h"

extern GAUGE_HEADER gauge_RADALT1;

extern "C" {

double RadioAltitudeFeet = 0.0;           // shown, 0..3000
int32_t DecisionHeight = 0;               // feet, -50..3000
int32_t RadioAltimeterTest = 0;           // 1 while the self-test runs
uint32_t RadioAltimeterTestDeadline = 0;  // tick count at which the test ends

}  // extern "C"

namespace {

constexpr double FeetPerMetre = 3.28;     // the needle's conversion
constexpr double MetresPerFoot = 0.3048;  // the tooltip's
constexpr double HighestShown = 3000.0;
constexpr double TestAltitude = 2500.0;
constexpr int32_t LowestDecisionHeight = -50;
constexpr int32_t HighestDecisionHeight = 3000;
constexpr int32_t DecisionHeightStep = 10;
constexpr uint32_t TestTicks = 72;  // about 4 s

constexpr uint32_t BmpFace = 10496;
constexpr uint32_t BmpAltitudeNeedle = 10512;
constexpr uint32_t BmpDecisionHeightNeedle = 10528;
constexpr uint32_t BmpCentre = 10544;
constexpr uint32_t BmpOverlay = 10560;
constexpr uint32_t BmpDecisionHeightLight = 10576;
constexpr uint32_t BmpFlag = 10592;

MODULE_VAR tickCounter = hostVar(hostvar::TickCounter);
MODULE_VAR testTickCounter = hostVar(hostvar::TickCounter);
MODULE_VAR tooltipUnits = hostVar(hostvar::UnitSystem);

bool testRunning() { return RadioAltimeterTest == 1; }
bool powered() { return PowerAvailable == 1; }

// ---- Gauge callback ---------------------------------------------------------

// The test ends once the tick counter, compared unsigned, is past its deadline.
void HOSTAPI radioAltimeterCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreUpdate) return;
    const auto now = static_cast<uint32_t>(truncToInt(refreshVar(tickCounter)));
    if (now > RadioAltimeterTestDeadline) RadioAltimeterTest = 0;
}

// ---- Element callbacks ------------------------------------------------------

// The needle reads whole metres in feet; below ground, and a reading the host
// cannot give, show 0.
double HOSTAPI altitudeNeedle(ELEMENT_HEADER* e) {
    double feet = 0.0;
    if (powered() && testRunning()) {
        feet = TestAltitude;
    } else if (powered()) {
        int32_t metres = truncToInt(refreshVar(elementAs<ELEMENT_NEEDLE>(e)->source_var));
        if (metres < 0) metres = 0;
        feet = metres * FeetPerMetre;
    }
    if (feet > HighestShown) feet = HighestShown;
    RadioAltitudeFeet = feet;
    return feet;
}

double HOSTAPI decisionHeightNeedle(ELEMENT_HEADER*) { return DecisionHeight; }

double HOSTAPI decisionHeightLight(ELEMENT_HEADER*) {
    return powered() && (DecisionHeight > RadioAltitudeFeet || testRunning()) ? 1.0 : 0.0;
}

double HOSTAPI testFlag(ELEMENT_HEADER*) { return testRunning() || !powered() ? 0.0 : -1.0; }

// ---- Tooltip ----------------------------------------------------------------

double HOSTAPI tooltipAltitude(double number, uint32_t, const char*, MODULE_VAR* var,
                               GAUGE_HEADER*) {
    const double metres = var ? var->var_value : number;
    return metricSpeedsAndDistances(refreshVar(tooltipUnits)) ? metres : metres / MetresPerFoot;
}

// ---- Mouse callbacks --------------------------------------------------------

int32_t HOSTAPI decisionHeightDown(PIXPOINT*, uint32_t) {
    DecisionHeight -= DecisionHeightStep;
    if (DecisionHeight < LowestDecisionHeight) DecisionHeight = LowestDecisionHeight;
    return 0;
}

int32_t HOSTAPI decisionHeightUp(PIXPOINT*, uint32_t) {
    DecisionHeight += DecisionHeightStep;
    if (DecisionHeight > HighestDecisionHeight) DecisionHeight = HighestDecisionHeight;
    return 0;
}

// Starts a test, or stops the one running.
int32_t HOSTAPI testButton(PIXPOINT*, uint32_t) {
    if (RadioAltimeterTest == 0) {
        RadioAltimeterTest = 1;
        RadioAltimeterTestDeadline =
            static_cast<uint32_t>(truncToInt(refreshVar(testTickCounter))) + TestTicks;
    } else {
        RadioAltimeterTest = 0;
    }
    return 0;
}

// ---- Records ----------------------------------------------------------------

// Face point -> feet, for both needles; the scale closes at its start.
constexpr NONLINEARITY altitudeScale[] = {
    {{122, 42}, 0},    {{140, 40}, 40},   {{156, 20}, 50},   {{222, 61}, 100},  {{262, 117}, 200},
    {{262, 185}, 300}, {{223, 242}, 400}, {{155, 262}, 500}, {{56, 213}, 1000}, {{40, 149}, 1500},
    {{51, 104}, 2000}, {{73, 74}, 2500},  {{122, 42}, 3000},
};
constexpr uint32_t ScalePoints = sizeof altitudeScale / sizeof altitudeScale[0];

constexpr PIXPOINT DialCentre = {153, 153};
constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;
constexpr uint32_t LitSmoothImage = LitImage | ImageBilinearColor;

constexpr ElementPlace place(uint32_t bitmap, int32_t x, int32_t y, uint32_t flags,
                             ELEMENT_HEADER** next = nullptr) {
    return ElementPlace{&gauge_RADALT1, bitmap, x, y, flags, next};
}

// Bottom to top: face, overlay, decision-height light, altitude and decision
// height needles, flag, centre cap.
constinit ELEMENT_STATIC_IMAGE centre = staticImage(place(BmpCentre, 101, 41, LitImage));
constinit ELEMENT_ICON flag = icon(place(BmpFlag, 183, 42, LitImage), 0, testFlag, 1);
constinit ELEMENT_NEEDLE decisionHeight =
    needle(place(BmpDecisionHeightNeedle, DialCentre.x, DialCentre.y, LitSmoothImage), 0,
           decisionHeightNeedle, {0, 0}, altitudeScale, ScalePoints, 0);
constinit ELEMENT_NEEDLE altitude =
    needle(place(BmpAltitudeNeedle, DialCentre.x, DialCentre.y, LitSmoothImage),
           hostvar::RadioAltitudeMetres, altitudeNeedle, {0, 0}, altitudeScale, ScalePoints, 6);
constinit ELEMENT_ICON light =
    icon(place(BmpDecisionHeightLight, 33, 33, LitImage), 0, decisionHeightLight, 2);
constinit ELEMENT_HEADER* overlayNext[] = {&light.header, &altitude.header, &decisionHeight.header,
                                           &flag.header,  &centre,          nullptr};
constinit ELEMENT_STATIC_IMAGE overlay =
    staticImage(place(BmpOverlay, 0, 0, LitImage, overlayNext));
constinit ELEMENT_HEADER* faceNext[] = {&overlay, nullptr};
constinit ELEMENT_STATIC_IMAGE face = staticImage(place(BmpFace, 0, 0, ImageTransparent, faceNext));
constinit ELEMENT_HEADER* radaltElements[] = {&face, nullptr};

constinit TOOLTIP_ARG radaltTooltipArgs[] = {
    tooltipArg(hostvar::RadioAltitudeMetres, tooltipAltitude),
    tooltipArg(hostvar::UnitSystem, nullptr, tooltipAltitudeLabel),
};

constexpr int32_t TestCursor = 5;
constexpr uint32_t Knob = MouseLeftPress | MouseDownRepeat;

constinit MOUSE_RECT radaltMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseTooltip("Radar Altimeter (%1!d! %2!s!", 2, radaltTooltipArgs),
    mouseChild(242, 265, 42, 62, CursorDownArrow, Knob, decisionHeightDown),
    mouseChild(285, 265, 42, 62, CursorUpArrow, Knob, decisionHeightUp),
    mouseChild(20, 238, 50, 40, TestCursor, MouseLeftPress, testButton),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_RADALT1 =
    makeGaugeHeader("RADALT1", 100, radaltElements, radaltMouse, radioAltimeterCallback);
