// The systems tick's autopilot step: what the host's own autopilot lacks. It
// steers the bank towards the roll knob's setting, flies pitch on Mach or on
// airspeed by resetting the host's vertical-speed target once per sampled
// second, and follows the host's autopilot when it engages or drops out.
//
// Reads: 61, 64, 65, 74, 80, 103, 107, 114, 119, 120, 557.
// Sends: 65685/65686/65687 (roll), 66036 (vertical speed), 66124 (altitude),
// 66115, 66103, 66104, 66069, 65817, 66042 (heading). Sounds: none.
// Shares: the controller's state in panel_state.h (ApRollCommand, ApRollKnob,
// ApBankTarget, ApVerticalMode, ApHorizontalMode, ApEngageSwitch,
// ApMachReference, ApSpeedReference, ApVsCommand, ApVsCommandLast,
// ApCurrentVs, ApVsTarget, ApHeadingSnapshot) and its own trend and
// correction state.

#include "systems/autopilot_logic.h"

#include <cmath>

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/truncate.h"
#include "gauges/instruments.h"

extern "C" {
double TrendSecond = 0.0;
double TrendLastSpeed = -999.0;
int32_t TrendInterval = 0;
double SpeedTrend = 0.0;
int32_t TrendUpdates = 0;
double VsStep = 0.0;
double SpeedDeviation = 0.0;
double TrendLimitNear = 0.0;
double TrendLimitFar = 0.0;
}

