// CLOCK: the panel clock. Its knobs and button are the host's own events in
// the mouse areas. As it is installed it also sets the battery switch from the
// host's electrical state and starts the inverter hum.
//
// Reads: 3, 4, 5 (time of day, tooltip), 6, 7 and 5 (the hands), 364 (the
// host's main electrical power). Sends: 65657..65661 (by the host, from the
// areas). Sounds: sndInverters. Shares: BatterySwitch (set), ExternalPowerOn
// (read).

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"

extern GAUGE_HEADER gauge_CLOCK;

namespace {

using namespace hostvar;
using namespace hostevent;

constexpr int32_t BatteryGroundPower = 0;
constexpr int32_t BatteryOff = 1;
constexpr int32_t BatteryOn = 2;

constexpr uint32_t BmpFace = 8960;
constexpr uint32_t BmpOverlay = 8976;
constexpr uint32_t BmpHourHand = 8992;
constexpr uint32_t BmpMinuteHand = 9008;
constexpr uint32_t BmpSecondHand = 9024;

MODULE_VAR mainPower = hostVar(FurtherPowerSource);

// ---- Gauge callback ---------------------------------------------------------

// Before the gauge is installed: the battery switch starts where the host's
// electrical state is. Values other than exactly 0 and 1 leave it alone.
void HOSTAPI clockCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreInstall) return;
    const double power = refreshVar(mainPower);
    if (power == 0.0) {
        BatterySwitch = BatteryOff;
    } else if (power == 1.0 && ExternalPowerOn == 0) {
        BatterySwitch = BatteryOn;
        soundPlay(sndInverters, SoundPlayLooping);
    } else if (power == 1.0 && ExternalPowerOn == 1) {
        BatterySwitch = BatteryGroundPower;
        soundPlay(sndInverters, SoundPlayLooping);
    }
}

// ---- Records ----------------------------------------------------------------

constexpr PIXPOINT DialCentre = {154, 148};
constexpr PIXPOINT HandPivot = {0, 0};

// The hour hand takes the 24-hour value round the 12-hour dial twice.
constexpr NONLINEARITY hourScale[] = {
    {{158, 36}, 0},   {{213, 52}, 1},   {{253, 93}, 2},   {{267, 148}, 3},  {{254, 205}, 4},
    {{212, 245}, 5},  {{157, 259}, 6},  {{102, 244}, 7},  {{62, 203}, 8},   {{47, 147}, 9},
    {{61, 92}, 10},   {{101, 51}, 11},  {{158, 36}, 12},  {{213, 52}, 13},  {{253, 93}, 14},
    {{267, 148}, 15}, {{254, 205}, 16}, {{212, 245}, 17}, {{157, 259}, 18}, {{102, 244}, 19},
    {{62, 203}, 20},  {{47, 147}, 21},  {{61, 92}, 22},   {{101, 51}, 23},  {{158, 36}, 24},
};
// The last quarter closes the circle at 60, so that minutes and seconds past
// 45 move on round the dial instead of resting on the 45 mark.
constexpr NONLINEARITY minuteScale[] = {
    {{158, 36}, 0}, {{267, 148}, 15}, {{157, 259}, 30}, {{47, 147}, 45}, {{158, 36}, 60},
};
constexpr uint32_t HourPoints = sizeof hourScale / sizeof hourScale[0];
constexpr uint32_t MinutePoints = sizeof minuteScale / sizeof minuteScale[0];

constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;
constexpr uint32_t LitSmoothImage = LitImage | ImageBilinearColor;

constexpr ELEMENT_NEEDLE hand(uint32_t bitmap, uint32_t var_id, const NONLINEARITY* scale,
                              uint32_t points) {
    return needle({&gauge_CLOCK, bitmap, DialCentre.x, DialCentre.y, LitSmoothImage}, var_id,
                  nullptr, HandPivot, scale, points, 0);
}

// Bottom to top: face, overlay, then the hour, minute and second hands.
constinit ELEMENT_NEEDLE secondHand = hand(BmpSecondHand, ClockSeconds, minuteScale, MinutePoints);
constinit ELEMENT_NEEDLE minuteHand =
    hand(BmpMinuteHand, ClockHandMinutes, minuteScale, MinutePoints);
constinit ELEMENT_NEEDLE hourHand = hand(BmpHourHand, ClockHandHours, hourScale, HourPoints);
constinit ELEMENT_HEADER* overlayNext[] = {&hourHand.header, &minuteHand.header, &secondHand.header,
                                           nullptr};
constinit ELEMENT_STATIC_IMAGE overlay =
    staticImage({&gauge_CLOCK, BmpOverlay, 0, 0, LitImage, overlayNext});
constinit ELEMENT_HEADER* faceNext[] = {&overlay, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_CLOCK, BmpFace, 0, 0, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* clockElements[] = {&face, nullptr};

// The time of day, each part shown as the host holds it.
constinit TOOLTIP_ARG clockTooltipArgs[] = {
    tooltipArg(ClockHours, nullptr),
    tooltipArg(ClockMinutes, nullptr),
    tooltipArg(ClockSeconds, nullptr),
};

constexpr int32_t ButtonCursor = 5;
constexpr uint32_t Knob = MouseLeftPress | MouseDownRepeat;

// The parent's origin is (1, 13): the knob areas lie at (1, 213), (41, 213),
// (209, 213) and (240, 213) on the face, the button at (202, 13).
constinit MOUSE_RECT clockMouse[] = {
    mouseParent(1, 13, 270, 257),
    mouseTooltip("Clock (%1!.2d!:%2!.2d!:%3!.2d!)", 3, clockTooltipArgs),
    mouseChildEvent(0, 200, 39, 57, CursorDownArrow, Knob, ClockLeftKnobDown),
    mouseChildEvent(40, 200, 39, 57, CursorUpArrow, Knob, ClockLeftKnobUp),
    mouseChildEvent(208, 200, 30, 57, CursorDownArrow, Knob, ClockRightKnobDown),
    mouseChildEvent(239, 200, 30, 57, CursorUpArrow, Knob, ClockRightKnobUp),
    mouseChildEvent(201, 0, 51, 48, ButtonCursor, MouseLeftPress, ClockButton),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_CLOCK =
    makeGaugeHeader("CLOCK", 100, clockElements, clockMouse, clockCallback);
