// The records the N1 and N2 tachometers share: a face, an overlay, a main
// pointer over 0..120 % and a vernier for the units digit, with one tooltip on
// a parent area over the dial. Each family gives its overlay, its tokens, its
// callbacks and its per-engine table.
#pragma once

#include <iterator>

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"

namespace tachometer {

constexpr double DialLowest = 0.0;
constexpr double DialHighest = 120.0;

constexpr uint32_t BmpFace = 0x1900;
constexpr uint32_t BmpVernier = 0x1920;
constexpr uint32_t BmpPointer = 0x1930;

constexpr uint32_t LitImage = ImageLuminous | ImageErase | ImageTransparent;
constexpr uint32_t LitSmoothImage = LitImage | ImageBilinearColor;

constexpr NONLINEARITY PointerScale[] = {
    {{167, 52}, 0}, {{260, 276}, 50}, {{36, 183}, 100}, {{50, 121}, 110}, {{86, 80}, 120},
};
constexpr NONLINEARITY VernierScale[] = {
    {{110, 89}, 0},  {{129, 94}, 1},  {{138, 109}, 2},  {{138, 127}, 3},
    {{129, 140}, 4}, {{110, 147}, 5}, {{91, 140}, 6},   {{82, 127}, 7},
    {{82, 109}, 8},  {{91, 94}, 9},   {{108, 89}, 9.9},
};
constexpr PIXPOINT PointerCentre = {174, 186};
constexpr PIXPOINT PointerPivot = {0, 7};
constexpr PIXPOINT VernierCentre = {110, 118};
constexpr PIXPOINT VernierPivot = {8, 5};
constexpr double PointerRate = 6;

struct Engine {
    GAUGE_HEADER* gauge;
    const char* tooltip;
};

// Family: Engines[4], Overlay, PointerToken1 (stride 19), VernierToken1 (stride
// 35), HelpId, and the callbacks pointer<n>, vernier<n> and tooltipValue.
template <typename Family, int N>
struct Records {
    static constexpr ElementPlace at(uint32_t bitmap, PIXPOINT p, uint32_t flags,
                                     ELEMENT_HEADER** next = nullptr) {
        return ElementPlace{Family::Engines[N].gauge, bitmap, p.x, p.y, flags, next};
    }
    static constinit inline ELEMENT_NEEDLE vernier =
        needle(at(BmpVernier, VernierCentre, LitSmoothImage, nullptr),
               Family::VernierToken1 + N * EngineStride35, Family::template vernier<N>,
               VernierPivot, VernierScale, std::size(VernierScale), 0);
    static constinit inline ELEMENT_HEADER* pointerNext[] = {&vernier.header, nullptr};
    static constinit inline ELEMENT_NEEDLE pointer =
        needle(at(BmpPointer, PointerCentre, LitSmoothImage, pointerNext),
               Family::PointerToken1 + N * EngineStride19, Family::template pointer<N>,
               PointerPivot, PointerScale, std::size(PointerScale), PointerRate);
    static constinit inline ELEMENT_HEADER* overlayNext[] = {&pointer.header, nullptr};
    static constinit inline ELEMENT_STATIC_IMAGE overlay =
        staticImage(at(Family::Overlay, {0, 0}, LitImage, overlayNext));
    static constinit inline ELEMENT_HEADER* faceNext[] = {&overlay, nullptr};
    static constinit inline ELEMENT_STATIC_IMAGE face =
        staticImage(at(BmpFace, {0, 0}, ImageTransparent, faceNext));
    static constinit inline ELEMENT_HEADER* elements[] = {&face, nullptr};

    static constinit inline TOOLTIP_ARG tooltipArgs[] = {
        tooltipArg(Family::VernierToken1 + N * EngineStride35, Family::tooltipValue)};
    static constinit inline MOUSE_RECT mouse[] = {
        mouseParent(30, 30, 250, 250, Family::HelpId),
        mouseTooltip(Family::Engines[N].tooltip, 1, tooltipArgs),
        mouseEndParent(),
        mouseEnd(),
    };
};

// Engine 1's gauges have no gauge callback; the others noServiceAction.

template <typename Family, int N>
constexpr GAUGE_HEADER header(const char* name) {
    return makeGaugeHeader(name, 100, Records<Family, N>::elements, Records<Family, N>::mouse,
                           N == 0 ? nullptr : noServiceAction);
}

}  // namespace tachometer
