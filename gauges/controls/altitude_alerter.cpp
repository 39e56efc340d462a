// ALT_SEL: the altitude alerter. Two knobs dial the selected altitude, three
// drums show it, a light burns between 300 and 1000 feet from it, and a tone
// sounds on coming within 1000 feet of it and on straying 300 feet from it.
// It does not command the autopilot.
//
// Reads: 65 (vertical speed, its sign), 74 (altitude). Sends: nothing.
// Sounds: sndAltWarn2. Shares: AlerterAltitude, AlerterDeviation (with
// ALT_WARN), PowerAvailable (read), and the gauge's own AlerterThousandsDigit
// and AlerterTenThousandsDigit.

#include "gauges/controls/altitude_alerter.h"

#include <cstdint>

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/truncate.h"

extern GAUGE_HEADER gauge_ALT_SEL;

extern "C" {
int32_t AlerterThousandsDigit = 0;     // 0..9
int32_t AlerterTenThousandsDigit = 0;  // 0..5
}

namespace {

using namespace hostvar;

constexpr int32_t FineStep = 50;      // feet, the right knob
constexpr int32_t CoarseStep = 1000;  // feet, the left knob
constexpr int32_t DrumCycle = 10000;
// The drums roll this many feet before each full thousand.
constexpr int32_t RollAhead = 5;
// Below this remainder the thousands drum rests on 0; from here up to its
// first roll it keeps the digit it had.
constexpr int32_t ThousandsRestBelow = 965;
constexpr int32_t HighestTenThousands = 5;

constexpr int32_t LightNear = 300;
constexpr int32_t LightFar = 1000;
// The tones sound in windows of 4 feet just inside 1000 and 300 feet.
constexpr double CaptureFrom = 996.0, CaptureTo = 1000.0;
constexpr int64_t DepartureFrom = 296, DepartureTo = 300;

// The selected altitude reduced below 10000, as the last update left it.
int32_t thousandsRemainder = 0;

MODULE_VAR altitude = hostVar(Altitude);
MODULE_VAR verticalSpeed = hostVar(VerticalSpeedRaw);

int32_t saturated(int64_t v) {
    return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
}

// ---- Gauge callback ---------------------------------------------------------

void alertTones() {
    const double feet = refreshVar(altitude);
    const double vs = refreshVar(verticalSpeed);
    updateAlerterDeviation(feet);

    // Coming within 1000 feet, climbing up to it or descending down to it.
    const double d = AlerterAltitude - feet;
    if ((d > CaptureFrom && d < CaptureTo && vs > 0.0) ||
        (-d > CaptureFrom && -d < CaptureTo && vs < 0.0))
        soundPlay(sndAltWarn2, SoundPlayOnce);

    // Straying 300 feet, climbing away above it or descending away below it.
    const int64_t e = int64_t{truncToInt(feet)} - AlerterAltitude;
    if ((e > DepartureFrom && e < DepartureTo && vs > 0.0) ||
        (-e > DepartureFrom && -e < DepartureTo && truncToInt(vs) < 0))
        soundPlay(sndAltWarn2, SoundPlayOnce);
}

void HOSTAPI alerterCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreUpdate) return;
    thousandsRemainder =
        AlerterAltitude > DrumCycle - 1 ? AlerterAltitude % DrumCycle : AlerterAltitude;
    alertTones();
}

// ---- Element callbacks ------------------------------------------------------

double HOSTAPI alertLight(ELEMENT_HEADER* e) {
    updateAlerterDeviation(refreshVar(elementAs<ELEMENT_ICON>(e)->source_var));
    return alerterLightShown() ? 0.0 : -1.0;
}

double HOSTAPI drumAcross(ELEMENT_HEADER*) { return 1.0; }

// Each later test that holds overrides the ones before it.
double HOSTAPI thousandsDrum(ELEMENT_HEADER*) {
    const int32_t r = thousandsRemainder;
    if (r < ThousandsRestBelow) AlerterThousandsDigit = 0;
    for (int32_t digit = 1; digit <= 9; ++digit) {
        if (r > digit * 1000 - RollAhead) AlerterThousandsDigit = digit;
    }
    if (r > DrumCycle - RollAhead) AlerterThousandsDigit = 0;
    return AlerterThousandsDigit;
}

