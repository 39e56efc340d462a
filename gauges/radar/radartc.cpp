// radartc: the weather radar's control panel, with the range selector, the
// gain and antenna tilt knobs, the three-position mode switch and the
// four-digit code display with its digit buttons. No gauge callback: the
// areas set the radar's settings, and the display gauge and the systems tick
// read them.
//
// Reads: 38 (the code display's digits). Sends: nothing itself; the host sends
// 65651..65654 and 66455..66458 from the digit buttons. Sounds: sndClick.
// Shares: RadarGain, RadarTilt (written), and the gauge's own
// RadarRangeSelector (read by radar) and RadarMode.

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/truncate.h"
#include "gauges/radar/radar_controls.h"

extern GAUGE_HEADER gauge_radartc;

extern "C" {
int32_t RadarRangeSelector = RangeSelectorOff;
// Shown only; nothing else reads it.
int32_t RadarMode = 2;
}

namespace {

constexpr int32_t HighestMode = 2;
constexpr int32_t LowestGain = 1;
constexpr int32_t HighestGain = 4;
constexpr int32_t TiltLimit = 15;  // degrees either way

constexpr double GainKnobCentre = 2.5;
constexpr double GainKnobDegreesPerStep = 30.0;
constexpr double TiltKnobDegreesPerStep = -6.0;

constexpr uint32_t BmpBackground = 0x5000;
constexpr uint32_t BmpDigitDrum = 0x5100;
constexpr uint32_t BmpModeSwitch = 0x5120;
constexpr uint32_t BmpRangeSelector = 0x6010;
constexpr uint32_t BmpTiltKnob = 0x6020;
constexpr uint32_t BmpGainKnob = 0x6030;

constexpr uint32_t HelpWeatherRadarControls = 42762;

void click() { soundPlay(sndClick, SoundPlayOnce); }

// ---- Element callbacks ------------------------------------------------------

// The drum of one 4-bit digit of the code, counted from the lowest.
template <int Shift>
double HOSTAPI digitDrum(ELEMENT_HEADER* e) {
    const auto code = static_cast<uint32_t>(
        truncToInt(refreshVar(elementAs<ELEMENT_MOVING_IMAGE>(e)->y.source_var)));
    return static_cast<double>((code >> Shift) & 0xF);
}

double HOSTAPI rangeSelectorIcon(ELEMENT_HEADER*) { return RadarRangeSelector; }
double HOSTAPI gainKnobNeedle(ELEMENT_HEADER*) {
    return (RadarGain - GainKnobCentre) * GainKnobDegreesPerStep;
}
double HOSTAPI tiltKnobNeedle(ELEMENT_HEADER*) { return RadarTilt * TiltKnobDegreesPerStep; }
double HOSTAPI modeSwitchIcon(ELEMENT_HEADER*) { return RadarMode; }

// ---- Mouse callbacks --------------------------------------------------------

int32_t HOSTAPI modeDown(PIXPOINT*, uint32_t) {
    click();
    if (RadarMode >= 1) --RadarMode;
    return 0;
}

int32_t HOSTAPI modeUp(PIXPOINT*, uint32_t) {
    click();
    if (RadarMode < HighestMode) ++RadarMode;
    return 0;
}

template <int32_t Position>
int32_t HOSTAPI selectRange(PIXPOINT*, uint32_t) {
    RadarRangeSelector = Position;
    click();
    return 0;
}

int32_t HOSTAPI gainDown(PIXPOINT*, uint32_t) {
    if (RadarGain > LowestGain) --RadarGain;
    return 0;
}

int32_t HOSTAPI gainUp(PIXPOINT*, uint32_t) {
    if (RadarGain < HighestGain) ++RadarGain;
    return 0;
}

// The tilt knob clicks as it passes its centre detent.
int32_t HOSTAPI tiltUp(PIXPOINT*, uint32_t) {
    if (RadarTilt < TiltLimit) ++RadarTilt;
    if (RadarTilt == 0) click();
    return 0;
}

int32_t HOSTAPI tiltCentre(PIXPOINT*, uint32_t) {
    RadarTilt = 0;
    click();
    return 0;
}

int32_t HOSTAPI tiltDown(PIXPOINT*, uint32_t) {
    if (RadarTilt > -TiltLimit) --RadarTilt;
    if (RadarTilt == 0) click();
    return 0;
}

// ---- Records ----------------------------------------------------------------

// The knobs turn about the middle of their pictures.
constexpr PIXPOINT KnobPivot = {11, 11};
// The code's digits roll from 8 at the top of the drum to 0 at its foot.
constexpr double DrumTop = 8.0;
constexpr double DrumFoot = 0.0;
constexpr int32_t DrumY = 10;

constexpr ElementPlace place(uint32_t bitmap, int32_t x, int32_t y,
                             ELEMENT_HEADER** next = nullptr) {
    return ElementPlace{&gauge_radartc, bitmap, x, y, ImageTransparent, next};
}

template <int Shift>
constexpr ELEMENT_MOVING_IMAGE digit(int32_t x) {
    return movingImage(place(BmpDigitDrum, x, DrumY), 0, ranged(0, 0.0, 0.0),
                       ranged(hostvar::RadarCodeDigits, DrumTop, DrumFoot, digitDrum<Shift>));
}

// Bottom to top: the panel, the code drums (highest digit first), the range
// selector with the gain knob on it, the tilt knob and the mode switch.
constinit ELEMENT_ICON modeSwitch =
    icon(place(BmpModeSwitch, 0, 0), 0, modeSwitchIcon, HighestMode + 1);
constinit ELEMENT_NEEDLE tiltKnob =
    needle(place(BmpTiltKnob, 118, 105), 0, tiltKnobNeedle, KnobPivot, nullptr, 0, 0);
constinit ELEMENT_NEEDLE gainKnob =
    needle(place(BmpGainKnob, 36, 106), 0, gainKnobNeedle, KnobPivot, nullptr, 0, 0);
constinit ELEMENT_HEADER* selectorNext[] = {&gainKnob.header, nullptr};
constinit ELEMENT_ICON rangeSelector =
    icon(place(BmpRangeSelector, 11, 80, selectorNext), 0, rangeSelectorIcon, RangeSelector150 + 1);
constinit ELEMENT_MOVING_IMAGE digits[4] = {digit<12>(51), digit<8>(62), digit<4>(73),
                                            digit<0>(84)};
constinit ELEMENT_HEADER* backgroundNext[] = {
    &digits[0].header,     &digits[1].header, &digits[2].header,  &digits[3].header,
    &rangeSelector.header, &tiltKnob.header,  &modeSwitch.header, nullptr};
constinit ELEMENT_STATIC_IMAGE background = staticImage(place(BmpBackground, 0, 0, backgroundNext));
constinit ELEMENT_HEADER* radartcElements[] = {&background, nullptr};

constexpr int32_t HandCursor = 5;
constexpr uint32_t Click = MouseLeftPress;
constexpr uint32_t Knob = MouseLeftPress | MouseDownRepeat;

constexpr MOUSE_RECT digitButton(int32_t x, int32_t y, int32_t cursor, uint32_t event) {
    return mouseChildEvent(x, y, 11, 11, cursor, Click, event);
}

using namespace hostevent;

constinit MOUSE_RECT radartcMouse[] = {
    mouseParent(0, 0, 150, 69, HelpWeatherRadarControls),
    mouseChild(0, 0, 24, 36, CursorDownArrow, Click, modeDown),
    mouseChild(24, 0, 24, 36, CursorUpArrow, Click, modeUp),
    digitButton(37, 32, CursorUpArrow, RadarCodeDigitUp1),
    digitButton(48, 32, CursorUpArrow, RadarCodeDigitUp1 + 1),
    digitButton(85, 32, CursorUpArrow, RadarCodeDigitUp1 + 2),
    digitButton(96, 32, CursorUpArrow, RadarCodeDigitUp1 + 3),
    digitButton(37, 43, CursorDownArrow, RadarCodeDigitDown1),
    digitButton(48, 43, CursorDownArrow, RadarCodeDigitDown1 + 1),
    digitButton(85, 43, CursorDownArrow, RadarCodeDigitDown1 + 2),
    digitButton(96, 43, CursorDownArrow, RadarCodeDigitDown1 + 3),
    mouseEndParent(),

    mouseParent(0, 69, 69, 69),
    mouseTooltip("Weather Radar Range Control"),
    mouseChild(1, 48, 25, 20, HandCursor, Click, selectRange<RangeSelectorOff>),
    mouseChild(1, 27, 25, 21, HandCursor, Click, selectRange<RangeSelectorLinesOnly>),
    mouseChild(5, 2, 21, 25, HandCursor, Click, selectRange<RangeSelector20>),
    mouseChild(26, 2, 23, 21, HandCursor, Click, selectRange<RangeSelector50>),
    mouseChild(49, 2, 18, 29, HandCursor, Click, selectRange<RangeSelector150>),
    mouseParent(26, 23, 22, 22),
    mouseTooltip("Weather Radar Gain Control"),
    mouseChild(0, 0, 11, 22, CursorDownArrow, Click, gainDown),
    mouseChild(11, 0, 11, 22, CursorUpArrow, Click, gainUp),
    mouseEndParent(),
    mouseEndParent(),

    mouseParent(90, 69, 50, 69),
    mouseTooltip("Weather Radar Anterior Tilt Control"),
    mouseChild(1, 8, 20, 55, CursorUpArrow, Knob, tiltUp),
    mouseChild(21, 8, 15, 55, HandCursor, Click, tiltCentre),
    mouseChild(36, 8, 20, 55, CursorDownArrow, Knob, tiltDown),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_radartc =
    makeGaugeHeader("radartc", 150, radartcElements, radartcMouse, nullptr);
