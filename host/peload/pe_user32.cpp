// USER32 for Windows images: the stand-in's windows, messages and timers, all
// stdcall. A timer procedure of the image is stdcall too, while the stand-in
// calls procedures in the host's convention: SetTimer hands the stand-in an
// adapter that calls the image's procedure through a checked call.

#include "host/peload/pe_thunks.h"
#include "platform/linux/win32.h"

namespace tw::pe {

namespace {

// Distinct timer procedures of the loaded images; the module has one.
constexpr int AdapterCount = 8;
const void* timerTargets[AdapterCount] = {};

template <int I>
VOID CALLBACK timerAdapter(HWND hwnd, UINT message, UINT_PTR id, DWORD time) {
    // A timer that outlives its image's code finds its slot empty.
    if (const void* target = timerTargets[I]) {
        checkedCall(target, Convention::Stdcall,
                    {static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd)), message,
                     static_cast<uint32_t>(id), time},
                    false, "the image's timer procedure");
    }
}

constexpr TIMERPROC Adapters[AdapterCount] = {timerAdapter<0>, timerAdapter<1>, timerAdapter<2>,
                                              timerAdapter<3>, timerAdapter<4>, timerAdapter<5>,
                                              timerAdapter<6>, timerAdapter<7>};

// The adapter for a procedure of the image, or null when every one is taken.
TIMERPROC adapterFor(const void* procedure) {
    for (int i = 0; i < AdapterCount; ++i)
        if (timerTargets[i] == procedure) return Adapters[i];
    for (int i = 0; i < AdapterCount; ++i) {
        if (!timerTargets[i]) {
            timerTargets[i] = procedure;
            return Adapters[i];
        }
    }
    return nullptr;
}

UINT_PTR TW_PE_STDCALL setTimer(HWND hwnd, UINT_PTR id, UINT elapse, const void* procedure) {
    TIMERPROC adapter = nullptr;
    if (procedure) {
        adapter = adapterFor(procedure);
        if (!adapter) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
    }
    return SetTimer(hwnd, id, elapse, adapter);
}

const Binding Entries[] = {
    TW_PE_FORWARD(FindWindowA),
    TW_PE_FORWARD(FindWindowExA),
    TW_PE_FORWARD(GetActiveWindow),
    TW_PE_FORWARD(KillTimer),
    TW_PE_FORWARD(RegisterWindowMessageA),
    TW_PE_FORWARD(SendMessageA),
    TW_PE_FORWARD(SendMessageTimeoutA),
    TW_PE_OWN("SetTimer", setTimer),
};

}  // namespace

void forgetTimerProcedures(const void* base, size_t size) {
    auto from = reinterpret_cast<uintptr_t>(base);
    for (const void*& target : timerTargets) {
        auto at = reinterpret_cast<uintptr_t>(target);
        if (target && at >= from && at - from < size) target = nullptr;
    }
}

const BindingTable User32Bindings = {"USER32.dll", Entries, sizeof Entries / sizeof Entries[0]};

}  // namespace tw::pe
