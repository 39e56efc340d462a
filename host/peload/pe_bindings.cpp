#include "host/peload/pe_bindings.h"

#include <string>

namespace tw::pe {

namespace {

bool sameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string_view withoutDll(std::string_view dll) {
    if (dll.size() > 4 && sameNoCase(dll.substr(dll.size() - 4), ".dll")) dll.remove_suffix(4);
    return dll;
}

const BindingTable* const Tables[] = {&Kernel32Bindings, &User32Bindings, &DsoundBindings,
                                      &MsvcrtBindings};

constexpr size_t tableCount() { return sizeof Tables / sizeof Tables[0]; }

const BindingTable* tableFor(std::string_view dll) {
    for (size_t i = 0; i < tableCount(); ++i)
        if (sameNoCase(withoutDll(dll), withoutDll(Tables[i]->dll))) return Tables[i];
    return nullptr;
}

}  // namespace

const Binding* findBinding(std::string_view dll, std::string_view name) {
    const BindingTable* t = tableFor(dll);
    if (!t) return nullptr;
    for (size_t i = 0; i < t->count; ++i)
        if (name == t->entries[i].name) return &t->entries[i];
    return nullptr;
}

const void* dllHandle(std::string_view dll) { return tableFor(dll); }

const BindingTable* tableOfHandle(const void* handle) {
    for (size_t i = 0; i < tableCount(); ++i)
        if (handle == Tables[i]) return Tables[i];
    return nullptr;
}

const BindingTable* const* bindingTables(size_t* count) {
    *count = tableCount();
    return Tables;
}

void forgetImage(const void* base, size_t size, bool last_image) {
    forgetTimerProcedures(base, size);
    if (last_image) forgetSoundObjects();
}

}  // namespace tw::pe
