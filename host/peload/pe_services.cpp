#include "host/peload/pe_services.h"

#include "host/peload/pe_call.h"

namespace tw::pe {

namespace {

PANEL_SERVICES* target = nullptr;
PANEL_SERVICES table{};

void TW_PE_STDCALL query(ELEMENT_HEADER* e) { target->element_list_query(e); }
void TW_PE_STDCALL install(ELEMENT_HEADER* e, uint32_t a) { target->element_list_install(e, a); }
void TW_PE_STDCALL initialize(ELEMENT_HEADER* e) { target->element_list_initialize(e); }
void TW_PE_STDCALL update(ELEMENT_HEADER* e) { target->element_list_update(e); }
void TW_PE_STDCALL generate(ELEMENT_HEADER* e, uint32_t a) { target->element_list_generate(e, a); }
void TW_PE_STDCALL plot(ELEMENT_HEADER* e) { target->element_list_plot(e); }
void TW_PE_STDCALL erase(ELEMENT_HEADER* e) { target->element_list_erase(e); }
void TW_PE_STDCALL kill(ELEMENT_HEADER* e) { target->element_list_kill(e); }
int32_t TW_PE_STDCALL triggerKeyEvent(uint32_t id, uint32_t value) {
    return target->trigger_key_event(id, value);
}
void TW_PE_STDCALL lookupVar(MODULE_VAR* var) { target->lookup_var(var); }
int32_t TW_PE_STDCALL executeCalculatorCode(const char* expression, double* result,
                                            int32_t* int_result, const char** string_result) {
    return target->execute_calculator_code(expression, result, int_result, string_result);
}

// The table's slot types name the host's convention; these entries are stdcall.
template <typename Slot, typename Fn>
void fill(Slot& slot, bool host_has_it, Fn* entry) {
    slot = host_has_it ? reinterpret_cast<Slot>(entry) : nullptr;
}

}  // namespace

PANEL_SERVICES* stdcallServices(PANEL_SERVICES* host) {
    target = host;
    table = PANEL_SERVICES{};
    fill(table.element_list_query, host->element_list_query != nullptr, query);
    fill(table.element_list_install, host->element_list_install != nullptr, install);
    fill(table.element_list_initialize, host->element_list_initialize != nullptr, initialize);
    fill(table.element_list_update, host->element_list_update != nullptr, update);
    fill(table.element_list_generate, host->element_list_generate != nullptr, generate);
    fill(table.element_list_plot, host->element_list_plot != nullptr, plot);
    fill(table.element_list_erase, host->element_list_erase != nullptr, erase);
    fill(table.element_list_kill, host->element_list_kill != nullptr, kill);
    fill(table.trigger_key_event, host->trigger_key_event != nullptr, triggerKeyEvent);
    fill(table.lookup_var, host->lookup_var != nullptr, lookupVar);
    fill(table.execute_calculator_code, host->execute_calculator_code != nullptr,
         executeCalculatorCode);
    return &table;
}

}  // namespace tw::pe
