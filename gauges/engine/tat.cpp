// TAT: the total air temperature dial, display only, with no gauge callback.
//
// Reads: 350 (total air temperature, 1/256 degree Celsius). Sends: nothing.
// Shares: nothing.

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "gauges/gauge_support.h"

extern GAUGE_HEADER gauge_TAT;

namespace {

// The needle stops a little beyond the dial's last marks; the token's unit is
// 1/256 degree, so these are -51.2 and 76.8 degrees.
constexpr double LowestShown = -0.2;
constexpr double HighestShown = 0.3;
constexpr double DegreesPerUnit = 256.0;

constexpr uint32_t BmpFace = 0x2050;
constexpr uint32_t BmpOverlay = 0x2060;
constexpr uint32_t BmpNeedle = 0x2070;

constexpr uint32_t HelpTotalAirTemperature = 42033;

// ---- Element callbacks ------------------------------------------------------

// A reading the host cannot give (NaN) rests the needle on its lower stop.
double HOSTAPI temperatureNeedle(ELEMENT_HEADER* e) {
    return limited(refreshVar(elementAs<ELEMENT_NEEDLE>(e)->source_var), LowestShown, HighestShown);
}

// ---- Tooltip ----------------------------------------------------------------

double HOSTAPI temperatureDegrees(double number, uint32_t, const char*, MODULE_VAR* var,
                                  GAUGE_HEADER*) {
    return (var ? var->var_value : number) * DegreesPerUnit;
}

// ---- Records ----------------------------------------------------------------

// Face point -> token value; the dial's labels are the value times 256.
constexpr NONLINEARITY temperatureScale[] = {
    {{59, 248}, -0.2734375}, {{19, 152}, -0.1953125}, {{59, 56}, -0.1171875},
    {{154, 17}, -0.0390625}, {{247, 57}, 0.0390625},  {{284, 151}, 0.1171875},
    {{247, 247}, 0.1953125},
};

constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;
constexpr uint32_t LitSmoothImage = LitImage | ImageBilinearColor;

// Bottom to top: face, overlay, needle.
constinit ELEMENT_NEEDLE temperature =
    needle({&gauge_TAT, BmpNeedle, 152, 152, LitSmoothImage}, hostvar::TotalAirTemperature,
           temperatureNeedle, {-35, 6}, temperatureScale,
           sizeof temperatureScale / sizeof temperatureScale[0], 1);
constinit ELEMENT_HEADER* overlayNext[] = {&temperature.header, nullptr};
constinit ELEMENT_STATIC_IMAGE overlay =
    staticImage({&gauge_TAT, BmpOverlay, 0, 0, LitImage, overlayNext});
constinit ELEMENT_HEADER* faceNext[] = {&overlay, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_TAT, BmpFace, 0, 0, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* tatElements[] = {&face, nullptr};

constinit TOOLTIP_ARG tatTooltipArgs[] = {
    tooltipArg(hostvar::TotalAirTemperature, temperatureDegrees),
};

constinit MOUSE_RECT tatMouse[] = {
    mouseParent(0, 0, 304, 304, HelpTotalAirTemperature),
    mouseTooltip("Total Air Temperature (%1!d! \xB0"
                 "C)",
                 1, tatTooltipArgs),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_TAT = makeGaugeHeader("TAT", 100, tatElements, tatMouse, nullptr);
