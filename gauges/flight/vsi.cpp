// VSI: the vertical speed indicator, display only, with no gauge callback.
//
// Reads: 65 (vertical speed, raw), 335 (unit system, tooltip). Sends: nothing.
// Shares: nothing.

#include <cmath>

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "gauges/instruments.h"

extern GAUGE_HEADER gauge_VSI;

namespace {

using namespace hostvar;

constexpr double FullScale = 6000.0;  // ft/min either way

constexpr uint32_t BmpFace = 0x1400;
constexpr uint32_t BmpNeedle = 0x1410;
constexpr uint32_t BmpFaceOverlay = 0x1420;

constexpr uint32_t HelpVerticalSpeed = 43894;

MODULE_VAR tooltipUnitSystem = hostVar(UnitSystem);

// ---- Element callbacks ------------------------------------------------------

// Feet per minute within the dial; an unreadable speed shows level flight.
double HOSTAPI verticalSpeedNeedle(ELEMENT_HEADER* e) {
    double fpm = feetPerMinuteFromRaw(refreshVar(elementAs<ELEMENT_NEEDLE>(e)->source_var));
    if (std::isnan(fpm)) return 0.0;
    if (fpm > FullScale) return FullScale;
    if (fpm < -FullScale) return -FullScale;
    return fpm;
}

// ---- Tooltip ----------------------------------------------------------------

// Not limited to the dial.
double HOSTAPI verticalSpeedTooltip(double number, uint32_t, const char*, MODULE_VAR* var,
                                    GAUGE_HEADER*) {
    const double raw = var ? var->var_value : number;
    return metricSpeedsAndDistances(refreshVar(tooltipUnitSystem)) ? metresPerSecondFromRaw(raw)
                                                                   : feetPerMinuteFromRaw(raw);
}

// ---- Records ----------------------------------------------------------------

constexpr NONLINEARITY verticalSpeedScale[] = {
    {{257, 153}, -6000}, {{252, 178}, -5000}, {{232, 212}, -4000}, {{211, 233}, -3500},
    {{187, 247}, -3000}, {{156, 256}, -2500}, {{125, 258}, -2000}, {{83, 245}, -1500},
    {{46, 218}, -1000},  {{30, 196}, -700},   {{23, 180}, -500},   {{18, 163}, -300},
    {{15, 146}, -100},   {{14, 136}, 0},      {{15, 126}, 100},    {{18, 109}, 300},
    {{22, 92}, 500},     {{33, 71}, 700},     {{46, 55}, 1000},    {{85, 27}, 1500},
    {{123, 16}, 2000},   {{155, 17}, 2500},   {{186, 25}, 3000},   {{231, 59}, 4000},
    {{250, 94}, 5000},   {{257, 119}, 6000},
};

constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;

// Bottom to top: face, overlay, needle.
constinit ELEMENT_NEEDLE verticalSpeedPointer =
    needle({&gauge_VSI, BmpNeedle, 138, 137, LitImage | ImageBilinearColor}, VerticalSpeedRaw,
           verticalSpeedNeedle, {36, 16}, verticalSpeedScale,
           sizeof verticalSpeedScale / sizeof verticalSpeedScale[0], 6);
constinit ELEMENT_HEADER* overlayNext[] = {&verticalSpeedPointer.header, nullptr};
constinit ELEMENT_STATIC_IMAGE overlay =
    staticImage({&gauge_VSI, BmpFaceOverlay, 0, 0, LitImage, overlayNext});
constinit ELEMENT_HEADER* faceNext[] = {&overlay, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_VSI, BmpFace, 0, 0, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* vsiElements[] = {&face, nullptr};

constinit TOOLTIP_ARG vsiTooltipArgs[] = {
    tooltipArg(VerticalSpeedRaw, verticalSpeedTooltip),
    tooltipArg(UnitSystem, nullptr, tooltipVerticalSpeedLabel),
};

// The tooltip's closing parenthesis comes with the unit label.
constinit MOUSE_RECT vsiMouse[] = {
    mouseParent(0, 0, 275, 273, HelpVerticalSpeed),
    mouseTooltip("Vertical Speed Indicator (%1!d! %2!s!", 2, vsiTooltipArgs),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_VSI = makeGaugeHeader("VSI", 100, vsiElements, vsiMouse, nullptr);
