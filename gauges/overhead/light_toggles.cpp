// ANTICOLLISION and NAV_LIGHTS: two-position light switches, off (1) and on
// (2), that toggle a host light on every throw and take their position from the
// host's light as the gauge is initialised. One implementation over a table of
// the two.
//
// Reads: 368 (anti-collision light), 619 (navigation lights). Sends: 66239,
// 66379 (their toggles). Sounds: sndClick. Shares: the gauges' own
// AntiCollisionSwitch and NavLightsSwitch.

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "gauges/panel_switch.h"

extern GAUGE_HEADER gauge_ANTICOLLISION;
extern GAUGE_HEADER gauge_NAV_LIGHTS;

extern "C" {

// 1 off, 2 on.
int32_t AntiCollisionSwitch = 1;
int32_t NavLightsSwitch = 1;

}  // extern "C"

namespace {

constexpr int32_t LightOff = 1;
constexpr int32_t LightOn = 2;

constexpr uint32_t HelpSwitch = 43910;

struct LightToggle {
    int32_t* position;
    uint32_t light_state;  // host variable, 0 when off
    uint32_t toggle;       // host event
    GAUGE_HEADER* gauge;
    const char* tooltip;
};

constexpr int LightCount = 2;
constexpr LightToggle Lights[LightCount] = {
    {&AntiCollisionSwitch, hostvar::AntiCollisionLight, hostevent::AntiCollisionLightToggle,
     &gauge_ANTICOLLISION, "Anti-Collision Light Switch"},
    {&NavLightsSwitch, hostvar::NavLights, hostevent::NavLightsToggle, &gauge_NAV_LIGHTS,
     "Navigation Lights Switch"},
};

MODULE_VAR lightState[LightCount] = {hostVar(Lights[0].light_state),
                                     hostVar(Lights[1].light_state)};

template <int Light>
void HOSTAPI lightToggleCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreInitialize) return;
    *Lights[Light].position = refreshVar(lightState[Light]) == 0.0 ? LightOff : LightOn;
}

template <int Light>
double HOSTAPI lightToggleIcon(ELEMENT_HEADER*) {
    return *Lights[Light].position;
}

// The toggle goes out on every throw, whichever way.
template <int Light>
int32_t HOSTAPI lightToggleClick(PIXPOINT*, uint32_t) {
    int32_t& position = *Lights[Light].position;
    position = position != LightOff ? LightOff : LightOn;
    soundPlay(sndClick, SoundPlayOnce);
    sendEvent(Lights[Light].toggle, 0);
    return 0;
}

template <int Light>
constexpr PlateWithIcon lightPicture(PlateWithIcon* self) {
    return toggleSwitch(self, Lights[Light].gauge, lightToggleIcon<Light>);
}

template <int Light>
constexpr OneAreaMouse lightMouse() {
    return oneAreaMouse(Lights[Light].tooltip, ToggleSwitchArea, lightToggleClick<Light>,
                        HelpSwitch);
}

constinit PlateWithIcon lightElements[LightCount] = {lightPicture<0>(&lightElements[0]),
                                                     lightPicture<1>(&lightElements[1])};
constinit OneAreaMouse lightMice[LightCount] = {lightMouse<0>(), lightMouse<1>()};

}  // namespace

constinit GAUGE_HEADER gauge_ANTICOLLISION = makeGaugeHeader(
    "ANTICOLLISION", 100, lightElements[0].elements, lightMice[0].data(), lightToggleCallback<0>);
constinit GAUGE_HEADER gauge_NAV_LIGHTS = makeGaugeHeader(
    "NAV_LIGHTS", 100, lightElements[1].elements, lightMice[1].data(), lightToggleCallback<1>);
