// SMOKING_SIGN and SEATBELT_SIGN: the cabin sign switches, off (0) or on (2).
// They drive no host sign; each throw clicks, and chimes the cabin while the
// aircraft has power. One implementation over a table of the two.
//
// Reads: nothing. Sends: nothing. Sounds: sndClick, sndChime. Shares:
// PowerAvailable (read), and the gauges' own NoSmokingSignSwitch and
// SeatBeltSignSwitch.

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/panel_state.h"
#include "gauges/panel_switch.h"

extern GAUGE_HEADER gauge_SMOKING_SIGN;
extern GAUGE_HEADER gauge_SEATBELT_SIGN;

extern "C" {

// 0 off, 2 on; the switches start off and never follow the host.
int32_t NoSmokingSignSwitch = 0;
int32_t SeatBeltSignSwitch = 0;

}  // extern "C"

namespace {

constexpr int32_t SignOff = 0;
constexpr int32_t SignOn = 2;

constexpr uint32_t HelpSwitch = 43910;

struct SignSwitch {
    int32_t* position;
    GAUGE_HEADER* gauge;
    const char* tooltip;
};

constexpr int SignCount = 2;
constexpr SignSwitch Signs[SignCount] = {
    {&NoSmokingSignSwitch, &gauge_SMOKING_SIGN, "No Smoking Sign Switch"},
    {&SeatBeltSignSwitch, &gauge_SEATBELT_SIGN, "Seat Belt Sign Switch"},
};

void HOSTAPI signCallback(GAUGE_HEADER*, int32_t, uintptr_t) {}

template <int Sign>
double HOSTAPI signSwitchIcon(ELEMENT_HEADER*) {
    return *Signs[Sign].position;
}

template <int Sign>
int32_t HOSTAPI signSwitchClick(PIXPOINT*, uint32_t) {
    int32_t& position = *Signs[Sign].position;
    position = position != SignOff ? SignOff : SignOn;
    soundPlay(sndClick, SoundPlayOnce);
    if (PowerAvailable == 1) soundPlay(sndChime, SoundPlayOnce);
    return 0;
}

template <int Sign>
constexpr PlateWithIcon signPicture(PlateWithIcon* self) {
    return toggleSwitch(self, Signs[Sign].gauge, signSwitchIcon<Sign>);
}

template <int Sign>
constexpr OneAreaMouse signMouse() {
    return oneAreaMouse(Signs[Sign].tooltip, ToggleSwitchArea, signSwitchClick<Sign>, HelpSwitch);
}

constinit PlateWithIcon signElements[SignCount] = {signPicture<0>(&signElements[0]),
                                                   signPicture<1>(&signElements[1])};
constinit OneAreaMouse signMice[SignCount] = {signMouse<0>(), signMouse<1>()};

}  // namespace

constinit GAUGE_HEADER gauge_SMOKING_SIGN = makeGaugeHeader(
    "SMOKING_SIGN", 100, signElements[0].elements, signMice[0].data(), signCallback);
constinit GAUGE_HEADER gauge_SEATBELT_SIGN = makeGaugeHeader(
    "SEATBELT_SIGN", 100, signElements[1].elements, signMice[1].data(), signCallback);
