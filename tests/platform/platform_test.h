// Shared set-up of the stand-in tests: a clean system for every test.
#pragma once

#if !defined(_WIN32)

#include <gtest/gtest.h>

#include "platform/linux/stand_in.h"

class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override { twplat::reset(); }
    void TearDown() override { twplat::reset(); }

    // A top-level window (or a child of parent) of the class, which is
    // registered with proc on first use.
    static HWND makeWindow(const char* cls, const char* title, WNDPROC proc = DefWindowProcA,
                           HWND parent = nullptr) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.lpszClassName = cls;
        RegisterClassA(&wc);
        return CreateWindowExA(0, cls, title, 0, 0, 0, 0, 0, parent, nullptr, nullptr, nullptr);
    }
};

#endif
