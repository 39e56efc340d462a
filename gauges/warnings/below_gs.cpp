// BELOW_GS: the below-glideslope light and its repeating aural callout, which
// comes faster as the aircraft gets lower and further below the beam. A press
// on the light silences the callout until the warning ends.
//
// Reads: 1 (tick counter, through the light's own record), 41 (glideslope
// deviation), 332 (gear), 550 (an angle that must lie near 0), 614 (radio
// altitude, metres). Sends: nothing. Sounds: sndGlideslope. Shares:
// PowerAvailable (read), and the gauge's own GsWarnActive, GsWarnInhibit and
// GsCalloutCounter.

#include <cstdint>

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/truncate.h"

extern GAUGE_HEADER gauge_BELOW_GS;

extern "C" {
int32_t GsWarnActive = 0;      // the warning held at the last update
int32_t GsWarnInhibit = 0;     // the callout was silenced by a press on the light
int32_t GsCalloutCounter = 0;  // updates since the last callout, 0..72
}

namespace {

using namespace hostvar;

constexpr double LowestRadioAltitude = 16.0;  // metres, exclusive
constexpr double HighestRadioAltitude = 328.0;
constexpr double BelowBeam = -33.0;
constexpr int32_t AngleWindow = 30;  // either side of 0, exclusive
constexpr double FarBelowBeam = -50.0;
constexpr double LowRadioAltitude = 91.44;  // 300 feet
constexpr LONG LoudCallout = 0;
constexpr LONG QuietCallout = -400;
constexpr int32_t LongestInterval = 72;
// The callout interval in updates: 18 + 0.3 per metre of height + 0.5 per
// unit of deviation (which is negative here).
constexpr double IntervalPerMetre = 0.3;
constexpr double IntervalPerDeviation = 0.5;
constexpr int64_t IntervalBase = 18;
// The light flashes for 5 of every 12 ticks of the host's counter.
constexpr int32_t FlashCycle = 12;
constexpr int32_t FlashLit = 5;

MODULE_VAR angle = hostVar(GlideslopeAngle);
MODULE_VAR gear = hostVar(GearPosition);
MODULE_VAR radioAltitude = hostVar(RadioAltitudeMetres);
MODULE_VAR glideslope = hostVar(GlideslopeDeviation);

int32_t reducedAngle(double degrees) {
    int32_t a = truncToInt(degrees);
    if (a > 180)
        a -= 360;
    else if (a < -180)
        a += 360;
    return a;
}

void HOSTAPI belowGlideslopeCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreUpdate) return;
    const int32_t a = reducedAngle(refreshVar(angle));
    const double gear_position = refreshVar(gear);
    const double height = refreshVar(radioAltitude);
    const double deviation = refreshVar(glideslope);

    const bool warning = PowerAvailable != 0 && height > LowestRadioAltitude &&
                         height < HighestRadioAltitude && gear_position > 0.0 &&
                         deviation < BelowBeam && a > -AngleWindow && a < AngleWindow;
    if (!warning) {
        // A callout under way is not cut: it ends by itself.
        GsWarnActive = 0;
        GsWarnInhibit = 0;
        return;
    }

    const bool loud = deviation < FarBelowBeam && height < LowRadioAltitude;
    soundSetVolume(sndGlideslope, loud ? LoudCallout : QuietCallout);
    if (GsCalloutCounter == 0 && GsWarnInhibit == 0) soundPlay(sndGlideslope, SoundPlayOnce);

    if (++GsCalloutCounter > LongestInterval) GsCalloutCounter = 0;
    const int64_t interval =
        truncToInt(height * IntervalPerMetre + deviation * IntervalPerDeviation) + IntervalBase;
    if (GsCalloutCounter > interval) GsCalloutCounter = 0;
    GsWarnActive = 1;
}

double HOSTAPI belowGlideslopeLight(ELEMENT_HEADER* e) {
    const int32_t tick = truncToInt(elementAs<ELEMENT_ICON>(e)->source_var.var_value);
    const int32_t phase = (tick % FlashCycle + FlashCycle) % FlashCycle;
    return GsWarnActive == 1 && GsWarnInhibit == 0 && phase < FlashLit ? 0.0 : -1.0;
}

// A press silences an active warning; any other press clears the silence.
int32_t HOSTAPI silence(PIXPOINT*, uint32_t) {
    GsWarnInhibit = GsWarnInhibit == 0 && GsWarnActive == 1 ? 1 : 0;
    return 0;
}

constexpr uint32_t BmpFace = 16768;
constexpr uint32_t BmpLight = 16784;
constexpr int32_t CursorPress = 5;

constinit ELEMENT_ICON light =
    icon({&gauge_BELOW_GS, BmpLight, 0, 0, ImageTransparent}, TickCounter, belowGlideslopeLight, 1);
constinit ELEMENT_HEADER* faceNext[] = {&light.header, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_BELOW_GS, BmpFace, 0, 0, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* belowGlideslopeElements[] = {&face, nullptr};

constinit MOUSE_RECT belowGlideslopeMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseTooltip("Glideslope Warning Light"),
    mouseChild(0, 0, 29, 26, CursorPress, MouseLeftPress, silence),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_BELOW_GS = makeGaugeHeader(
    "BELOW_GS", 100, belowGlideslopeElements, belowGlideslopeMouse, belowGlideslopeCallback);
