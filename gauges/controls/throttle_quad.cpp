// THROTTLE_QUAD: the pedestal, with four thrust levers and their reversers,
// four start (fuel) levers, the flap lever with six detents, the speed brake
// lever and three trim indicators. The thrust, flap and speed brake levers
// picture host variables and send host events; the start levers are the
// module's own, and the gauge callback times the light-off of an engine start.
//
// Reads: 1 (tick counter), 60 (on the ground), 324, 128/163/198/233 (thrust
// levers), 130/165/200/235 (start levers), 131/166/201/236 (engine running, in
// the systems tick's records), 325 (speed brake), 328 (flap lever), 783 (trim).
// Sends: 65820..65823 (thrust levers), 65983/65988/65993/65998 (fuel on),
// 65987/65992/65997/66002 (fuel cut-off), 65698 (flap detents), 65786, 66065,
// 66066, 66067 (speed brake), 66064; the host sends 65595 and 65603 from their
// areas. Sounds: sndHghbSpup. Shares: StartLeverOpen, FuelLeverTime,
// LightOffActive (set), StarterEngaged, StarterSwitch, StarterSeconds (cleared
// when a lever closes; seconds also read), PowerAvailable (read), and the
// gauge's own FuelLeverStartTick and QuadrantRootElement.

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/truncate.h"
#include "systems/systems_tick.h"

extern GAUGE_HEADER gauge_THROTTLE_QUAD;

// The two copies of the root element pointer.
constexpr int SpeedBrakeCopy = 0;
constexpr int ThrustLeverCopy = 1;

extern "C" {

// The tick counter when start lever n was opened with power available; 0 while
// it is closed, and when it was opened without power.
int32_t FuelLeverStartTick[EngineCount] = {};

// The quadrant's root element, stored when the gauge is initialised (null
// before): one copy for the speed brake lever and one for the thrust levers,
// which measure their travel by the height of its picture.
ELEMENT_HEADER* QuadrantRootElement[2] = {};

}  // extern "C"

