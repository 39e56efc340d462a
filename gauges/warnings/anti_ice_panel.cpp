// The anti-ice panel: the pitot heater failure light HEATER_INOP and ammeter
// PITOT_AMPS, the engine anti-ice switches ENGICE_INBD and ENGICE_OUTBD, and the
// anti-ice valve lights ENG1ICE_VALVE..ENG4ICE_VALVE, which show for a number of
// ticks after each movement of the switch of their engine, while the valve
// travels. Timed lights start only with power and go out on the first update
// after their deadline.
//
// Reads: 1 (tick counter), 13 (pitot heat, above 0 when on). Sends: nothing.
// Sounds: sndClick. Shares: PitotHeaterInop (cleared when its deadline has
// passed), PitotHeaterInopDeadline, PowerAvailable (read); the panel's own
// PitotAmps, InboardAntiIceSwitch, OutboardAntiIceSwitch, IceValveInTransit and
// IceValveDeadline.

#include <array>
#include <iterator>

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/tick_deadline.h"
#include "gauges/panel_switch.h"

extern GAUGE_HEADER gauge_HEATER_INOP, gauge_PITOT_AMPS, gauge_ENGICE_INBD, gauge_ENGICE_OUTBD,
    gauge_ENG1ICE_VALVE, gauge_ENG2ICE_VALVE, gauge_ENG3ICE_VALVE, gauge_ENG4ICE_VALVE;

extern "C" {
int32_t PitotAmps = 0;                        // pitot heater current, 0 or 18
int32_t InboardAntiIceSwitch = 1;             // 1 or 2
int32_t OutboardAntiIceSwitch = 1;            // 1 or 2
int32_t IceValveInTransit[EngineCount] = {};  // valve light of engine n on
int32_t IceValveDeadline[EngineCount] = {};   // tick counter after which it goes out
}

namespace {

// ---- Pitot heater light and ammeter -----------------------------------------

constexpr int32_t HeaterCurrent = 18;

MODULE_VAR heaterLightTick = hostVar(hostvar::TickCounter);

void HOSTAPI heaterInopCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreUpdate) return;
    const double tick = refreshVar(heaterLightTick);
    if (PitotHeaterInop == 1 && tickPassed(tick, PitotHeaterInopDeadline)) PitotHeaterInop = 0;
}

// 0 shows the light, -1 hides it.
double HOSTAPI heaterInopLight(ELEMENT_HEADER*) { return PitotHeaterInop - 1; }

double HOSTAPI pitotAmmeter(ELEMENT_HEADER* e) {
    const double heat = refreshVar(elementAs<ELEMENT_NEEDLE>(e)->source_var);
    PitotAmps = heat > 0 && PitotHeaterInop == 0 && PowerAvailable == 1 ? HeaterCurrent : 0;
    return PitotAmps;
}

// ---- Engine anti-ice switches and valve lights ------------------------------

// Each switch moves the valves of two engines, each valve for its own number
// of ticks.
struct ValveTravel {
    int engine;
    int32_t ticks;
};
constexpr ValveTravel InboardValves[] = {{1, 31}, {2, 26}};
constexpr ValveTravel OutboardValves[] = {{0, 29}, {3, 35}};

MODULE_VAR antiIceClickTick = hostVar(hostvar::TickCounter);
MODULE_VAR valveLightTick[EngineCount] = {
    hostVar(hostvar::TickCounter), hostVar(hostvar::TickCounter), hostVar(hostvar::TickCounter),
    hostVar(hostvar::TickCounter)};

template <int32_t& Position, const ValveTravel (&Valves)[2]>
int32_t HOSTAPI antiIceClick(PIXPOINT*, uint32_t) {
    Position = Position == 1 ? 2 : 1;
    soundPlay(sndClick, SoundPlayOnce);
    if (PowerAvailable != 1) return 0;
    const double tick = refreshVar(antiIceClickTick);
    for (const ValveTravel& v : Valves) {
        IceValveInTransit[v.engine] = 1;
        IceValveDeadline[v.engine] = tickDeadline(tick, v.ticks);
    }
    return 0;
}

template <int N>
void HOSTAPI valveLightCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreUpdate) return;
    const double tick = refreshVar(valveLightTick[N]);
    if (tickPassed(tick, IceValveDeadline[N])) IceValveInTransit[N] = 0;
}

template <int N>
double HOSTAPI valveLight(ELEMENT_HEADER*) {
    return IceValveInTransit[N] - 1;
}

// ---- Records ----------------------------------------------------------------

constexpr uint32_t BmpLightPlate = 17232;
constexpr uint32_t BmpHeaterInop = 17248;
constexpr uint32_t BmpAmmeter = 17264;
constexpr uint32_t BmpAmmeterNeedle = 17280;
constexpr uint32_t BmpTogglePanel = 12544;
constexpr uint32_t BmpToggle = 12560;
constexpr uint32_t BmpValveLight1 = 17296;  // one picture per engine

using HeaterInopRecords =
    PlateAndIcon<gauge_HEATER_INOP, BmpLightPlate, BmpHeaterInop, 1, heaterInopLight>;
using InboardRecords = PlateAndIcon<gauge_ENGICE_INBD, BmpTogglePanel, BmpToggle, 3,
                                     positionIcon<int32_t, InboardAntiIceSwitch>>;
