// FFFU1..FFFU4: fuel flow and fuel used of the four engines. A pointer shows
// the fuel flow per hour, 600 lb/hr while a start has fuel on, and a five-drum
// counter the fuel the engine has used since the last reset. Both go from
// pounds to kilograms, with the kilogram face, when the host's weights are
// metric.
//
// Reads: 638/657/676/695 (fuel flow, lb/hr), 131/166/201/236 (engine running),
// 335 (unit system). Sends: nothing. Sounds: none. Shares: FuelUsed,
// FuelLeverTime (read); DisplayFuelFlow (the gauges' own).

#include <cmath>
#include <iterator>

#include "framework/host_ids.h"
#include "framework/per_engine.h"
#include "gauges/instruments.h"

extern GAUGE_HEADER gauge_FFFU1, gauge_FFFU2, gauge_FFFU3, gauge_FFFU4;

extern "C" {
// The fuel flow each pointer last showed, lb/hr, before the unit conversion.
double DisplayFuelFlow[EngineCount] = {};
}

namespace {

using namespace hostvar;

struct Engine {
    GAUGE_HEADER* gauge;
    const char* name;
    const char* tooltip;
    double pointer_rate;  // degrees per update
};
constexpr Engine Engines[EngineCount] = {
    {&gauge_FFFU1, "FFFU1", "Engine 1 Fuel Flow (%1!d! %2!s!/hr) and Totalizer", 5},
    {&gauge_FFFU2, "FFFU2", "Engine 2 Fuel Flow (%1!d! %2!s!/hr) and Totalizer", 6},
    {&gauge_FFFU3, "FFFU3", "Engine 3 Fuel Flow (%1!d! %2!s!/hr) and Totalizer", 6},
    {&gauge_FFFU4, "FFFU4", "Engine 4 Fuel Flow (%1!d! %2!s!/hr) and Totalizer", 6},
};

constexpr double StartFuelFlow = 600.0;  // lb/hr while a start has fuel on
constexpr double DialHighest = 12000.0;
constexpr double LowestShown = 300.0;  // less reads as no flow

// Drums: the ten-thousands to the tens of the fuel used in tenths, then the
// units with their fraction.
constexpr double TenthsPerUnit = 10.0;
constexpr int32_t TensPlace = 2, HundredsPlace = 3, ThousandsPlace = 4, TenThousandsPlace = 5;

PerEngineVars engineRunning(EngineRunning1, EngineStride35);
MODULE_VAR unitSystem = hostVar(UnitSystem);

// A start with the start lever open burns the start flow, whatever the host says.
bool startFlow(int n) { return engineRunning[n] == 0.0 && FuelLeverTime[n] > 0; }

// A total that overflowed (from a flow that is no number) reads as none.
double fuelUsedShown(int n) {
    const double used = std::isfinite(FuelUsed[n]) ? FuelUsed[n] : 0.0;
    return metricWeights(refreshVar(unitSystem)) ? used * KgPerPound : used;
}

// ---- Element callbacks ------------------------------------------------------

double HOSTAPI unitFaceImage(ELEMENT_HEADER* e) {
    return metricWeights(refreshVar(elementAs<ELEMENT_ICON>(e)->source_var)) ? 1 : 0;
}

template <int N>
double HOSTAPI flowPointer(ELEMENT_HEADER* e) {
    engineRunning.refresh(N);
    double flow = refreshVar(elementAs<ELEMENT_NEEDLE>(e)->source_var);
    if (startFlow(N)) flow = StartFuelFlow;
    if (flow > DialHighest) flow = DialHighest;
    if (flow < LowestShown || std::isnan(flow)) flow = 0;
    DisplayFuelFlow[N] = flow;
    return metricWeights(refreshVar(unitSystem)) ? flow * FuelFlowDialFactor : flow;
}

template <int N, int32_t Place>
double HOSTAPI usedDrum(ELEMENT_HEADER*) {
    return drumValue(fuelUsedShown(N), TenthsPerUnit, Place);
}

template <int N>
double HOSTAPI usedUnitsDrum(ELEMENT_HEADER*) {
    return unitsDrumValue(fuelUsedShown(N));
}

// The drums move vertically only.
double HOSTAPI drumAcross(ELEMENT_HEADER*) { return 1.0; }

double HOSTAPI flowTooltipValue(double number, uint32_t, const char*, MODULE_VAR* var,
                                GAUGE_HEADER*) {
    engineRunning.refreshAll();
    const bool metric = metricWeights(refreshVar(unitSystem));
    const int n = engineOfToken(var ? var->id : 0, FuelFlow1, EngineStride19);
    const double flow = startFlow(n) ? StartFuelFlow : var ? var->var_value : number;
    return metric ? flow * KgPerPound : flow;
}

// ---- Records ----------------------------------------------------------------

constexpr uint32_t BmpFace = 0x2000;
constexpr uint32_t BmpUnitFace = 0x2010;  // pounds, then kilograms
constexpr uint32_t BmpPointer = 0x2020;
constexpr uint32_t BmpDrum = 0x2030;

constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;

constexpr NONLINEARITY FlowScale[] = {
    {{238, 202}, 0},    {{225, 221}, 500},  {{207, 235}, 1000},
    {{168, 252}, 2000}, {{125, 250}, 3000}, {{86, 231}, 4000},
    {{59, 196}, 5000},  {{47, 152}, 6000},  {{243, 98}, 12000},
};
constexpr PIXPOINT PointerCentre = {155, 149};
constexpr int32_t DrumRow = 131;
constexpr double DrumTop = 99.0;
constexpr double UnitsDrumTop = 9.99;

// One engine's records, bottom to top: face, unit face, the drums from the
// ten-thousands down, the pointer.
template <int N>
struct Records {
    static constexpr ElementPlace at(uint32_t bitmap, int32_t x, int32_t y, uint32_t flags) {
        return ElementPlace{Engines[N].gauge, bitmap, x, y, flags};
    }
    static constexpr ELEMENT_MOVING_IMAGE drum(int32_t x, double top, ElementCallback cb) {
        return movingImage(at(BmpDrum, x, DrumRow, LitImage), 0, ranged(0, 0, 0, drumAcross),
                           ranged(0, 0, top, cb));
    }
    static constinit inline ELEMENT_NEEDLE pointer = needle(
        at(BmpPointer, PointerCentre.x, PointerCentre.y, LitImage), FuelFlow1 + N * EngineStride19,
        flowPointer<N>, {15, 8}, FlowScale, std::size(FlowScale), Engines[N].pointer_rate);
    static constinit inline ELEMENT_MOVING_IMAGE drums[5] = {
        drum(76, DrumTop, usedDrum<N, TenThousandsPlace>),
        drum(108, DrumTop, usedDrum<N, ThousandsPlace>),
        drum(140, DrumTop, usedDrum<N, HundredsPlace>),
        drum(172, DrumTop, usedDrum<N, TensPlace>),
        drum(205, UnitsDrumTop, usedUnitsDrum<N>),
    };
    static constinit inline ELEMENT_ICON unitOverlay =
        icon(at(BmpUnitFace, 0, 0, LitImage), UnitSystem, unitFaceImage, 2);
    static constinit inline ELEMENT_HEADER* faceNext[] = {
        &unitOverlay.header, &drums[0].header, &drums[1].header, &drums[2].header,
        &drums[3].header,    &drums[4].header, &pointer.header,  nullptr};
    static constinit inline ELEMENT_STATIC_IMAGE face =
        staticImage(ElementPlace{Engines[N].gauge, BmpFace, 0, 0, ImageTransparent, faceNext});
    static constinit inline ELEMENT_HEADER* elements[] = {&face, nullptr};

    static constinit inline TOOLTIP_ARG tooltipArgs[] = {
        tooltipArg(FuelFlow1 + N * EngineStride19, flowTooltipValue),
        tooltipArg(UnitSystem, nullptr, tooltipWeightLabel),
    };
    static constinit inline MOUSE_RECT mouse[] = {
        mouseParent(6, 6, 294, 294),
        mouseTooltip(Engines[N].tooltip, 2, tooltipArgs),
        mouseEndParent(),
        mouseEnd(),
    };
};

template <int N>
constexpr GAUGE_HEADER header() {
    return makeGaugeHeader(Engines[N].name, 100, Records<N>::elements, Records<N>::mouse,
                           noServiceAction);
}

}  // namespace

constinit GAUGE_HEADER gauge_FFFU1 = header<0>();
constinit GAUGE_HEADER gauge_FFFU2 = header<1>();
constinit GAUGE_HEADER gauge_FFFU3 = header<2>();
constinit GAUGE_HEADER gauge_FFFU4 = header<3>();
