// A tiny module for the PE loader's tests, built by the win32 toolchain with
// no runtime at all, in three variants:
//   TW_TINY_UNBOUND   imports a routine the loader has no binding for
//   TW_TINY_REFUSING  its entry routine refuses DLL_PROCESS_ATTACH
//   (neither)         loads; its module_init takes one argument more than
//                     the host passes, and it exports routines whose result
//                     types the host's checks must tell apart
// Whatever its entry routine runs leaves a global atom behind.

#include <windows.h>

#include "framework/host_records.h"

namespace {

void HOSTAPI moduleDeinit() {}

// Declared with an argument the host never passes: the routine pops four
// bytes too many.
void HOSTAPI moduleInitTakingAnArgument(uint32_t) {}

}  // namespace

extern "C" {

__declspec(dllexport) IMPORT_TABLE ImportTable = {{{ImportPanelsId, nullptr}, {0, nullptr}}};
__declspec(dllexport) LINKAGE Linkage = {
    LinkageModuleId,
    reinterpret_cast<ModuleRoutine>(moduleInitTakingAnArgument),
    moduleDeinit,
    0,
    0,
    LinkageVersion,
    {nullptr},
};

__declspec(dllexport) double HOSTAPI tinyHalf(uint32_t value) { return value / 2.0; }
__declspec(dllexport) int32_t HOSTAPI tinyTwice(uint32_t value) {
    return static_cast<int32_t>(value * 2);
}
__declspec(dllexport) int32_t __cdecl tinyCdeclTwice(uint32_t value) {
    return static_cast<int32_t>(value * 2);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) GlobalAddAtomA("tiny module ran");
#if defined(TW_TINY_UNBOUND)
    if (reason == 0x7FFFFFFF) Beep(440, 10);
#endif
#if defined(TW_TINY_REFUSING)
    return FALSE;
#else
    return TRUE;
#endif
}

}  // extern "C"
