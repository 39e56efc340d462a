// MACH: the Mach meter, display only, with no gauge callback.
//
// Reads: 64 (Mach). Sends: nothing. Shares: nothing.

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "gauges/instruments.h"

extern GAUGE_HEADER gauge_MACH;

namespace {

// The dial is calibrated a little short of the host's unit, so the needle
// reads slightly high against the tooltip.
constexpr double NeedleMachUnits = 20469.6875;
// The needle rests on the 0.3 mark at low speed and never reaches 1.0.
constexpr double LowestShown = 0.3;
constexpr double HighestShown = 0.999;

constexpr uint32_t BmpFace = 0x1100;
constexpr uint32_t BmpNeedle = 0x1110;
constexpr uint32_t BmpFaceOverlay = 0x1120;

constexpr uint32_t HelpMachmeter = 43525;

// ---- Element callbacks ------------------------------------------------------

double HOSTAPI machNeedle(ELEMENT_HEADER* e) {
    double mach = refreshVar(elementAs<ELEMENT_NEEDLE>(e)->source_var) / NeedleMachUnits;
    if (mach < LowestShown) mach = LowestShown;
    if (mach > HighestShown) mach = HighestShown;
    return mach;
}

// ---- Tooltip ----------------------------------------------------------------

double HOSTAPI machTooltipValue(double number, uint32_t, const char*, MODULE_VAR* var,
                                GAUGE_HEADER*) {
    return (var ? var->var_value : number) / MachUnits;
}

// ---- Records ----------------------------------------------------------------

constexpr NONLINEARITY machScale[] = {
    {{196, 31}, 0},   {{206, 41}, 0.3}, {{251, 112}, 0.4}, {{236, 195}, 0.5}, {{176, 247}, 0.6},
    {{91, 245}, 0.7}, {{29, 188}, 0.8}, {{23, 101}, 0.9},  {{77, 35}, 1.0},
};

constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;

// Bottom to top: face, overlay, needle.
constinit ELEMENT_NEEDLE machPointer =
    needle({&gauge_MACH, BmpNeedle, 141, 138, LitImage}, hostvar::MachNumber, machNeedle, {42, 10},
           machScale, sizeof machScale / sizeof machScale[0], 9);
constinit ELEMENT_HEADER* overlayNext[] = {&machPointer.header, nullptr};
constinit ELEMENT_STATIC_IMAGE overlay =
    staticImage({&gauge_MACH, BmpFaceOverlay, 9, 0, LitImage, overlayNext});
constinit ELEMENT_HEADER* faceNext[] = {&overlay, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_MACH, BmpFace, 9, 0, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* machElements[] = {&face, nullptr};

constinit TOOLTIP_ARG machTooltipArgs[] = {
    tooltipArg(hostvar::MachNumber, machTooltipValue),
};

constinit MOUSE_RECT machMouse[] = {
    mouseParent(0, 0, 273, 273, HelpMachmeter),
    mouseTooltip("Machmeter (%1!.3f! Mach)", 1, machTooltipArgs),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_MACH = makeGaugeHeader("MACH", 100, machElements, machMouse, nullptr);
