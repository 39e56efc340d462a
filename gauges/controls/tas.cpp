// TAS: the true airspeed indicator, computed from Mach and the outside air
// temperature and shown on three odometer drums, with a flag below 89 knots.
// Display only, no gauge callback.
//
// Reads: 64 (Mach), 341 (outside air temperature), 335 (unit system,
// tooltip). Sends: nothing. Shares: the gauge's own TrueAirspeed.

#include <cmath>

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "gauges/gauge_support.h"
#include "gauges/instruments.h"

extern GAUGE_HEADER gauge_TAS;

extern "C" {

// Knots, as the units drum last computed it.
double TrueAirspeed = 0.0;

}  // extern "C"

namespace {

using namespace hostvar;

constexpr double ZeroCelsiusInKelvin = 273.16;
// The speed of sound is sqrt(1517 K) knots at K kelvin.
constexpr double SoundSpeedFactor = 1517.0;
constexpr double FlagBelowKnots = 89.0;
// Tenths of a knot for the two upper drums.
constexpr double DrumScale = 10.0;
constexpr int32_t TensPlace = 2;
constexpr int32_t HundredsPlace = 3;

constexpr uint32_t BmpFace = 13312;
constexpr uint32_t BmpOverlay = 13328;
constexpr uint32_t BmpDrum = 13344;
constexpr uint32_t BmpFlag = 13360;

MODULE_VAR drumTemperature = hostVar(OutsideAirTemperature);
MODULE_VAR drumMach = hostVar(MachNumber);
MODULE_VAR tooltipTemperature = hostVar(OutsideAirTemperature);
MODULE_VAR tooltipUnits = hostVar(UnitSystem);

// Below absolute zero or with a reading the host cannot give, the result is
// NaN; the drums and the flag treat that as no speed.
double trueAirspeed(double mach_units, double celsius) {
    const double kelvin = celsius + ZeroCelsiusInKelvin;
    return std::sqrt(SoundSpeedFactor * kelvin) * (mach_units / MachUnits);
}

// ---- Element callbacks ------------------------------------------------------

double HOSTAPI drumsHaveNoSideways(ELEMENT_HEADER*) { return 1.0; }

// The units digit with its fraction: 456.7 kt shows 6.7. A negative or
// unknown speed shows 0.
double HOSTAPI unitsDrum(ELEMENT_HEADER*) {
    const double celsius = refreshVar(drumTemperature);
    TrueAirspeed = trueAirspeed(refreshVar(drumMach), celsius);
    const double speed = limited(TrueAirspeed, 0.0, 4294967295.0);
    const uint32_t tens = static_cast<uint32_t>(speed) / 10;
    return (speed / 10.0 - tens) * 10.0;
}

// The upper drums read the speed the units drum last computed, in tenths, so
// each rolls during the last 0.9 knot before its next digit.
template <int32_t Place>
double HOSTAPI upperDrum(ELEMENT_HEADER*) {
    return drumValue(TrueAirspeed, DrumScale, Place);
}

double HOSTAPI warningFlag(ELEMENT_HEADER*) { return TrueAirspeed >= FlagBelowKnots ? -1.0 : 0.0; }

// ---- Tooltip ----------------------------------------------------------------

// Afresh from the argument's own Mach record; km/h only where speeds are
// metric, so that the number agrees with its label.
double HOSTAPI tooltipSpeed(double number, uint32_t, const char*, MODULE_VAR* var, GAUGE_HEADER*) {
    const double speed =
        trueAirspeed(var ? var->var_value : number, refreshVar(tooltipTemperature));
    return metricSpeedsAndDistances(refreshVar(tooltipUnits)) ? speed * KmPerNauticalMile : speed;
}

// ---- Records ----------------------------------------------------------------

constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;
constexpr double RollingDrumTravel = 99.0;
constexpr double UnitsDrumTravel = 9.99;

constexpr ELEMENT_MOVING_IMAGE drum(int32_t x, uint32_t var_id, double travel, ElementCallback cb) {
    return movingImage({&gauge_TAS, BmpDrum, x, 110, LitImage}, 0,
                       ranged(var_id, 0.0, 0.0, drumsHaveNoSideways),
                       ranged(var_id, 0.0, travel, cb));
}

// Bottom to top: face, overlay, the hundreds, tens and units drums, the flag.
constinit ELEMENT_ICON flag = icon({&gauge_TAS, BmpFlag, 92, 118, LitImage}, 0, warningFlag, 1);
// The rolling drums' records name the indicated airspeed, which their
// callbacks ignore.
constinit ELEMENT_MOVING_IMAGE units = drum(141, 0, UnitsDrumTravel, unitsDrum);
constinit ELEMENT_MOVING_IMAGE tens =
    drum(117, IndicatedAirspeed, RollingDrumTravel, upperDrum<TensPlace>);
constinit ELEMENT_MOVING_IMAGE hundreds =
    drum(92, IndicatedAirspeed, RollingDrumTravel, upperDrum<HundredsPlace>);
constinit ELEMENT_HEADER* overlayNext[] = {&hundreds.header, &tens.header, &units.header,
                                           &flag.header, nullptr};
constinit ELEMENT_STATIC_IMAGE overlay =
    staticImage({&gauge_TAS, BmpOverlay, 0, 0, LitImage, overlayNext});
constinit ELEMENT_HEADER* faceNext[] = {&overlay, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_TAS, BmpFace, 0, 0, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* tasElements[] = {&face, nullptr};

constinit TOOLTIP_ARG tasTooltipArgs[] = {
    tooltipArg(MachNumber, tooltipSpeed),
    tooltipArg(UnitSystem, nullptr, tooltipSpeedLabel),
};

constinit MOUSE_RECT tasMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseParent(40, 40, 190, 190),
    mouseTooltip("True Airspeed Indicator (%1!d! %2!s!)", 2, tasTooltipArgs),
    mouseEndParent(),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_TAS = makeGaugeHeader("TAS", 100, tasElements, tasMouse, nullptr);
