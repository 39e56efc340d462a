// The module's two exports, Linkage and ImportTable, the generic routines every
// gauge header names, the module start and stop routines and the library entry.
//
// Reads: nothing. Sends: the element-list services, always with the first
// element of the first gauge (FLOOD_SW), whatever gauge the host is serving.

#include "framework/gauge.h"
#include "platform/windows_api.h"

#define TW_GAUGE(name) extern GAUGE_HEADER gauge_##name;
#include "framework/gauge_list.h"
#undef TW_GAUGE

namespace {

void HOSTAPI moduleInit() {}
void HOSTAPI moduleDeinit() {}

// The element the generic routines hand to the host. The master gauge stays
// first in Linkage because of this.
ELEMENT_HEADER* masterElement() {
    GAUGE_HEADER* master = Linkage.gauge_table[0];
    return master->elements_list ? master->elements_list[0] : nullptr;
}

}  // namespace

extern "C" {

IMPORT_TABLE ImportTable = {{{ImportPanelsId, nullptr}, {0, nullptr}}};

LINKAGE Linkage = {
    LinkageModuleId,
    moduleInit,
    moduleDeinit,
    0,
    0,
    LinkageVersion,
    {
#define TW_GAUGE(name) &gauge_##name,
#include "framework/gauge_list.h"
#undef TW_GAUGE
        nullptr,
    },
};

// The operating system's entry: nothing to set up, success for every reason.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

}  // extern "C"

// A failure never stops the module: without the host's table these do nothing.
void HOSTAPI generic_query() {
    if (PANEL_SERVICES* s = panelServices()) s->element_list_query(masterElement());
}
void HOSTAPI generic_install(uint32_t arg) {
    if (PANEL_SERVICES* s = panelServices()) s->element_list_install(masterElement(), arg);
}
void HOSTAPI generic_initialize() {
    if (PANEL_SERVICES* s = panelServices()) s->element_list_initialize(masterElement());
}
void HOSTAPI generic_update() {
    if (PANEL_SERVICES* s = panelServices()) s->element_list_update(masterElement());
}
void HOSTAPI generic_generate(uint32_t arg) {
    if (PANEL_SERVICES* s = panelServices()) s->element_list_generate(masterElement(), arg);
}
void HOSTAPI generic_draw() {
    if (PANEL_SERVICES* s = panelServices()) s->element_list_plot(masterElement());
}
void HOSTAPI generic_kill() {
    if (PANEL_SERVICES* s = panelServices()) s->element_list_kill(masterElement());
}