using OutboardRecords = PlateAndIcon<gauge_ENGICE_OUTBD, BmpTogglePanel, BmpToggle, 3,
                                      positionIcon<int32_t, OutboardAntiIceSwitch>>;

constexpr NONLINEARITY AmmeterScale[] = {
    {{14, 32}, 0}, {{31, 20}, 10}, {{57, 18}, 20}, {{82, 31}, 30}};
constinit ELEMENT_NEEDLE ammeterNeedle =
    needle({&gauge_PITOT_AMPS, BmpAmmeterNeedle, 48, 48, ImageTransparent}, hostvar::PitotHeat,
           pitotAmmeter, {0, 0}, AmmeterScale, std::size(AmmeterScale), 0);
constinit ELEMENT_HEADER* ammeterNext[] = {&ammeterNeedle.header, nullptr};
constinit ELEMENT_STATIC_IMAGE ammeterFace =
    staticImage({&gauge_PITOT_AMPS, BmpAmmeter, 0, 0, ImageTransparent, ammeterNext});
constinit ELEMENT_HEADER* ammeterElements[] = {&ammeterFace, nullptr};

// A display-only gauge: one area over the whole gauge, with its tooltip.
constexpr std::array<MOUSE_RECT, 4> tooltipOnly(const char* tooltip) {
    return {mouseParent(0, 0, 0, 0), mouseTooltip(tooltip), mouseEndParent(), mouseEnd()};
}
constinit auto heaterInopMouse = tooltipOnly("Pitot Heater Failure Warning Light");
constinit auto ammeterMouse = tooltipOnly("Pitot Heater Ammeter");

constinit MOUSE_RECT inboardMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseParent(0, 0, 30, 36),
    mouseTooltip("Inboard Engine Anti-Ice Switch"),
    panelClick(0, 0, 30, 36, antiIceClick<InboardAntiIceSwitch, InboardValves>),
    mouseEndParent(),
    mouseEndParent(),
    mouseEnd(),
};
constinit MOUSE_RECT outboardMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseTooltip("Outboard Engine Anti-Ice Switch"),
    panelClick(0, 0, 30, 36, antiIceClick<OutboardAntiIceSwitch, OutboardValves>),
    mouseEndParent(),
    mouseEnd(),
};

struct ValveEngine {
    GAUGE_HEADER* gauge;
    const char* name;
    const char* tooltip;
};
constexpr ValveEngine ValveEngines[EngineCount] = {
    {&gauge_ENG1ICE_VALVE, "ENG1ICE_VALVE", "Engine 1 Anti-Ice Valve"},
    {&gauge_ENG2ICE_VALVE, "ENG2ICE_VALVE", "Engine 2 Anti-Ice Valve"},
    {&gauge_ENG3ICE_VALVE, "ENG3ICE_VALVE", "Engine 3 Anti-Ice Valve"},
    {&gauge_ENG4ICE_VALVE, "ENG4ICE_VALVE", "Engine 4 Anti-Ice Valve"},
};

template <int N>
struct ValveRecords {
    static constinit inline ELEMENT_ICON light = icon(
        {ValveEngines[N].gauge, BmpValveLight1 + N, 0, 0, ImageTransparent}, 0, valveLight<N>, 1);
    static constinit inline ELEMENT_HEADER* plateNext[] = {&light.header, nullptr};
    static constinit inline ELEMENT_STATIC_IMAGE plate =
        staticImage({ValveEngines[N].gauge, BmpLightPlate, 0, 0, ImageTransparent, plateNext});
    static constinit inline ELEMENT_HEADER* elements[] = {&plate, nullptr};
    static constinit inline auto mouse = tooltipOnly(ValveEngines[N].tooltip);
};

template <int N>
constexpr GAUGE_HEADER valveHeader() {
    return makeGaugeHeader(ValveEngines[N].name, 100, ValveRecords<N>::elements,
                           ValveRecords<N>::mouse.data(), valveLightCallback<N>);
}

}  // namespace

constinit GAUGE_HEADER gauge_HEATER_INOP = makeGaugeHeader(
    "HEATER_INOP", 100, HeaterInopRecords::elements, heaterInopMouse.data(), heaterInopCallback);
constinit GAUGE_HEADER gauge_PITOT_AMPS =
    makeGaugeHeader("PITOT_AMPS", 100, ammeterElements, ammeterMouse.data(), noServiceAction);
constinit GAUGE_HEADER gauge_ENGICE_INBD =
    makeGaugeHeader("ENGICE_INBD", 100, InboardRecords::elements, inboardMouse, noServiceAction);
constinit GAUGE_HEADER gauge_ENGICE_OUTBD =
    makeGaugeHeader("ENGICE_OUTBD", 100, OutboardRecords::elements, outboardMouse, noServiceAction);
constinit GAUGE_HEADER gauge_ENG1ICE_VALVE = valveHeader<0>();
constinit GAUGE_HEADER gauge_ENG2ICE_VALVE = valveHeader<1>();
constinit GAUGE_HEADER gauge_ENG3ICE_VALVE = valveHeader<2>();
constinit GAUGE_HEADER gauge_ENG4ICE_VALVE = valveHeader<3>();
