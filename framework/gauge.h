// What every gauge file builds its records with: the gauge header, element
// records and mouse rectangles as constant-initialised data, and the services
// the host gave the module.
#pragma once

#include "framework/host_records.h"

// Written by the host before any call into the module.
extern "C" IMPORT_TABLE ImportTable;
extern "C" LINKAGE Linkage;

// The host's services; null only before the host has filled ImportTable.
inline PANEL_SERVICES* panelServices() {
    return static_cast<PANEL_SERVICES*>(ImportTable.entries[0].table);
}

// Refreshes a host variable's record and returns its value; without the host's
// table the record keeps its last reading.
inline double refreshVar(MODULE_VAR& var) {
    if (PANEL_SERVICES* s = panelServices()) s->lookup_var(&var);
    return var.var_value;
}

// Sends a simulator event; the host's answer is of no use to the module.
inline void sendEvent(uint32_t event_id, uint32_t value) {
    if (PANEL_SERVICES* s = panelServices()) s->trigger_key_event(event_id, value);
}

// The seven routines every gauge header names.
void HOSTAPI generic_query();
void HOSTAPI generic_install(uint32_t arg);
void HOSTAPI generic_initialize();
void HOSTAPI generic_update();
void HOSTAPI generic_generate(uint32_t arg);
void HOSTAPI generic_draw();
void HOSTAPI generic_kill();

// A header without the generic routines, for records that live outside the
// module (a host's tests build such gauges).
constexpr GAUGE_HEADER bareGaugeHeader(const char* name, uint32_t width_mm,
                                       ELEMENT_HEADER** elements, MOUSE_RECT* mouse,
                                       GaugeCallback callback = nullptr) {
    GAUGE_HEADER h{};
    h.gauge_header_version = GaugeHeaderVersion;
    h.gauge_name = name;
    h.elements_list = elements;
    h.size_x_mm = width_mm;
    h.mouse_rect = mouse;
    h.gauge_callback = callback;
    return h;
}

constexpr GAUGE_HEADER makeGaugeHeader(const char* name, uint32_t width_mm,
                                       ELEMENT_HEADER** elements, MOUSE_RECT* mouse,
                                       GaugeCallback callback) {
    GAUGE_HEADER h = bareGaugeHeader(name, width_mm, elements, mouse, callback);
    h.query_routine = generic_query;
    h.install_routine = generic_install;
    h.initialize_routine = generic_initialize;
    h.update_routine = generic_update;
    h.generate_routine = generic_generate;
    h.draw_routine = generic_draw;
    h.kill_routine = generic_kill;
    return h;
}

// The gauge callback of a gauge that has nothing to do on any service.
inline void HOSTAPI noServiceAction(GAUGE_HEADER*, int32_t, uintptr_t) {}

// ---- Element records --------------------------------------------------------

// Where an element sits: its gauge, its bitmap, its position and flags, and the
// elements drawn on top of it.
struct ElementPlace {
    GAUGE_HEADER* gauge;
    uint32_t resource_id;
    int32_t x, y;
    uint32_t image_flags;
    ELEMENT_HEADER** next = nullptr;
    const FAILURE_RECORD* failure = nullptr;
};

constexpr ELEMENT_HEADER elementHead(ElementType type, const ElementPlace& p) {
    ELEMENT_HEADER e{};
    e.element_type = type;
    e.resource_id = p.resource_id;
    e.position = {p.x, p.y};
    e.gauge_header = p.gauge;
    e.next_element = p.next;
    e.failure_systems = p.failure;
    e.image_flags = p.image_flags;
    return e;
}

constexpr MODULE_VAR hostVar(uint32_t id) { return MODULE_VAR{id, nullptr, 0, 0.0, 0.0}; }

constexpr ELEMENT_STATIC_IMAGE staticImage(const ElementPlace& p) {
    return elementHead(ElementStaticImage, p);
}

constexpr ELEMENT_ICON icon(const ElementPlace& p, uint32_t var_id, ElementCallback cb,
                            uint32_t pictures) {
    return ELEMENT_ICON{elementHead(ElementIcon, p), hostVar(var_id), cb, pictures};
}

