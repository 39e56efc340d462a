// Gauge headers for records a test builds: like the module's, but without the
// module's generic routines, which live in the library and not in the test.
#pragma once

#include "framework/host_records.h"

inline constexpr GAUGE_HEADER testGaugeHeader(const char* name, uint32_t width_mm,
                                              ELEMENT_HEADER** elements, MOUSE_RECT* mouse) {
    GAUGE_HEADER h{};
    h.gauge_header_version = GaugeHeaderVersion;
    h.gauge_name = name;
    h.elements_list = elements;
    h.size_x_mm = width_mm;
    h.mouse_rect = mouse;
    return h;
}