double HOSTAPI tenThousandsDrum(ELEMENT_HEADER*) {
    const int32_t a = AlerterAltitude;
    if (a < DrumCycle - RollAhead) AlerterTenThousandsDigit = 0;
    for (int32_t digit = 1; digit <= HighestTenThousands; ++digit) {
        if (a > digit * DrumCycle - RollAhead) AlerterTenThousandsDigit = digit;
    }
    return AlerterTenThousandsDigit;
}

// The hundreds turn continuously: 3.5 for 12350.
double HOSTAPI hundredsDrum(ELEMENT_HEADER*) {
    return (AlerterAltitude / 1000.0 - AlerterAltitude / 1000) * 10.0;
}

// ---- Mouse callbacks --------------------------------------------------------

void dial(int32_t step) {
    const int32_t a = saturated(int64_t{AlerterAltitude} + step);
    AlerterAltitude = a < 0 ? 0 : a;
}

template <int32_t Step>
int32_t HOSTAPI dialKnob(PIXPOINT*, uint32_t) {
    dial(Step);
    return 0;
}

// ---- Records ----------------------------------------------------------------

constexpr uint32_t BmpFace = 10304;
constexpr uint32_t BmpWindow = 10320;
constexpr uint32_t BmpAlertLight = 10336;
constexpr uint32_t BmpHundreds = 10352;
constexpr uint32_t BmpThousands = 10368;
constexpr uint32_t BmpTenThousands = 10384;

constexpr ElementPlace place(uint32_t bitmap, int32_t x, int32_t y,
                             ELEMENT_HEADER** next = nullptr) {
    return ElementPlace{&gauge_ALT_SEL, bitmap, x, y, ImageTransparent, next};
}

// Vertical travel only, from digit 0 at the range's minimum.
constexpr ELEMENT_MOVING_IMAGE drum(uint32_t bitmap, int32_t x, int32_t y, double last_digit,
                                    ElementCallback cb) {
    return movingImage(place(bitmap, x, y), 0, ranged(0, 0.0, 0.0, drumAcross),
                       ranged(0, 0.0, last_digit, cb));
}

constinit ELEMENT_ICON light = icon(place(BmpAlertLight, 39, 29), Altitude, alertLight, 1);
constinit ELEMENT_MOVING_IMAGE tenThousands =
    drum(BmpTenThousands, 92, 46, HighestTenThousands, tenThousandsDrum);
constinit ELEMENT_MOVING_IMAGE thousands = drum(BmpThousands, 119, 46, 9, thousandsDrum);
constinit ELEMENT_MOVING_IMAGE hundreds = drum(BmpHundreds, 153, 47, 9, hundredsDrum);
constinit ELEMENT_STATIC_IMAGE window = staticImage(place(BmpWindow, 177, 46));
constinit ELEMENT_HEADER* faceNext[] = {&window,           &light.header,    &tenThousands.header,
                                        &thousands.header, &hundreds.header, nullptr};
constinit ELEMENT_STATIC_IMAGE face = staticImage(place(BmpFace, 0, 0, faceNext));
constinit ELEMENT_HEADER* alerterElements[] = {&face, nullptr};

constexpr uint32_t Knob = MouseLeftPress | MouseDownRepeat;

constinit MOUSE_RECT alerterMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseTooltip("Altitude Alerter"),
    mouseChild(165, 76, 52, 55, CursorDownArrow, Knob, dialKnob<-FineStep>),
    mouseChild(218, 76, 40, 55, CursorUpArrow, Knob, dialKnob<FineStep>),
    mouseChild(98, 60, 40, 35, CursorUpArrow, Knob, dialKnob<CoarseStep>),
    mouseChild(98, 95, 40, 35, CursorDownArrow, Knob, dialKnob<-CoarseStep>),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

void updateAlerterDeviation(double altitude_feet) {
    AlerterDeviation = saturated(int64_t{AlerterAltitude} - truncToInt(altitude_feet));
}

bool alerterLightShown() {
    const int32_t d = AlerterDeviation;
    return PowerAvailable == 1 &&
           ((d > LightNear && d < LightFar) || (d > -LightFar && d < -LightNear));
}

constinit GAUGE_HEADER gauge_ALT_SEL =
    makeGaugeHeader("ALT_SEL", 100, alerterElements, alerterMouse, alerterCallback);