constexpr ELEMENT_NEEDLE needle(const ElementPlace& p, uint32_t var_id, ElementCallback cb,
                                PIXPOINT pivot, const NONLINEARITY* table, uint32_t count,
                                double max_degrees_per_update) {
    return ELEMENT_NEEDLE{elementHead(ElementNeedle, p), hostVar(var_id), cb, pivot, table, count,
                          max_degrees_per_update};
}

constexpr SCALED_SOURCE scaled(uint32_t var_id, double scale, ElementCallback cb = nullptr) {
    return SCALED_SOURCE{hostVar(var_id), scale, cb};
}

constexpr RANGED_SOURCE ranged(uint32_t var_id, double minimum, double maximum,
                               ElementCallback cb = nullptr) {
    return RANGED_SOURCE{hostVar(var_id), minimum, maximum, cb};
}

constexpr ELEMENT_SLIDER slider(const ElementPlace& p, SCALED_SOURCE x, SCALED_SOURCE y) {
    return ELEMENT_SLIDER{elementHead(ElementSlider, p), x, y};
}

constexpr ELEMENT_MOVING_IMAGE movingImage(const ElementPlace& p, uint32_t mask_id, RANGED_SOURCE x,
                                           RANGED_SOURCE y) {
    return ELEMENT_MOVING_IMAGE{elementHead(ElementMovingImage, p), mask_id, x, y};
}

constexpr ELEMENT_SPRITE sprite(const ElementPlace& p, PIXPOINT texture_center, double scale_x,
                                double scale_y, SCALED_SOURCE offset_x, SCALED_SOURCE offset_y,
                                SCALED_SOURCE rotation) {
    return ELEMENT_SPRITE{elementHead(ElementSprite, p),
                          texture_center,
                          scale_x,
                          scale_y,
                          offset_x,
                          offset_y,
                          rotation};
}

// The element callbacks' view of the record the host passed.
template <typename Element>
Element* elementAs(ELEMENT_HEADER* e) {
    return reinterpret_cast<Element*>(e);
}

// ---- Mouse rectangles -------------------------------------------------------

// The host's cursor codes for child areas.
constexpr int32_t CursorNone = -1;
constexpr int32_t CursorUpArrow = 1;    // the increasing side of a knob
constexpr int32_t CursorDownArrow = 2;  // the decreasing side of a knob

constexpr MOUSE_RECT mouseParent(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t help_id = 0) {
    return MOUSE_RECT{MouseRectParent, x, y, w, h, -1, help_id, 0, 0, {nullptr}, nullptr};
}
constexpr MOUSE_RECT mouseEndParent() {
    return MOUSE_RECT{MouseRectEndParent, 0, 0, 0, 0, -1, 0, 0, 0, {nullptr}, nullptr};
}
constexpr MOUSE_RECT mouseEnd() {
    return MOUSE_RECT{MouseRectEnd, 0, 0, 0, 0, -1, 0, 0, 0, {nullptr}, nullptr};
}
// A child area whose callback the host calls.
constexpr MOUSE_RECT mouseChild(int32_t x, int32_t y, int32_t w, int32_t h, int32_t cursor,
                                uint32_t flags, MouseCallback cb) {
    return MOUSE_RECT{MouseRectChild, x, y, w, h, cursor, 0, flags, 0, {cb}, nullptr};
}
// A child area whose event the host sends by itself.
constexpr MOUSE_RECT mouseChildEvent(int32_t x, int32_t y, int32_t w, int32_t h, int32_t cursor,
                                     uint32_t flags, uint32_t event_id) {
    return MOUSE_RECT{MouseRectChild, x, y, w, h, cursor, 0, flags, event_id, {nullptr}, nullptr};
}
constexpr MOUSE_RECT mouseTooltip(const char* text, uint32_t arg_count = 0,
                                  TOOLTIP_ARG* args = nullptr) {
    MOUSE_RECT r{MouseRectTooltip, 0, 0, 0, 0, -1, 0, 0, arg_count, {nullptr}, args};
    r.text = text;
    return r;
}

constexpr TOOLTIP_ARG tooltipArg(uint32_t var_id, TooltipNumberCallback number_cb,
                                 TooltipStringCallback string_cb = nullptr) {
    TOOLTIP_ARG a{};
    a.source_var = hostVar(var_id);
    a.number_cb = number_cb;
    a.string_cb = string_cb;
    return a;
}
