// LOWOILPRESS1 and LOWOILPRESS4: the low oil pressure lights, one light for
// the engine the gauge parameter names, or the four engines' lights in one
// gauge. Neither has a gauge callback.
//
// Reads: 148, 183, 218, 253 (oil pressure, engines 1..4). Sends: nothing.
// Shares: PowerAvailable (read).

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "gauges/instruments.h"

extern GAUGE_HEADER gauge_LOWOILPRESS1;
extern GAUGE_HEADER gauge_LOWOILPRESS4;

namespace {

constexpr double LowPressure = 3500.0;  // raw host units; the light shows below it

constexpr uint32_t BmpSingleFace = 0x2220;
constexpr uint32_t BmpFourFace = 0x2200;
constexpr uint32_t BmpLight = 0x2210;

constexpr uint32_t HelpLowOilPressure = 42058;

constexpr uint32_t oilPressureVar(int engine) {
    return hostvar::OilPressure1 + engine * EngineStride35;
}

// The single light's records for engines 2 to 4 (engine 1 reads the light's
// own record).
MODULE_VAR otherEngines[EngineCount] = {hostVar(oilPressureVar(0)), hostVar(oilPressureVar(1)),
                                        hostVar(oilPressureVar(2)), hostVar(oilPressureVar(3))};

// ---- Element callbacks ------------------------------------------------------

double lightFor(double pressure) {
    return pressure < LowPressure && PowerAvailable == 1 ? 0.0 : -1.0;
}

// Parameter 2, 3 or 4 names the engine; anything else is engine 1.
double HOSTAPI selectedEngineLight(ELEMENT_HEADER* e) {
    const int32_t p = gaugeParameter(e->gauge_header);
    if (p >= 2 && p <= EngineCount) return lightFor(refreshVar(otherEngines[p - 1]));
    return lightFor(refreshVar(elementAs<ELEMENT_ICON>(e)->source_var));
}

double HOSTAPI ownEngineLight(ELEMENT_HEADER* e) {
    return lightFor(refreshVar(elementAs<ELEMENT_ICON>(e)->source_var));
}

// ---- Records ----------------------------------------------------------------

// The host's flag 0x4 draws the light at full brightness.
constexpr uint32_t ImageBright = 0x00000004;
constexpr uint32_t LitLight = ImageBright | ImageErase | ImageTransparent;
constexpr int32_t LightWidth = 36, LightHeight = 31;
constexpr int32_t FourLightsWidth = 158;
constexpr int32_t NormalCursor = 0;

constinit ELEMENT_ICON singleLight = icon({&gauge_LOWOILPRESS1, BmpLight, 0, 0, LitLight},
                                          oilPressureVar(0), selectedEngineLight, 1);
constinit ELEMENT_HEADER* singleFaceNext[] = {&singleLight.header, nullptr};
constinit ELEMENT_STATIC_IMAGE singleFace =
    staticImage({&gauge_LOWOILPRESS1, BmpSingleFace, 0, 0, ImageTransparent, singleFaceNext});
constinit ELEMENT_HEADER* singleElements[] = {&singleFace, nullptr};

constexpr ELEMENT_ICON fourLight(int engine, int32_t x) {
    return icon({&gauge_LOWOILPRESS4, BmpLight, x, 0, LitLight}, oilPressureVar(engine),
                ownEngineLight, 1);
}
constinit ELEMENT_ICON fourLights[EngineCount] = {fourLight(0, 0), fourLight(1, 40),
                                                  fourLight(2, 80), fourLight(3, 122)};
constinit ELEMENT_HEADER* fourFaceNext[] = {&fourLights[0].header, &fourLights[1].header,
                                            &fourLights[2].header, &fourLights[3].header, nullptr};
constinit ELEMENT_STATIC_IMAGE fourFace =
    staticImage({&gauge_LOWOILPRESS4, BmpFourFace, 0, 0, ImageTransparent, fourFaceNext});
constinit ELEMENT_HEADER* fourElements[] = {&fourFace, nullptr};

// A press on the lights does nothing; the area only shows the cursor.
constinit MOUSE_RECT singleMouse[] = {
    mouseParent(0, 0, LightWidth, LightHeight, HelpLowOilPressure),
    mouseChildEvent(0, 0, LightWidth, LightHeight, NormalCursor, MouseLeftPress, 0),
    mouseEndParent(),
    mouseEnd(),
};
constinit MOUSE_RECT fourMouse[] = {
    mouseParent(0, 0, FourLightsWidth, LightHeight, HelpLowOilPressure),
    mouseChildEvent(0, 0, FourLightsWidth, LightHeight, NormalCursor, MouseLeftPress, 0),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_LOWOILPRESS1 =
    makeGaugeHeader("LOWOILPRESS1", 100, singleElements, singleMouse, nullptr);
constinit GAUGE_HEADER gauge_LOWOILPRESS4 =
    makeGaugeHeader("LOWOILPRESS4", 100, fourElements, fourMouse, nullptr);
