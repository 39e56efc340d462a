// What a test reaches inside the loaded module beyond its exports: the Linux
// module exports its globals and routines by their plain names.
#pragma once

#include <gtest/gtest.h>

#include "host/host.h"

template <typename Fn>
Fn moduleFn(tw::Host& host, const char* name) {
    return reinterpret_cast<Fn>(host.module().symbol(name));
}

template <typename T>
T& moduleVar(tw::Host& host, const char* name) {
    return *static_cast<T*>(host.module().symbol(name));
}

// The Windows DLL exports only Linkage and ImportTable: there the module's
// insides are out of a test's reach.
#define SKIP_WITHOUT_MODULE_SYMBOLS(host)          \
    if (!(host).module().symbol("PowerAvailable")) \
    GTEST_SKIP() << "the module exports only Linkage and ImportTable"
