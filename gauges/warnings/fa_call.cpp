// FA_CALL: the flight attendant call button. Every press chimes the cabin while
// the aircraft has power, and flips the call.
//
// Reads: nothing. Sends: nothing. Sounds: sndDingDong. Shares: PowerAvailable
// (read), and the gauge's own FlightAttendantCall.

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/panel_state.h"
#include "gauges/panel_switch.h"

extern GAUGE_HEADER gauge_FA_CALL;

extern "C" {

// The call, 0 or 1; each press flips it.
int32_t FlightAttendantCall = 0;

}  // extern "C"

namespace {

constexpr uint32_t BmpCallButton = 17232;
constexpr uint32_t HelpCallButton = 43910;

void HOSTAPI faCallCallback(GAUGE_HEADER*, int32_t, uintptr_t) {}

// The chime sounds on every press, whichever way the call goes.
int32_t HOSTAPI faCallClick(PIXPOINT*, uint32_t) {
    FlightAttendantCall = FlightAttendantCall == 0 ? 1 : 0;
    if (PowerAvailable == 1) soundPlay(sndDingDong, SoundPlayOnce);
    return 0;
}

constinit ELEMENT_STATIC_IMAGE button = staticImage({&gauge_FA_CALL, BmpCallButton, 0, 0, 0});
constinit ELEMENT_HEADER* faCallElements[] = {&button, nullptr};

constinit OneAreaMouse faCallMouse =
    oneAreaMouse("Call Flight Attendant", {0, 0, 36, 36}, faCallClick, HelpCallButton);

}  // namespace

constinit GAUGE_HEADER gauge_FA_CALL =
    makeGaugeHeader("FA_CALL", 100, faCallElements, faCallMouse.data(), faCallCallback);
