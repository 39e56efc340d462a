// Thunks the binding tables are made of; for the binding files only.
#pragma once

#include "host/peload/pe_bindings.h"

namespace tw::pe {

// A Windows routine called in stdcall, forwarded to the stand-in's routine of
// the same name and signature.
template <auto F>
struct Stdcall;
template <typename R, typename... A, R (*F)(A...)>
struct Stdcall<F> {
    static R TW_PE_STDCALL call(A... a) { return F(a...); }
};

// A C library routine called in cdecl, forwarded with a realigned stack.
template <auto F>
struct Cdecl;
template <typename R, typename... A, R (*F)(A...)>
struct Cdecl<F> {
    static R TW_PE_CDECL call(A... a) { return F(a...); }
};

template <typename Fn>
constexpr const void* routine(Fn* fn) {
    return reinterpret_cast<const void*>(fn);
}

}  // namespace tw::pe

// A binding of a stand-in routine by its Windows name.
#define TW_PE_FORWARD(name)                                           \
    {                                                                 \
#name, ::tw::pe::routine(&::tw::pe::Stdcall <&::name>::call), \
            ::tw::pe::Convention::Stdcall, false                      \
    }
// A binding of a routine of the loader's own.
#define TW_PE_OWN(name, fn) \
    { name, ::tw::pe::routine(&fn), ::tw::pe::Convention::Stdcall, false }
