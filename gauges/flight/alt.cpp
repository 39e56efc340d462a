// ALT: the three-pointer altimeter with its rotating barometric scale and the
// setting knob, whose two areas carry the host's own events. No gauge callback.
//
// Reads: 74 (altitude), 76 (barometric setting), 335 (unit system, tooltip).
// Sends: nothing itself; the host sends 65884 and 65883 from the knob's areas.
// Shares: nothing.

#include <cmath>

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/truncate.h"
#include "gauges/instruments.h"

extern GAUGE_HEADER gauge_ALT;

namespace {

using namespace hostvar;
using namespace hostevent;

// The scale shows 29.9 inHg at half a turn, one degree per hundredth.
constexpr double ScaleAtReference = 180.0;
constexpr double ReferenceSetting = 29.9;
constexpr double DegreesPerInch = 100.0;

// Each pointer turns once per its span of feet, starting from the zero mark at
// -90 degrees; negative altitudes wind back from the top of the span.
constexpr double ZeroMark = -90.0;
constexpr int32_t TenThousandsSpan = 100000;
constexpr int32_t ThousandsSpan = 10000;
constexpr int32_t HundredsSpan = 1000;
constexpr double FullTurn = 360.0;

constexpr uint32_t BmpFace = 0x4700;
constexpr uint32_t BmpHundredsPointer = 0x4710;
constexpr uint32_t BmpThousandsPointer = 0x4720;
constexpr uint32_t BmpTenThousandsPointer = 0x4730;
constexpr uint32_t BmpBarometricScale = 0x4740;

constexpr uint32_t HelpAltimeter = 43783;
constexpr uint32_t HelpBarometricKnob = 43834;

// ---- Element callbacks ------------------------------------------------------

double HOSTAPI barometricScale(ELEMENT_HEADER* e) {
    const double setting = refreshVar(elementAs<ELEMENT_SPRITE>(e)->rotation.source_var);
    if (!std::isfinite(setting)) return ScaleAtReference;
    return ScaleAtReference - (setting - ReferenceSetting) * DegreesPerInch;
}

// The altitude within one span of feet, counted up from 0; fmod gives the
// remainder that adding whole spans to a negative altitude would, without a
// loop that a huge or infinite altitude could not leave. A non-finite
// altitude reads as 0.
template <int32_t Span>
double HOSTAPI altitudePointer(ELEMENT_HEADER* e) {
    double a = refreshVar(elementAs<ELEMENT_NEEDLE>(e)->source_var);
    a = std::isfinite(a) ? std::fmod(a, Span) : 0.0;
    if (a < 0.0) a += Span;
    return (truncToInt(a) % Span) * (FullTurn / Span) + ZeroMark;
}

// ---- Records ----------------------------------------------------------------

// The host's failure of the altimeter; the list ends with key 0.
constexpr uint32_t AltimeterFailureKey = 7;
constexpr uint32_t FailureAction = 1;
constexpr FAILURE_RECORD altimeterFailure[] = {{AltimeterFailureKey, FailureAction}, {0, 0}};

constexpr uint32_t LitSmoothImage =
    ImageLuminous | ImageBilinearColor | ImageErase | ImageTransparent;
constexpr PIXPOINT Centre = {149, 150};

constexpr ELEMENT_NEEDLE pointer(uint32_t bitmap, PIXPOINT pivot, ElementCallback cb,
                                 ELEMENT_HEADER** next) {
    return needle({&gauge_ALT, bitmap, Centre.x, Centre.y, LitSmoothImage, next, altimeterFailure},
                  Altitude, cb, pivot, nullptr, 0, 0);
}

// Bottom to top: face, barometric scale, then the pointers from the longest
// span down, so the hundreds pointer is on top.
constinit ELEMENT_NEEDLE hundreds =
    pointer(BmpHundredsPointer, {50, 7}, altitudePointer<HundredsSpan>, nullptr);
constinit ELEMENT_HEADER* thousandsNext[] = {&hundreds.header, nullptr};
constinit ELEMENT_NEEDLE thousands =
    pointer(BmpThousandsPointer, {15, 12}, altitudePointer<ThousandsSpan>, thousandsNext);
constinit ELEMENT_HEADER* tenThousandsNext[] = {&thousands.header, nullptr};
constinit ELEMENT_NEEDLE tenThousands =
    pointer(BmpTenThousandsPointer, {67, 60}, altitudePointer<TenThousandsSpan>, tenThousandsNext);
constinit ELEMENT_HEADER* scaleNext[] = {&tenThousands.header, nullptr};
constinit ELEMENT_SPRITE scale = sprite(
    {&gauge_ALT, BmpBarometricScale, 223, 127, ImageLuminous | ImageBilinearColor, scaleNext},
    {149, 150}, 1.1, 1.1, scaled(0, 0.0), scaled(0, 0.0),
    scaled(BarometricSetting, 1.0, barometricScale));
constinit ELEMENT_HEADER* faceNext[] = {&scale.header, nullptr};
constinit ELEMENT_STATIC_IMAGE face = staticImage(
    {&gauge_ALT, BmpFace, 0, 0, ImageLuminous | ImageBilinearColor | ImageTransparent, faceNext});
constinit ELEMENT_HEADER* altElements[] = {&face, nullptr};

constinit TOOLTIP_ARG altTooltipArgs[] = {
    tooltipArg(Altitude, tooltipRawValue),
    tooltipArg(UnitSystem, nullptr, tooltipAltitudeLabel),
};

constexpr uint32_t Knob = MouseLeftPress | MouseDownRepeat;

// The tooltip's closing parenthesis comes with the unit label.
constinit MOUSE_RECT altMouse[] = {
    mouseParent(0, 0, 307, 311, HelpAltimeter),
    mouseTooltip("Altimeter (%1!.2d! %2!s!", 2, altTooltipArgs),
    mouseParent(6, 241, 64, 64, HelpBarometricKnob),
    mouseChildEvent(0, 0, 32, 64, CursorDownArrow, Knob, BarometricSettingDown),
    mouseChildEvent(32, 0, 32, 64, CursorUpArrow, Knob, BarometricSettingUp),
    mouseEndParent(),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_ALT = makeGaugeHeader("ALT", 83, altElements, altMouse, nullptr);
