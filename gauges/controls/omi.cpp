// OMI: the marker beacon lights, one lamp picture per marker. Display only,
// with no gauge callback.
//
// Reads: 354 (marker beacon: 0 none, 1..3 the three markers). Sends: nothing.
// Shares: PowerAvailable (read).

#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/truncate.h"

extern GAUGE_HEADER gauge_OMI;

namespace {

constexpr int32_t MarkerCount = 3;

constexpr uint32_t BmpFace = 9040;
constexpr uint32_t BmpMarkers = 9056;

// ---- Element callbacks ------------------------------------------------------

// Marker n lights image n - 1; no marker, no power, or a reading that names
// no marker of the three, lights none.
double HOSTAPI markerLight(ELEMENT_HEADER* e) {
    const int32_t marker = truncToInt(refreshVar(elementAs<ELEMENT_ICON>(e)->source_var));
    if (PowerAvailable != 1 || marker < 1 || marker > MarkerCount) return -1.0;
    return marker - 1;
}

// ---- Records ----------------------------------------------------------------

constinit ELEMENT_ICON markers =
    icon({&gauge_OMI, BmpMarkers, 0, 0, ImageLuminous | ImageErase | ImageTransparent},
         hostvar::MarkerBeacon, markerLight, MarkerCount);
constinit ELEMENT_HEADER* faceNext[] = {&markers.header, nullptr};
constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_OMI, BmpFace, 0, 0, ImageTransparent, faceNext});
constinit ELEMENT_HEADER* omiElements[] = {&face, nullptr};

constinit MOUSE_RECT omiMouse[] = {
    mouseParent(0, 0, 0, 0),
    mouseTooltip("Marker Beacon Lights"),
    mouseEndParent(),
    mouseEnd(),
};

}  // namespace

constinit GAUGE_HEADER gauge_OMI = makeGaugeHeader("OMI", 100, omiElements, omiMouse, nullptr);
