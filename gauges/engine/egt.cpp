// EGT1..EGT4: the exhaust gas temperature of the four engines in degrees
// Celsius on a 0..1200 dial, with a vernier for the tens. Outside a start they
// convert the host's EGT from degrees Rankine; during a start they show a
// temperature built from the start progress and the fuel time, and 320 while
// the light-off of a running engine goes on. The gauge parameter picks a face.
//
// Reads: 567/577/587/597 (EGT, degrees Rankine), 131/166/201/236 (engine
// running); the pointers name 631/650/669/688 without reading them. Sends:
// nothing. Sounds: none. Shares: StarterSeconds, FuelLeverTime, StarterEngaged,
// LightOffActive (read); DisplayEgt (the gauges' own).

#include <iterator>

#include "framework/host_ids.h"
#include "framework/per_engine.h"
#include "framework/truncate.h"
#include "gauges/engine/dial.h"
#include "gauges/instruments.h"

extern GAUGE_HEADER gauge_EGT1, gauge_EGT2, gauge_EGT3, gauge_EGT4;

extern "C" {
// The temperature each pointer last showed, degrees Celsius, 0..1200.
double DisplayEgt[EngineCount] = {};
}

namespace {

using namespace hostvar;

struct Engine {
    GAUGE_HEADER* gauge;
    const char* name;
    const char* tooltip;
    double start_factor;  // the pointer's degrees per unit of start progress and fuel time
};
constexpr Engine Engines[EngineCount] = {
    {&gauge_EGT1, "EGT1",
     "Engine 1 EGT (%1!d! \xB0"
     "C)",
     3.4},
    {&gauge_EGT2, "EGT2",
     "Engine 2 EGT (%1!d! \xB0"
     "C)",
     3.4},
    {&gauge_EGT3, "EGT3",
     "Engine 3 EGT (%1!d! \xB0"
     "C)",
     3.4},
    {&gauge_EGT4, "EGT4",
     "Engine 4 EGT (%1!d! \xB0"
     "C)",
     3.2},
};

// The tooltip's factor during a start, the same for every engine: engine 4's
// tooltip reads above its pointer then (pointer 160, tooltip 170 at 40 + 10).
constexpr double TooltipStartFactor = 3.4;
constexpr double RankineZeroCelsius = 491.67;
constexpr double RankinePerCelsius = 1.8;
constexpr double LightOffTemperature = 320.0;
constexpr double DialHighest = 1200.0;
constexpr int32_t FaceCount = 6;  // faces the parameter can name, 1..6
constexpr double FirstFace = 0.0;
constexpr int32_t FacePictures = 2;

PerEngineVars engineRunning(EngineRunning1, EngineStride35);
PerEngineVars egtRankine(Egt1, EngineStride10);

double celsius(double rankine) { return (rankine - RankineZeroCelsius) / RankinePerCelsius; }

// A start with fuel on: the progress and the fuel time make the temperature.
bool fuelledStart(int n, bool stopped) {
    return stopped && FuelLeverTime[n] > 0 && StarterEngaged[n] == 1;
}
double startTemperature(int n, double factor) {
    return (StarterSeconds[n] + FuelLeverTime[n]) * factor;
}

// ---- Element callbacks ------------------------------------------------------

// Parameters 1 to 6 name faces 0 to 5, anything else the first. The icon holds
// pictures of the first two only: a face it has no picture of shows the first.
double HOSTAPI faceVariant(ELEMENT_HEADER* e) {
    const int32_t p = gaugeParameter(e ? e->gauge_header : nullptr);
    const int32_t face = p >= 1 && p <= FaceCount ? p - 1 : 0;
    return face < FacePictures ? face : FirstFace;
}

template <int N>
double HOSTAPI egtPointer(ELEMENT_HEADER*) {
    const double running = engineRunning.refresh(N);
    const double rankine = egtRankine.refresh(N);
    double e = DisplayEgt[N];  // kept while no rule applies
    if (fuelledStart(N, running == 0.0)) e = startTemperature(N, Engines[N].start_factor);
    if (running == 0.0 && StarterEngaged[N] == 0) e = celsius(rankine);
    if (running == 1.0 && LightOffActive[N] == 1 && StarterEngaged[N] == 1) e = LightOffTemperature;
    if (running == 1.0 && LightOffActive[N] == 0) e = celsius(rankine);
    DisplayEgt[N] = clampToDial(e, 0.0, DialHighest);
    return DisplayEgt[N];
}

template <int N>
double HOSTAPI egtVernier(ELEMENT_HEADER*) {
    return unitsDrumValue(DisplayEgt[N] / 10.0);
}

// The tooltip tells what the pointer would, unclamped, except that a start
// with fuel on takes the one tooltip factor whatever the engine's own.
double HOSTAPI egtTooltipValue(double number, uint32_t, const char*, MODULE_VAR* var,
                               GAUGE_HEADER*) {
    const int n = engineOfToken(var ? var->id : 0, Egt1, EngineStride10);
    const int32_t running = truncToInt(engineRunning.refresh(n));
    if (fuelledStart(n, running == 0)) return startTemperature(n, TooltipStartFactor);
    if (running == 1 && LightOffActive[n] == 1 && StarterEngaged[n] == 1)
        return LightOffTemperature;
    return celsius(var ? var->var_value : number);
}

// ---- Records ----------------------------------------------------------------

constexpr uint32_t BmpFace = 0x1850;
constexpr uint32_t BmpFaceVariant = 0x1860;
constexpr uint32_t BmpPointer = 0x1870;
constexpr uint32_t BmpVernier = 0x1920;
constexpr uint32_t HelpEgt = 43805;

constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;
constexpr uint32_t LitSmoothImage = LitImage | ImageBilinearColor;

constexpr NONLINEARITY PointerScale[] = {
    {{240, 239}, 0}, {{154, 273}, 200}, {{69, 238}, 400},  {{34, 153}, 600},
    {{69, 68}, 800}, {{154, 33}, 1000}, {{240, 68}, 1200},
};
constexpr NONLINEARITY VernierScale[] = {
    {{228, 128}, 0}, {{247, 133}, 1}, {{256, 148}, 2},   {{256, 166}, 3},
    {{247, 179}, 4}, {{228, 186}, 5}, {{209, 179}, 6},   {{200, 166}, 7},
    {{200, 148}, 8}, {{209, 133}, 9}, {{226, 128}, 9.9},
};
constexpr PIXPOINT PointerCentre = {152, 152};
constexpr PIXPOINT VernierCentre = {228, 157};
constexpr double PointerRate = 9;

// One engine's records, bottom to top: face, face variant, pointer, vernier.
template <int N>
struct Records {
    static constexpr ElementPlace at(uint32_t bitmap, PIXPOINT p, uint32_t flags,
                                     ELEMENT_HEADER** next = nullptr) {
        return ElementPlace{Engines[N].gauge, bitmap, p.x, p.y, flags, next};
    }
    static constinit inline ELEMENT_NEEDLE vernier =
        needle(at(BmpVernier, VernierCentre, LitSmoothImage, nullptr), 0, egtVernier<N>, {8, 5},
               VernierScale, std::size(VernierScale), 0);
    static constinit inline ELEMENT_HEADER* pointerNext[] = {&vernier.header, nullptr};
    static constinit inline ELEMENT_NEEDLE pointer =
        needle(at(BmpPointer, PointerCentre, LitSmoothImage, pointerNext),
               EgtPointer1 + N * EngineStride19, egtPointer<N>, {28, 28}, PointerScale,
               std::size(PointerScale), PointerRate);
    static constinit inline ELEMENT_HEADER* variantNext[] = {&pointer.header, nullptr};
    static constinit inline ELEMENT_ICON variant =
        icon(at(BmpFaceVariant, {0, 0}, LitImage, variantNext), 0, faceVariant, FacePictures);
    static constinit inline ELEMENT_HEADER* faceNext[] = {&variant.header, nullptr};
    static constinit inline ELEMENT_STATIC_IMAGE face =
        staticImage(at(BmpFace, {0, 0}, ImageTransparent, faceNext));
    static constinit inline ELEMENT_HEADER* elements[] = {&face, nullptr};

    static constinit inline TOOLTIP_ARG tooltipArgs[] = {
        tooltipArg(Egt1 + N * EngineStride10, egtTooltipValue)};
    static constinit inline MOUSE_RECT mouse[] = {
        mouseParent(30, 30, 250, 250, HelpEgt),
        mouseTooltip(Engines[N].tooltip, 1, tooltipArgs),
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

constinit GAUGE_HEADER gauge_EGT1 = header<0>();
constinit GAUGE_HEADER gauge_EGT2 = header<1>();
constinit GAUGE_HEADER gauge_EGT3 = header<2>();
constinit GAUGE_HEADER gauge_EGT4 = header<3>();
