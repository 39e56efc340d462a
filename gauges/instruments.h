// What the flight and engine instruments compute alike: the gauge's own
// parameter, the unit system and its factors, the tooltip value and label
// callbacks, the counter drum and vernier rules and the EPR engine model.
//
// The routines have C linkage so that their names stay plain in the module's
// symbol table, where the tests find them on Linux.
#pragma once

#include <cstdint>

#include "framework/gauge.h"

// ---- Unit system ------------------------------------------------------------

// Speeds, distances, altitudes and vertical speeds go metric only with
// metres for altitude (2); weights go metric with either metric setting.
constexpr bool metricSpeedsAndDistances(double unit_system) { return unit_system == 2.0; }
constexpr bool metricWeights(double unit_system) { return unit_system != 0.0; }

constexpr double KmPerNauticalMile = 1.852;  // also km/h per knot
constexpr double KgPerPound = 0.45359237;
// The fuel-flow dial is drawn for twice the weight factor.
constexpr double FuelFlowDialFactor = 0.90718474;
// The host's raw vertical speed (token 65) per ft/min and per m/s.
constexpr double RawVerticalSpeedPerFpm = 1.30048;
constexpr double RawVerticalSpeedPerMps = 256.0;
// Mach is reported in units of 1/20480.
constexpr double MachUnits = 20480.0;

constexpr double feetPerMinuteFromRaw(double raw) { return raw / RawVerticalSpeedPerFpm; }
constexpr double metresPerSecondFromRaw(double raw) { return raw / RawVerticalSpeedPerMps; }

extern "C" {

// ---- Gauge parameter --------------------------------------------------------

// The leading decimal integer of the gauge's parameter string: white space
// (space, tab, LF, VT, FF, CR) skipped, an optional sign, then digits up to the
// first non-digit. No digits, an empty string or no string at all give 0.
// Values beyond the int32 range saturate at INT32_MAX / INT32_MIN. The host's
// string is NUL-terminated and read to its end however long its white space
// runs; the digits stop being read once the value has saturated. Read afresh on
// every call.
int32_t gaugeParameter(const GAUGE_HEADER* gauge);

// ---- Tooltip callbacks ------------------------------------------------------

// Numbers: both read the argument's own variable, never the host's number.
double HOSTAPI tooltipRawValue(double number, uint32_t id, const char* text, MODULE_VAR* var,
                               GAUGE_HEADER* gauge);
// Knots or nautical miles, or km/h or km when speeds are metric.
double HOSTAPI tooltipSpeedOrDistance(double number, uint32_t id, const char* text, MODULE_VAR* var,
                                      GAUGE_HEADER* gauge);

// Labels: the argument's variable is the unit system itself. The closing
// parenthesis of the tooltip belongs to some of the labels.
const char* HOSTAPI tooltipSpeedLabel(double number, uint32_t id, const char* text, MODULE_VAR* var,
                                      GAUGE_HEADER* gauge);
const char* HOSTAPI tooltipVerticalSpeedLabel(double number, uint32_t id, const char* text,
                                              MODULE_VAR* var, GAUGE_HEADER* gauge);
const char* HOSTAPI tooltipAltitudeLabel(double number, uint32_t id, const char* text,
                                         MODULE_VAR* var, GAUGE_HEADER* gauge);
const char* HOSTAPI tooltipDistanceLabel(double number, uint32_t id, const char* text,
                                         MODULE_VAR* var, GAUGE_HEADER* gauge);
const char* HOSTAPI tooltipWeightLabel(double number, uint32_t id, const char* text,
                                       MODULE_VAR* var, GAUGE_HEADER* gauge);

// ---- Drums and verniers -----------------------------------------------------

// The drum for decimal place 10^place (1 to 9) of trunc(quantity * scale): ten
// per digit, resting on the digit and rolling to the next one while the places
// below pass through their last nine counts. Negative quantities read as 0,
// and so do NaN and counts beyond the int32 range.
int32_t drumValue(double quantity, double scale, int32_t place);

// The continuous units drum and the vernier pointers: the quantity modulo 10
// with its fraction, in [0, 10) for quantities >= 0 (the sign follows the
// quantity, as the integer form gives). NaN and the infinities give 0.
double unitsDrumValue(double quantity);

// ---- Engine model -----------------------------------------------------------

// The EPR for a rotor speed in percent, corrected for airspeed (token 61) and
// Mach (token 64). Variants 1 and 2 select curve A, every other value (0 from
// an empty parameter, negatives, 3 and up) curve B. Not clamped: every dial
// clamps to its own range.
double computeEpr(double rotor_percent, int32_t variant);

}  // extern "C"