namespace {

using namespace hostvar;
using namespace hostevent;

constexpr double NoSampleBelow = -900.0;
constexpr int32_t SecondsPerDay = 86400;
constexpr uint32_t ClimbAltitude = 60000;
constexpr uint32_t DescentAltitude = 0;
// Pitch on Mach hands over to pitch on airspeed just under Mach 0.4.
constexpr double MachHandover = 8188.0;
// A Mach error in the host's units is counted as knots: 0.01 Mach as 5.
constexpr double MachUnitsPerKnot = 40.96;

constexpr double DeadBand = 0.5;
constexpr double StepPerKnotPerSecond = 300.0;
constexpr double SmallestStep = 100.0;
constexpr double LargestStep = 600.0;
constexpr double FarOff = 20.0;   // beyond this a correction grows by half
constexpr double WellOff = 10.0;  // beyond this it doubles; within it an easing grows by 0.3
constexpr double NearlyOn = 3.0;  // within this an easing waits before the next
constexpr double SteepClimb = 3000.0;
// How far from the present vertical speed a new target may be: slowing down
// by climbing may ask for more than speeding up by descending.
constexpr double LimitWhenFast = 3000.0;
constexpr double LimitWhenSlow = 1500.0;

// The trend thresholds by the size of the speed error: above `over` the
// trend should be at least `near` towards the reference, and at most `far`.
struct Band {
    double over, near, far;
};
constexpr Band Bands[] = {{9.0, 0.6, 1.5}, {6.0, 0.2, 0.6}, {3.0, 0.1, 0.3}};
constexpr Band SmallErrorBand = {0.0, 0.05, 0.15};

MODULE_VAR master = hostVar(AutopilotMaster);
MODULE_VAR bank = hostVar(BankAngle);
MODULE_VAR airspeed = hostVar(IndicatedAirspeed);
MODULE_VAR mach = hostVar(MachNumber);
MODULE_VAR verticalSpeed = hostVar(VerticalSpeedRaw);
MODULE_VAR altitude = hostVar(Altitude);
MODULE_VAR verticalHold = hostVar(AutopilotVerticalHold);
MODULE_VAR hostVsTarget = hostVar(AutopilotVsTarget);
MODULE_VAR timeOfDay = hostVar(TimeOfDay);
MODULE_VAR standby = hostVar(AutopilotStandby);
MODULE_VAR heading = hostVar(HeadingBug);

uint32_t eventValue(int32_t v) { return static_cast<uint32_t>(v); }

// Positive knob steps and bank angles are to the left.
void rollSteering(bool engaged) {
    const double angle = bank.var_value;
    if (ApRollCommand == 1 && engaged) {
        sendEvent(ApBankTarget > angle ? RollLeft : RollNeutral, 0);
        if (ApRollKnob < 0) {
            if (ApBankTarget > angle) sendEvent(RollLeft, 0);
            if (ApRollKnob < angle) ApRollCommand = 2;
        }
    }
    if (ApRollCommand == 2 && engaged) {
        sendEvent(ApBankTarget < angle ? RollRight : RollNeutral, 0);
        if (ApRollKnob > 0) {
            if (ApBankTarget < angle) sendEvent(RollRight, 0);
            if (ApRollKnob > angle) ApRollCommand = 1;
        }
    }
}

// One sample per whole second of the time of day, whatever the tick rate.
void airspeedTrend() {
    refreshVar(airspeed);
    refreshVar(mach);
    refreshVar(verticalSpeed);
    refreshVar(altitude);
    refreshVar(verticalHold);
    const double second = truncToInt(refreshVar(timeOfDay));
    if (TrendLastSpeed < NoSampleBelow) {
        TrendSecond = second;
        TrendLastSpeed = airspeed.var_value;
        return;
    }
    if (second == TrendSecond) return;
    int32_t interval = truncToInt(second - TrendSecond);
    if (interval < 0) interval += SecondsPerDay;  // past midnight
    TrendInterval = interval;
    TrendSecond = second;
    // Only a time of day outside 0..86399 can make a whole day of no time.
    SpeedTrend = interval != 0 ? (airspeed.var_value - TrendLastSpeed) / interval : 0.0;
    TrendLastSpeed = airspeed.var_value;
    if (TrendUpdates < INT32_MAX) ++TrendUpdates;
}

void chooseLimits(double error, double sign) {
    Band band = SmallErrorBand;
    for (const Band& b : Bands) {
        if (error > b.over) {
            band = b;
            break;
        }
    }
    TrendLimitNear = sign * band.near;
    TrendLimitFar = sign * band.far;
}

double limited(double command, double around, double limit) {
    if (command < around - limit) return around - limit;
    if (command > around + limit) return around + limit;
    return command;
}

// A speed error one way or the other, seen with `sign` +1 for too fast (a
// higher vertical speed slows the aircraft) and -1 for too slow, so that both
// read as the too-fast case: `error` is the deviation times the sign.
void correct(double sign, double target, double current_vs, double limit) {
    const double error = sign * SpeedDeviation;
    const double trend = sign * SpeedTrend;
    chooseLimits(error, -sign);
    if (trend > sign * TrendLimitNear) {
        // Not yet moving towards the reference fast enough: press harder.
        if (error > FarOff && sign * target < SteepClimb) VsStep *= 1.5;
        if (error > WellOff) VsStep *= 2.0;
        ApVsCommand = limited(target + sign * VsStep, current_vs, limit);
        sendEvent(SetVerticalSpeed, eventValue(truncToInt(ApVsCommand)));
        --TrendUpdates;
    } else if (trend < sign * TrendLimitFar && error < FarOff) {
        // Moving towards it too fast: ease off.
        if (error < WellOff) VsStep *= 1.3;
        ApVsCommand = limited(target - sign * VsStep, current_vs, limit);
        sendEvent(SetVerticalSpeed, eventValue(truncToInt(ApVsCommand)));
        if (error < NearlyOn) --TrendUpdates;
    }
}

void pitchOnSpeed() {
    if (verticalHold.var_value == 0.0) sendEvent(SetVerticalHold, 1);
    const double target = refreshVar(hostVsTarget);
    TrendUpdates = 0;

    VsStep = StepPerKnotPerSecond * std::fabs(SpeedTrend);
    if (VsStep < SmallestStep) VsStep = SmallestStep;
    if (VsStep > LargestStep) VsStep = LargestStep;
    SpeedDeviation = ApVerticalMode == 0 ? (mach.var_value - ApMachReference) / MachUnitsPerKnot
                                         : airspeed.var_value - ApSpeedReference;
    const double current_vs = feetPerMinuteFromRaw(verticalSpeed.var_value);

    if (SpeedDeviation > DeadBand)
        correct(1.0, target, current_vs, LimitWhenFast);
    else if (SpeedDeviation < -DeadBand)
        correct(-1.0, target, current_vs, LimitWhenSlow);

    sendAltitudePreset(ApVsCommand, altitude.var_value);
}

void engageTracking(bool engaged) {
    const double standby_mode = refreshVar(standby);
    if (engaged && ApEngageSwitch < 2) {
        // The host's autopilot has engaged: take over the present vertical speed.
        ApEngageSwitch = 2;
        ApCurrentVs = feetPerMinuteFromRaw(refreshVar(verticalSpeed));
        refreshVar(altitude);
        sendEvent(SetVerticalSpeed, eventValue(truncToInt(ApCurrentVs)));
        sendEvent(SetVerticalHold, 0);
        sendAltitudePreset(ApCurrentVs, altitude.var_value);
        sendEvent(AltitudeHoldOn, 0);
        ApVsTarget = truncToInt(ApCurrentVs);
        if (standby_mode == 0.0) sendEvent(StandbyOn, 0);
    } else if (master.var_value == 0.0 && ApEngageSwitch == 2) {
        // It has dropped out: hold the heading and level the selectors.
        ApEngageSwitch = 1;
        ApHeadingSnapshot = truncToInt(refreshVar(heading));
        sendEvent(ApHeadingSelect, 1);
        sendEvent(HeadingBugSet, eventValue(ApHeadingSnapshot));
        sendEvent(SetVerticalSpeed, 0);
        sendEvent(SetAltitude, DescentAltitude);
        sendEvent(AltitudeHoldOff, 0);
        ApHorizontalMode = 2;
        ApVerticalMode = 2;
    } else if (standby_mode != 0.0 && ApEngageSwitch == 0) {
        ApEngageSwitch = 1;
    }
}

}  // namespace

void sendAltitudePreset(double vertical_speed_fpm, double altitude_feet) {
    if (vertical_speed_fpm > 0.0)
        sendEvent(SetAltitude, ClimbAltitude);
    else if (vertical_speed_fpm < 0.0)
        sendEvent(SetAltitude, DescentAltitude);
    else  // level (or no number at all): stay where we are
        sendEvent(SetAltitude, eventValue(truncToInt(altitude_feet)));
}

void autopilotTick() {
    refreshVar(master);
    refreshVar(bank);
    const bool engaged = master.var_value == 1.0;
    rollSteering(engaged);
    airspeedTrend();
    if (engaged && ApVerticalMode == 0 && mach.var_value < MachHandover) ApVerticalMode = 1;
    if (TrendUpdates > 0 && ApVerticalMode < 2 && engaged) pitchOnSpeed();
    ApVsCommandLast = ApVsCommand;
    engageTracking(engaged);
}
