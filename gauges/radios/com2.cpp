// COM2: the second communication radio. Unlike the other heads it keeps its
// frequency in the module, tunes it with its own knobs and shows it on its
// drums; nothing is read from or sent to the host. No gauge callback.
//
// Reads: nothing. Sends: nothing. Shares: nothing; the frequency is this
// gauge's own module globals Com2Frequency, Com2Step and Com2StepDigit.

#include <cmath>

#include "framework/gauge.h"
#include "framework/truncate.h"

extern GAUGE_HEADER gauge_COM2;

extern "C" {

// The frequency is Com2Frequency / 10 MHz plus 25 kHz times Com2Step (0..3).
double Com2Frequency = 1345;  // 134.5 MHz
double Com2Step = 0;
// The last digit the step drum showed: 0, 2, 5 or 7.
int32_t Com2StepDigit = 0;

}  // extern "C"

namespace {

// The band the MHz knob keeps, in tenths of a MHz: 118.0 .. 135.9.
constexpr double BandBottom = 1180;
constexpr double BandTop = 1359;
// What the drums can show behind their fixed leading 1: 100.0 .. 199.9.
constexpr double DrumsBottom = 1000;
constexpr double DrumsTop = 1999;
constexpr double MegahertzStep = 10;
constexpr double TenthStep = 1;
constexpr double FirstStep = 0;
constexpr double LastStep = 3;

constexpr int32_t StepDigits[] = {0, 2, 5, 7};

constexpr int32_t Decimal = 10;
// The MHz digits' places in units of 10 kHz.
constexpr int32_t TensOfMegahertz = 1000;
constexpr int32_t UnitsOfMegahertz = 100;
constexpr double DrumColumn = 1.0;  // the drums move only vertically
constexpr double LeadingOne = 1.0;

constexpr uint32_t BmpBackground = 0x4500;
constexpr uint32_t BmpDigitDrum = 0x4510;

// ---- Element callbacks ------------------------------------------------------

double HOSTAPI drumColumn(ELEMENT_HEADER*) { return DrumColumn; }

double HOSTAPI leadingOne(ELEMENT_HEADER*) { return LeadingOne; }

// The frequency in units of 10 kHz, for the MHz drums; a negative or
// unreadable frequency shows zeros.
int32_t tensOfKilohertz() {
    const double t = 10.0 * Com2Frequency;
    return t > 0.0 ? truncToInt(t) : 0;
}

// Ten units per digit on the MHz drums.
double HOSTAPI tensOfMegahertz(ELEMENT_HEADER*) {
    const int32_t i = tensOfKilohertz();
    return i < 0 ? 0 : Decimal * ((i % (Decimal * TensOfMegahertz)) / TensOfMegahertz);
}

double HOSTAPI unitsOfMegahertz(ELEMENT_HEADER*) {
    const int32_t i = tensOfKilohertz();
    return i < 0 ? 0 : Decimal * ((i % (Decimal * UnitsOfMegahertz)) / UnitsOfMegahertz);
}

double HOSTAPI hundredsOfKilohertz(ELEMENT_HEADER*) {
    if (!std::isfinite(Com2Frequency) || Com2Frequency < 0.0) return 0.0;
    return std::fmod(Com2Frequency, Decimal);
}

// A step that is none of 0..3 leaves the drum on its last digit.
double HOSTAPI stepDigit(ELEMENT_HEADER*) {
    for (int s = 0; s <= LastStep; ++s)
        if (Com2Step == s) Com2StepDigit = StepDigits[s];
    return Com2StepDigit;
}

// ---- Mouse callbacks --------------------------------------------------------

// The MHz knob wraps within the band: from the top to 118.0 and from the
// bottom to 135.9, whatever the tenths.
int32_t HOSTAPI megahertzUp(PIXPOINT*, uint32_t) {
    Com2Frequency += MegahertzStep;
    if (Com2Frequency > BandTop) Com2Frequency = BandBottom;
    return 0;
}

int32_t HOSTAPI megahertzDown(PIXPOINT*, uint32_t) {
    Com2Frequency -= MegahertzStep;
    if (Com2Frequency < BandBottom) Com2Frequency = BandTop;
    return 0;
}

// The 25 kHz knob carries into and borrows from the tenths without regard to
// the band, so it alone takes the frequency past it (135.975 up gives 136.000,
// 118.000 down gives 117.975); the MHz knob brings it back. It stops where the
// drums end instead, at 199.975 and 100.000: one more step would need a
// leading 2 or 0 the drums have not, and the frequency would no longer be
// the one they show.
int32_t HOSTAPI stepUp(PIXPOINT*, uint32_t) {
    if (Com2Step + 1 <= LastStep) {
        Com2Step += 1;
    } else if (Com2Frequency + TenthStep <= DrumsTop) {
        Com2Step = FirstStep;
        Com2Frequency += TenthStep;
    }
    return 0;
}

int32_t HOSTAPI stepDown(PIXPOINT*, uint32_t) {
    if (Com2Step - 1 >= FirstStep) {
        Com2Step -= 1;
    } else if (Com2Frequency - TenthStep >= DrumsBottom) {
        Com2Step = LastStep;
        Com2Frequency -= TenthStep;
    }
    return 0;
}

// ---- Records ----------------------------------------------------------------

constexpr double DigitTop = 9;
constexpr double TensTop = 90;

constexpr ELEMENT_MOVING_IMAGE drum(int32_t x, double top, ElementCallback digit,
                                    ELEMENT_HEADER** next = nullptr) {
    return movingImage({&gauge_COM2, BmpDigitDrum, x, 0, 0, next}, 0,
                       ranged(0, 0.0, 0.0, drumColumn), ranged(0, 0.0, top, digit));
}

// The background, then the drums from left to right, each the child of the one
// before it: the leading 1, tens and units of MHz, hundreds of kHz, the step.
constinit ELEMENT_MOVING_IMAGE stepDrum = drum(137, DigitTop, stepDigit);
constinit ELEMENT_HEADER* kilohertzNext[] = {&stepDrum.header, nullptr};
constinit ELEMENT_MOVING_IMAGE kilohertzDrum =
    drum(111, DigitTop, hundredsOfKilohertz, kilohertzNext);
constinit ELEMENT_HEADER* unitsNext[] = {&kilohertzDrum.header, nullptr};
constinit ELEMENT_MOVING_IMAGE unitsDrum = drum(78, TensTop, unitsOfMegahertz, unitsNext);
constinit ELEMENT_HEADER* tensNext[] = {&unitsDrum.header, nullptr};
constinit ELEMENT_MOVING_IMAGE tensDrum = drum(52, TensTop, tensOfMegahertz, tensNext);
constinit ELEMENT_HEADER* leadingNext[] = {&tensDrum.header, nullptr};
constinit ELEMENT_MOVING_IMAGE leadingDrum = drum(26, DigitTop, leadingOne, leadingNext);
constinit ELEMENT_HEADER* backgroundNext[] = {&leadingDrum.header, nullptr};
constinit ELEMENT_STATIC_IMAGE background =
    staticImage({&gauge_COM2, BmpBackground, 0, 0, 0, backgroundNext});
constinit ELEMENT_HEADER* com2Elements[] = {&background, nullptr};

constexpr uint32_t Knob = MouseLeftPress | MouseDownRepeat;

constinit MOUSE_RECT com2Mouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseTooltip("Communications Radio 2"),
    mouseChild(26, 0, 78, 35, CursorUpArrow, Knob, megahertzUp),
    mouseChild(26, 30, 78, 35, CursorDownArrow, Knob, megahertzDown),
    mouseChild(111, 0, 78, 35, CursorUpArrow, Knob, stepUp),
    mouseChild(111, 30, 78, 35, CursorDownArrow, Knob, stepDown),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_COM2 = makeGaugeHeader("COM2", 100, com2Elements, com2Mouse, nullptr);
