// What a Windows image's imports are bound to on the 32-bit Linux host: one
// table per DLL. KERNEL32, USER32 and dsound routines are stdcall thunks onto
// the Linux stand-in of libtwplatform (or small implementations of their
// own where the stand-in has nothing, as for the critical sections a single
// thread never contends for); msvcrt routines are cdecl thunks onto the C
// library, with Windows' own layouts where they differ (16-bit wide
// characters, the FILE array, the locale record). DirectSound's objects are
// handed out as COM objects: tables of stdcall methods over the stand-in's
// buffers.
#pragma once

#include <cstddef>
#include <string_view>

#include "host/peload/pe_call.h"

namespace tw::pe {

struct Binding {
    const char* name;
    const void* address;  // a routine, or for data the variable
    Convention convention;
    bool data;
};

struct BindingTable {
    const char* dll;  // "KERNEL32.dll"
    const Binding* entries;
    size_t count;
};

// The binding of a DLL's export, or null when the loader has none. DLL names
// compare without regard to case, with or without ".dll".
const Binding* findBinding(std::string_view dll, std::string_view name);

// The handle GetModuleHandle gives for a bound DLL, or null; and back.
const void* dllHandle(std::string_view dll);
const BindingTable* tableOfHandle(const void* handle);

// Every bound DLL's table.
const BindingTable* const* bindingTables(size_t* count);

// An image is gone: what the bindings hold for its code goes too (the timer
// procedures the stand-in would call, and once no image is left the
// DirectSound objects handed out).
void forgetImage(const void* base, size_t size, bool last_image);

extern const BindingTable Kernel32Bindings;
extern const BindingTable User32Bindings;
extern const BindingTable DsoundBindings;
extern const BindingTable MsvcrtBindings;

// The part of the DirectSound bindings the image's unload clears.
void forgetSoundObjects();
// The part of the USER32 bindings an image's unload clears.
void forgetTimerProcedures(const void* base, size_t size);

}  // namespace tw::pe
