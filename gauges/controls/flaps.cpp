// FLAPS: the flap position indicator, display only, with no gauge callback.
//
// Reads: 329 (flap position, 0..16383 for 0..50 degrees). Sends: nothing.
// Shares: nothing.

#include "framework/gauge.h"
#include "framework/host_ids.h"

extern GAUGE_HEADER gauge_FLAPS;

namespace {

constexpr double PositionPerDegree = 327.6;

constexpr uint32_t BmpFace = 8816;
constexpr uint32_t BmpOverlay = 8832;
constexpr uint32_t BmpNeedle = 8848;

constexpr uint32_t HelpFlapsIndicator = 43812;

// ---- Tooltip ----------------------------------------------------------------

double HOSTAPI flapDegrees(double number, uint32_t, const char*, MODULE_VAR* var, GAUGE_HEADER*) {
    return (var ? var->var_value : number) / PositionPerDegree;
}

// ---- Records ----------------------------------------------------------------

// Face point -> flap position, at the lever's detents.
constexpr NONLINEARITY flapScale[] = {
    {{51, 9}, 0},     {{84, 19}, 3275},  {{100, 40}, 6551},
    {{99, 73}, 9827}, {{84, 92}, 13103}, {{50, 102}, 16382},
};

constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;

// Bottom to top: face, overlay, needle; the needle shows the host's position
// as it is.
constinit ELEMENT_NEEDLE flapNeedle =
    needle({&gauge_FLAPS, BmpNeedle, 56, 56, LitImage | ImageBilinearColor}, hostvar::Flaps,
           nullptr, {0, 0}, flapScale, sizeof flapScale / sizeof flapScale[0], 1);
constinit ELEMENT_HEADER* overlayNext[] = {&flapNeedle.header, nullptr};
constinit ELEMENT_STATIC_IMAGE overlay =
    staticImage({&gauge_FLAPS, BmpOverlay, 0, 0, LitImage, overlayNext});
constinit ELEMENT_HEADER* faceNext[] = {&overlay, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_FLAPS, BmpFace, 0, 0, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* flapsElements[] = {&face, nullptr};

constinit TOOLTIP_ARG flapsTooltipArgs[] = {
    tooltipArg(hostvar::Flaps, flapDegrees),
};

constinit MOUSE_RECT flapsMouse[] = {
    mouseParent(0, 0, 0, 0, HelpFlapsIndicator),
    mouseTooltip("Flaps Indicator (%1!d! \xB0)", 1, flapsTooltipArgs),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_FLAPS =
    makeGaugeHeader("FLAPS", 100, flapsElements, flapsMouse, nullptr);
