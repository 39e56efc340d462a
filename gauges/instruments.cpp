// Reads: 335 (unit system) for the speed-or-distance tooltip value; 61
// (indicated airspeed) and 64 (Mach) for the EPR model. Sends: nothing.
// Shares: nothing; every routine reads the host afresh on each call.

#include "gauges/instruments.h"

#include <cmath>

#include "framework/host_ids.h"
#include "framework/truncate.h"

namespace {

MODULE_VAR speedUnitSystem = hostVar(hostvar::UnitSystem);
MODULE_VAR eprMach = hostVar(hostvar::MachNumber);
MODULE_VAR eprAirspeed = hostVar(hostvar::IndicatedAirspeed);

constexpr bool isParameterSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// 10^k for the drum places; int64 so that the place above the ninth fits.
constexpr int64_t powerOfTen(int32_t k) {
    int64_t p = 1;
    for (int32_t i = 0; i < k; ++i) p *= 10;
    return p;
}

// The label callbacks' variable is the unit system, refreshed by the host.
double unitSystemOf(const MODULE_VAR* var) { return var ? var->var_value : 0.0; }

constexpr int32_t MaxDrumPlace = 9;  // 10^9 is the last place an int32 count has

}  // namespace

extern "C" {

int32_t gaugeParameter(const GAUGE_HEADER* gauge) {
    if (!gauge || !gauge->parameters) return 0;
    const char* s = gauge->parameters;
    while (isParameterSpace(*s)) ++s;
    bool negative = false;
    if (*s == '+' || *s == '-') {
        negative = *s == '-';
        ++s;
    }
    // Once the magnitude reaches the limit further digits cannot change the
    // saturated result, so the scan stops there.
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    int64_t magnitude = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        magnitude = magnitude * 10 + (*s - '0');
        if (magnitude >= limit) {
            magnitude = limit;
            break;
        }
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

double HOSTAPI tooltipRawValue(double number, uint32_t, const char*, MODULE_VAR* var,
                               GAUGE_HEADER*) {
    return var ? var->var_value : number;
}

double HOSTAPI tooltipSpeedOrDistance(double number, uint32_t, const char*, MODULE_VAR* var,
                                      GAUGE_HEADER*) {
    double value = var ? var->var_value : number;
    return metricSpeedsAndDistances(refreshVar(speedUnitSystem)) ? value * KmPerNauticalMile
                                                                 : value;
}

const char* HOSTAPI tooltipSpeedLabel(double, uint32_t, const char*, MODULE_VAR* var,
                                      GAUGE_HEADER*) {
    return metricSpeedsAndDistances(unitSystemOf(var)) ? "km/h" : "knots";
}

const char* HOSTAPI tooltipVerticalSpeedLabel(double, uint32_t, const char*, MODULE_VAR* var,
                                              GAUGE_HEADER*) {
    return metricSpeedsAndDistances(unitSystemOf(var)) ? "m/s)" : "ft/m)";
}

const char* HOSTAPI tooltipAltitudeLabel(double, uint32_t, const char*, MODULE_VAR* var,
                                         GAUGE_HEADER*) {
    return metricSpeedsAndDistances(unitSystemOf(var)) ? "metres)" : "feet)";
}

const char* HOSTAPI tooltipDistanceLabel(double, uint32_t, const char*, MODULE_VAR* var,
                                         GAUGE_HEADER*) {
    return metricSpeedsAndDistances(unitSystemOf(var)) ? "kilometres)" : "nautical miles)";
}

const char* HOSTAPI tooltipWeightLabel(double, uint32_t, const char*, MODULE_VAR* var,
                                       GAUGE_HEADER*) {
    return metricWeights(unitSystemOf(var)) ? "kg" : "lb";
}

int32_t drumValue(double quantity, double scale, int32_t place) {
    if (place < 1 || place > MaxDrumPlace) return 0;
    if (quantity < 0) quantity = 0;
    // A count beyond the int32 range (or NaN) converts to the indefinite,
    // negative value; the drums then rest on 0 rather than show its digits.
    int64_t count = truncToInt(quantity * scale);
    if (count < 0) return 0;
    const int64_t unit = powerOfTen(place);
    const int64_t lower = count % unit;
    const int64_t digit = (count % (unit * 10)) / unit;
    if (lower < unit - 9) return static_cast<int32_t>(10 * digit);
    return static_cast<int32_t>(10 * digit + count % 10);
}

double unitsDrumValue(double quantity) {
    if (!std::isfinite(quantity)) return 0.0;
    // In the int32 range this is the integer form exactly; beyond it fmod gives
    // the same remainder that the integer form would if it had the range.
    if (quantity > -2147483648.0 && quantity < 2147483648.0)
        return quantity - 10.0 * (truncToInt(quantity) / 10);
    return std::fmod(quantity, 10.0);
}

double computeEpr(double rotor_percent, int32_t variant) {
    const double x = rotor_percent / 100.0;
    const double mach = refreshVar(eprMach) / MachUnits;
    const double airspeed = refreshVar(eprAirspeed);
    const bool curve_a = variant > 0 && variant <= 2;

    const double x2 = x * x;
    const double x3 = x2 * x;
    const double x4 = x3 * x;
    const double x5 = x4 * x;
    double base;
    if (curve_a) {
        base = x <= 0.6
                   ? 1.5 * x3 - 0.09 * x2 + 0.00199 * x + 1.0
                   : 219.57 * x5 - 923.25 * x4 + 1517.9 * x3 - 1216.3 * x2 + 477.23 * x - 72.465;
    } else {
        base = x <= 0.6 ? 0.84342 * x3 - 0.11667 * x2 + 0.01342 * x + 1.0
                        : -103.0806 * x5 + 424.1909 * x4 - 684.8311 * x3 + 543.9285 * x2 -
                              212.1895 * x + 33.6128;
    }

    const double speed_corrected =
        curve_a
            ? 1.0 + (base - 1.0) * (1.0 - 0.069 * std::exp(-airspeed / 60.0))
            : 1.0 + (base - 1.0) * (1.0 + (0.002 * airspeed + 0.03) * std::exp(-airspeed / 140.0));
    const double mach_corrected = 1.0 + (speed_corrected - 1.0) * (1.0 - (1.0 - x) * mach);
    return curve_a ? 1.0 + 1.14 * (mach_corrected - 1.0) : 1.0 + 1.7 * (mach_corrected - 1.0);
}

}  // extern "C"
