// AIRBRAKE_PRESS, HYDBRAKE_PRESS, HYDSYS_PRESS, HYDSPLR_PRESS: the air brake,
// hydraulic brake, hydraulic system and spoiler pressure gauges. The host
// models no hydraulics, so the pressures come up once an engine has run on
// its starter for a while and then stay. Display only, no gauge callbacks.
//
// Reads: nothing of the host. Sends: nothing. Shares: StarterSeconds (read)
// and the gauges' own AirBrakePressure, HydraulicSystemPressure and
// SpoilerPressure.

#include "framework/gauge.h"
#include "framework/panel_state.h"
#include "framework/truncate.h"

extern GAUGE_HEADER gauge_AIRBRAKE_PRESS;
extern GAUGE_HEADER gauge_HYDBRAKE_PRESS;
extern GAUGE_HEADER gauge_HYDSYS_PRESS;
extern GAUGE_HEADER gauge_HYDSPLR_PRESS;

extern "C" {

// PSI, as each needle last computed it.
int32_t AirBrakePressure = 0;
int32_t HydraulicSystemPressure = 0;
int32_t SpoilerPressure = 0;

}  // extern "C"

namespace {

constexpr double AirBrakeStartSeconds = 20.0;
constexpr double SystemStartSeconds = 10.0;
constexpr double SpoilerStartSeconds = 20.0;
constexpr int32_t AirBrakeWorkingPressure = 2800;
constexpr int32_t BrakeAccumulatorPressure = 3000;
constexpr int32_t SystemBasePressure = 2850;
constexpr int32_t SpoilerWorkingPressure = 2900;

bool anyStarterBeyond(double seconds) {
    for (double s : StarterSeconds)
        if (s > seconds) return true;
    return false;
}

// ---- The pressures ----------------------------------------------------------

int32_t airBrakePressure() {
    return anyStarterBeyond(AirBrakeStartSeconds) ? AirBrakeWorkingPressure : 0;
}

int32_t brakeAccumulatorPressure() { return BrakeAccumulatorPressure; }

// Engines 2 and 3 drive the system pumps.
int32_t systemPressure() {
    if (!anyStarterBeyond(SystemStartSeconds)) return 0;
    return truncToInt(StarterSeconds[1] + SystemBasePressure + StarterSeconds[2]);
}

int32_t spoilerPressure() {
    return anyStarterBeyond(SpoilerStartSeconds) ? SpoilerWorkingPressure : 0;
}

int32_t keepNothing(int32_t pressure) { return pressure; }

template <int32_t* Kept>
int32_t keep(int32_t pressure) {
    return *Kept = pressure;
}

// ---- Element and tooltip callbacks ------------------------------------------

using PressureFn = int32_t (*)();
using KeepFn = int32_t (*)(int32_t);

template <PressureFn Pressure, KeepFn Keep>
double HOSTAPI pressureNeedle(ELEMENT_HEADER*) {
    return Keep(Pressure());
}

// The tooltip computes the pressure afresh, so it shows what the needle shows
// even before the needle's first update.
template <PressureFn Pressure>
double HOSTAPI pressureTooltip(double, uint32_t, const char*, MODULE_VAR*, GAUGE_HEADER*) {
    return Pressure();
}

// ---- Records ----------------------------------------------------------------

struct PressureGauge {
    GAUGE_HEADER* gauge;
    uint32_t face, overlay, needle;
    double needle_rate;  // degrees per update
    ElementCallback value;
    TooltipNumberCallback tooltip_value;  // null: the text has no argument
    const char* tooltip;
    // Said outright: a sanitizing compiler cannot test a function's address
    // against null in a constant expression.
    uint32_t tooltip_args;
};

constexpr PressureGauge PressureGauges[] = {
    {&gauge_AIRBRAKE_PRESS, 12624, 12640, 12656, 1,
     pressureNeedle<airBrakePressure, keep<&AirBrakePressure>>, pressureTooltip<airBrakePressure>,
     "Air Brake Pressure:  (%1!d! PSI)", 1},
    {&gauge_HYDBRAKE_PRESS, 12800, 12816, 12832, 4,
     pressureNeedle<brakeAccumulatorPressure, keepNothing>, nullptr,
     "Hydraulic Brake Pressure: (3000 PSI)", 0},
    {&gauge_HYDSYS_PRESS, 0x3250, 0x3260, 0x3270, 6,
     pressureNeedle<systemPressure, keep<&HydraulicSystemPressure>>,
     pressureTooltip<systemPressure>, "Hydraulic System Pressure:  (%1!d! PSI)", 1},
    {&gauge_HYDSPLR_PRESS, 13056, 13072, 13088, 2,
     pressureNeedle<spoilerPressure, keep<&SpoilerPressure>>, pressureTooltip<spoilerPressure>,
     "Hydraulic Spoiler Pressure:  (%1!d! PSI)", 1},
};

// Face point -> PSI, the same dial on all four.
constexpr NONLINEARITY pressureScale[] = {
    {{152, 36}, 0}, {{251, 96}, 1000}, {{207, 255}, 2000}, {{50, 211}, 3000}, {{92, 50}, 4000},
};

constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;

template <int Gauge>
struct PressureRecords {
    static constexpr const PressureGauge& g = PressureGauges[Gauge];
    static constinit inline ELEMENT_NEEDLE pointer =
        needle({g.gauge, g.needle, 152, 154, LitImage | ImageBilinearColor}, 0, g.value, {0, 0},
               pressureScale, sizeof pressureScale / sizeof pressureScale[0], g.needle_rate);
    static constinit inline ELEMENT_HEADER* overlayNext[] = {&pointer.header, nullptr};
    static constinit inline ELEMENT_STATIC_IMAGE overlay =
        staticImage({g.gauge, g.overlay, 0, 0, LitImage, overlayNext});
    static constinit inline ELEMENT_HEADER* faceNext[] = {&overlay, nullptr};
    static constinit inline ELEMENT_STATIC_IMAGE face =
        staticImage({g.gauge, g.face, 0, 0, ImageTransparent, faceNext});
    static constinit inline ELEMENT_HEADER* elements[] = {&face, nullptr};
    static constinit inline TOOLTIP_ARG tooltipArgs[] = {tooltipArg(0, g.tooltip_value)};
    static constinit inline MOUSE_RECT mouse[] = {
        mouseParent(0, 0, 0, 0),
        mouseTooltip(g.tooltip, g.tooltip_args, g.tooltip_args ? tooltipArgs : nullptr),
        mouseEndParent(),
        mouseEnd(),
    };
};

template <int Gauge>
constexpr GAUGE_HEADER pressureGauge(const char* name) {
    return makeGaugeHeader(name, 100, PressureRecords<Gauge>::elements,
                           PressureRecords<Gauge>::mouse, nullptr);
}

}  // namespace

constinit GAUGE_HEADER gauge_AIRBRAKE_PRESS = pressureGauge<0>("AIRBRAKE_PRESS");
constinit GAUGE_HEADER gauge_HYDBRAKE_PRESS = pressureGauge<1>("HYDBRAKE_PRESS");
constinit GAUGE_HEADER gauge_HYDSYS_PRESS = pressureGauge<2>("HYDSYS_PRESS");
constinit GAUGE_HEADER gauge_HYDSPLR_PRESS = pressureGauge<3>("HYDSPLR_PRESS");
