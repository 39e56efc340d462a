// The systems tick's autopilot step: bank steering from the roll knob, the
// airspeed trend, pitch on Mach or airspeed through the host's vertical-speed
// target, and following the host's autopilot as it engages or drops out.
#pragma once

#include <cstdint>

// Step 8 of systemsTick.
void autopilotTick();

// The host's autopilot altitude (event 66124) by the sign of a vertical speed:
// far above to climb, 0 to descend, the current altitude to stay level. Used
// by the tick and by the controller's own controls alike.
void sendAltitudePreset(double vertical_speed_fpm, double altitude_feet);

extern "C" {
// The airspeed trend, sampled once per second of the host's time of day.
extern double TrendSecond;     // whole second of the day of the last sample
extern double TrendLastSpeed;  // airspeed at that sample; below -900: none yet
extern int32_t TrendInterval;  // seconds between the last two samples
extern double SpeedTrend;      // knots per second between them
extern int32_t TrendUpdates;   // samples since the pitch logic last acted; may be -1
// The pitch logic's current correction.
extern double VsStep;  // ft/min
extern double SpeedDeviation;
extern double TrendLimitNear;
extern double TrendLimitFar;
}