namespace {

using namespace hostvar;
using namespace hostevent;

constexpr double StartLeverOpenPosition = 12000.0;  // the host's lever above this is open
constexpr double FuelTimingStarterSeconds = 14.0;   // the starter has run longer: time the fuel
constexpr double SpoolUpStarterSeconds = 15.0;      // opening after this sounds the spool-up
constexpr double TicksPerFuelTimeUnit = 9.0;
constexpr double LightOffFuelTime = 38.0;  // fuel on once the lever has been open this long

// The thrust lever runs from 18000 at the top of the pedestal's picture down to
// full reverse, -7000, at its foot.
constexpr int32_t ThrustLeverTravel = 25000;
constexpr int32_t FullReverse = -7000;

constexpr uint32_t SpeedBrakeLowerZoneValue = 16383;
constexpr uint32_t FlapDetent2 = 3275;
constexpr uint32_t FlapDetent3 = 6551;
constexpr uint32_t FlapDetent4 = 9827;
constexpr uint32_t FlapDetent5 = 13103;

constexpr uint32_t fuelOnEvent(int engine) { return FuelOn1 + engine * EngineStride5; }
constexpr uint32_t fuelCutoffEvent(int engine) { return FuelCutoff1 + engine * EngineStride5; }

constexpr MODULE_VAR hostVarOfEngine(uint32_t first, int engine) {
    return hostVar(first + engine * EngineStride35);
}

MODULE_VAR tickCounter = hostVar(TickCounter);
MODULE_VAR startLeverPosition[EngineCount] = {
    hostVarOfEngine(StartLever1, 0), hostVarOfEngine(StartLever1, 1),
    hostVarOfEngine(StartLever1, 2), hostVarOfEngine(StartLever1, 3)};
MODULE_VAR startRule = hostVar(QuadrantStartRule);
MODULE_VAR onGround = hostVar(GroundSpeedRule);

// ---- Gauge callback ---------------------------------------------------------

void preInitialize(GAUGE_HEADER* gauge) {
    for (int n = 0; n < EngineCount; ++n) {
        if (refreshVar(EngineRunningVar[n]) == 0.0) sendEvent(fuelCutoffEvent(n), 0);
        // Engine 1's lever alone is closed here; the next step may open it again.
        if (n == 0) StartLeverOpen[0] = 0;
    }
    // Levers the host already has open start open; none is closed here.
    for (int n = 0; n < EngineCount; ++n) {
        if (refreshVar(startLeverPosition[n]) > StartLeverOpenPosition) StartLeverOpen[n] = 1;
    }
    ELEMENT_HEADER* root = gauge && gauge->elements_list ? gauge->elements_list[0] : nullptr;
    QuadrantRootElement[SpeedBrakeCopy] = root;
    QuadrantRootElement[ThrustLeverCopy] = root;
    // Both are read before either is tested.
    double rule = refreshVar(startRule);
    double ground = refreshVar(onGround);
    if (rule == 1.0 && ground == 1.0) sendEvent(QuadrantOnGroundStart, 0);
}

// Times the fuel of each start, and keeps fuel going in until the engine runs.
void preUpdate() {
    double now = refreshVar(tickCounter);
    for (int n = 0; n < EngineCount; ++n) {
        if (StartLeverOpen[n] == 1 && StarterSeconds[n] > FuelTimingStarterSeconds &&
            PowerAvailable == 1)
            FuelLeverTime[n] = (now - FuelLeverStartTick[n]) / TicksPerFuelTimeUnit;
    }
    // The running records are the systems tick's, as it last refreshed them.
    for (int n = 0; n < EngineCount; ++n) {
        if (EngineRunningVar[n].var_value == 0.0 && StartLeverOpen[n] == 1 &&
            FuelLeverTime[n] > LightOffFuelTime) {
            sendEvent(fuelOnEvent(n), 0);
            LightOffActive[n] = 1;
        }
    }
}

void HOSTAPI quadrantCallback(GAUGE_HEADER* gauge, int32_t service, uintptr_t) {
    switch (service) {
        case ServicePreInitialize:
            preInitialize(gauge);
            break;
        case ServicePreUpdate:
            preUpdate();
            break;
        default:
            break;
    }
}

// ---- Element callbacks ------------------------------------------------------

double thrustLeverOf(ELEMENT_HEADER* e) {
    return refreshVar(elementAs<ELEMENT_SLIDER>(e)->y.source_var);
}

void setHidden(ELEMENT_HEADER* e, bool hidden) {
    if (hidden)
        e->image_flags |= ImageHidden;
    else
        e->image_flags &= ~ImageHidden;
}

// The reverser shows only once the lever is below -1, moving at 0.4 of the lever.
double HOSTAPI reverseLever(ELEMENT_HEADER* e) {
    double lever = thrustLeverOf(e);
    if (lever >= -1.0) {
        setHidden(e, true);
        return lever;
    }
    setHidden(e, false);
    return lever * 0.4;
}

// The forward lever hides while the lever is at -1 or below; so at exactly -1
// neither picture shows.
double HOSTAPI forwardLever(ELEMENT_HEADER* e) {
    double lever = thrustLeverOf(e);
    setHidden(e, lever <= -1.0);
    return lever;
}

// The lever's knob stops at idle.
double HOSTAPI thrustLeverKnob(ELEMENT_HEADER* e) {
    double lever = thrustLeverOf(e);
    return lever < 0.0 ? 0.0 : lever;
}

template <int Engine>
double HOSTAPI startLeverIcon(ELEMENT_HEADER*) {
    return StartLeverOpen[Engine];
}

// ---- Mouse callbacks --------------------------------------------------------

void openStartLever(int n) {
    StartLeverOpen[n] = 1;
    if (PowerAvailable != 1) return;
    FuelLeverStartTick[n] = truncToInt(refreshVar(tickCounter));
    if (StarterSeconds[n] > SpoolUpStarterSeconds && StarterEngaged[n] == 1)
        soundPlay(sndHghbSpup, SoundPlayOnce);
}

// Cuts the fuel and ends the engine's start, whatever the start switches showed.
void closeStartLever(int n) {
    StarterEngaged[n] = 0;
    FuelLeverTime[n] = 0.0;
    sendEvent(fuelCutoffEvent(n), 0);
    FuelLeverStartTick[n] = 0;
    StartLeverOpen[n] = 0;
    StarterSwitch[n] = 0;
    StarterSeconds[n] = 0.0;
}

template <int Engine>
int32_t HOSTAPI startLeverClick(PIXPOINT*, uint32_t) {
    if (StartLeverOpen[Engine] == 0)
        openStartLever(Engine);
    else
        closeStartLever(Engine);
    return 0;
}

template <uint32_t Position>
int32_t HOSTAPI flapDetent(PIXPOINT*, uint32_t) {
    sendEvent(FlapLeverSet, Position);
    return 0;
}

int32_t HOSTAPI speedBrakeUpperZone(PIXPOINT*, uint32_t) {
    sendEvent(SpeedBrakeUpperZoneFirst, 0);
    sendEvent(SpeedBrakeUpperZoneSecond, 0);
    return 0;
}

int32_t HOSTAPI speedBrakeMiddleZone(PIXPOINT*, uint32_t) {
    sendEvent(SpeedBrakeMiddleZone, 0);
    return 0;
}

int32_t HOSTAPI speedBrakeLowerZone(PIXPOINT*, uint32_t) {
    sendEvent(SpeedBrakeLowerZone, SpeedBrakeLowerZoneValue);
    return 0;
}

// The lever follows the pointer over the pedestal's height H, in the host's
// 16-bit lever units, without a clamp: points above or below the picture give
// positions beyond the travel, and far ones wrap in 16 bits.
template <int Engine>
int32_t HOSTAPI thrustLeverDrag(PIXPOINT* point, uint32_t) {
    const ELEMENT_HEADER* root = QuadrantRootElement[ThrustLeverCopy];
    if (!root || !point) return 0;
    const int32_t height = root->image_size.y;
    if (height == 0) return 0;  // a picture of no known size has no travel
    const auto depth =
        static_cast<int16_t>(static_cast<uint32_t>(height) - static_cast<uint32_t>(point->y));
    const auto position = static_cast<int16_t>(depth * ThrustLeverTravel / height + FullReverse);
    sendEvent(ThrustLeverSet1 + Engine, static_cast<uint32_t>(static_cast<int32_t>(position)));
    return 0;
}

// ---- Records ----------------------------------------------------------------

constexpr uint32_t BmpPedestal = 9360;
constexpr uint32_t BmpTrimPedestal = 9376;
constexpr uint32_t BmpTrimLeft = 9296;
constexpr uint32_t BmpReverseLever = 9280;
constexpr uint32_t BmpForwardLever = 9264;
constexpr uint32_t BmpThrustLeverKnob = 9248;
constexpr uint32_t BmpTrimWheel = 9344;
constexpr uint32_t BmpFlapLever = 9312;
constexpr uint32_t BmpSpeedBrakeLever = 9328;
constexpr uint32_t BmpCover = 9232;
constexpr uint32_t BmpStartLever = 9216;

constexpr double TrimScale = 300.0;
constexpr double TrimWheelScale = 600.0;
constexpr double ThrustLeverScale = -0.016;
constexpr double FlapLeverScale = 0.0207;
constexpr double SpeedBrakeScale = 0.017;

constexpr ElementPlace place(uint32_t bitmap, int32_t x, int32_t y,
                             uint32_t flags = ImageTransparent, ELEMENT_HEADER** next = nullptr) {
    return ElementPlace{&gauge_THROTTLE_QUAD, bitmap, x, y, flags, next};
}

// The sliders move vertically only.
constexpr ELEMENT_SLIDER verticalSlider(const ElementPlace& p, uint32_t var_id, double scale,
                                        ElementCallback cb = nullptr) {
    return slider(p, scaled(0, 0.0), scaled(var_id, scale, cb));
}

constexpr ELEMENT_SLIDER thrustSlider(uint32_t bitmap, int engine, int32_t x, int32_t y,
                                      ElementCallback cb, ELEMENT_HEADER** next = nullptr) {
    return verticalSlider(place(bitmap, x, y, ImageTransparent, next),
                          ThrustLever1 + engine * EngineStride35, ThrustLeverScale, cb);
}

template <int Engine>
constexpr ELEMENT_ICON startLever(int32_t x, int32_t y) {
    return icon(place(BmpStartLever, x, y), StartLever1 + Engine * EngineStride35,
                startLeverIcon<Engine>, 2);
}

// Bottom to top: the pedestal, the trim indicators, the reversers, the forward
// levers, the lever knobs, the trim wheel, the flap and speed brake levers, the
// cover and the start levers. A next list holds at most seven entries, so each
// group hangs from the last element of the group before it.
constinit ELEMENT_ICON startLevers[EngineCount] = {startLever<0>(194, 377), startLever<1>(245, 377),
                                                   startLever<2>(293, 377),
                                                   startLever<3>(347, 377)};
constinit ELEMENT_HEADER* coverNext[] = {&startLevers[0].header, &startLevers[1].header,
                                         &startLevers[2].header, &startLevers[3].header, nullptr};
constinit ELEMENT_STATIC_IMAGE cover =
    staticImage(place(BmpCover, 180, 20, ImageTransparent | ImageHidden, coverNext));
constinit ELEMENT_SLIDER speedBrakeLever =
    verticalSlider(place(BmpSpeedBrakeLever, 63, 88), SpeedBrakeLever, SpeedBrakeScale);
constinit ELEMENT_SLIDER flapLever =
    verticalSlider(place(BmpFlapLever, 519, 15), FlapLever, FlapLeverScale);
constinit ELEMENT_SLIDER trimWheel =
    verticalSlider(place(BmpTrimWheel, 29, 184), Trim, TrimWheelScale);
constinit ELEMENT_HEADER* knobsNext[] = {&trimWheel.header, &flapLever.header,
                                         &speedBrakeLever.header, &cover, nullptr};
constinit ELEMENT_SLIDER thrustLeverKnobs[EngineCount] = {
    thrustSlider(BmpThrustLeverKnob, 0, 194, 314, thrustLeverKnob),
    thrustSlider(BmpThrustLeverKnob, 1, 244, 317, thrustLeverKnob),
    thrustSlider(BmpThrustLeverKnob, 2, 294, 315, thrustLeverKnob),
    thrustSlider(BmpThrustLeverKnob, 3, 344, 317, thrustLeverKnob, knobsNext)};
constinit ELEMENT_HEADER* forwardNext[] = {&thrustLeverKnobs[0].header, &thrustLeverKnobs[1].header,
                                           &thrustLeverKnobs[2].header, &thrustLeverKnobs[3].header,
                                           nullptr};
constinit ELEMENT_SLIDER forwardLevers[EngineCount] = {
    thrustSlider(BmpForwardLever, 0, 196, 264, forwardLever),
    thrustSlider(BmpForwardLever, 1, 246, 267, forwardLever),
    thrustSlider(BmpForwardLever, 2, 296, 265, forwardLever),
    thrustSlider(BmpForwardLever, 3, 346, 267, forwardLever, forwardNext)};
constinit ELEMENT_HEADER* reverseNext[] = {&forwardLevers[0].header, &forwardLevers[1].header,
                                           &forwardLevers[2].header, &forwardLevers[3].header,
                                           nullptr};
constinit ELEMENT_SLIDER reverseLevers[EngineCount] = {
    thrustSlider(BmpReverseLever, 0, 196, 272, reverseLever),
    thrustSlider(BmpReverseLever, 1, 246, 272, reverseLever),
    thrustSlider(BmpReverseLever, 2, 296, 272, reverseLever),
    thrustSlider(BmpReverseLever, 3, 346, 272, reverseLever, reverseNext)};
constinit ELEMENT_SLIDER trimLeft = verticalSlider(place(BmpTrimLeft, 14, 222), Trim, TrimScale);
constinit ELEMENT_SLIDER trimPedestal =
    verticalSlider(place(BmpTrimPedestal, 605, 222), Trim, TrimScale);
constinit ELEMENT_HEADER* pedestalNext[] = {&trimPedestal.header,
                                            &trimLeft.header,
                                            &reverseLevers[0].header,
                                            &reverseLevers[1].header,
                                            &reverseLevers[2].header,
                                            &reverseLevers[3].header,
                                            nullptr};
constinit ELEMENT_STATIC_IMAGE pedestal = staticImage(place(BmpPedestal, 0, 0, 0, pedestalNext));
constinit ELEMENT_HEADER* quadrantElements[] = {&pedestal, nullptr};

constexpr int32_t LeverCursor = 5;
constexpr uint32_t Click = MouseLeftPress;
constexpr uint32_t Lever = MouseLeftPress | MouseLeftDrag;

constinit MOUSE_RECT quadrantMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseChild(195, 374, 40, 85, LeverCursor, Click, startLeverClick<0>),
    mouseChild(249, 374, 40, 85, LeverCursor, Click, startLeverClick<1>),
    mouseChild(297, 374, 40, 85, LeverCursor, Click, startLeverClick<2>),
    mouseChild(351, 374, 40, 85, LeverCursor, Click, startLeverClick<3>),
    mouseChildEvent(515, 36, 80, 60, LeverCursor, Click, FlapLeverFirstDetent),
    mouseChild(515, 107, 80, 60, LeverCursor, Click, flapDetent<FlapDetent2>),
    mouseChild(515, 174, 80, 60, LeverCursor, Click, flapDetent<FlapDetent3>),
    mouseChild(515, 236, 80, 60, LeverCursor, Click, flapDetent<FlapDetent4>),
    mouseChild(515, 303, 80, 60, LeverCursor, Click, flapDetent<FlapDetent5>),
    mouseChildEvent(515, 368, 80, 60, LeverCursor, Click, FlapLeverLastDetent),
    mouseChild(83, 99, 44, 40, LeverCursor, Lever, speedBrakeUpperZone),
    mouseChild(83, 139, 44, 120, LeverCursor, Lever, speedBrakeMiddleZone),
    mouseChild(83, 219, 44, 160, LeverCursor, Lever, speedBrakeLowerZone),
    mouseChild(195, 0, 40, 370, LeverCursor, Lever, thrustLeverDrag<0>),
    mouseChild(249, 0, 40, 370, LeverCursor, Lever, thrustLeverDrag<1>),
    mouseChild(297, 0, 40, 370, LeverCursor, Lever, thrustLeverDrag<2>),
    mouseChild(351, 0, 40, 370, LeverCursor, Lever, thrustLeverDrag<3>),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_THROTTLE_QUAD =
    makeGaugeHeader("THROTTLE_QUAD", 100, quadrantElements, quadrantMouse, quadrantCallback);
