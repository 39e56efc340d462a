// The simulator's main window, class "FS2KMAIN", on which the module runs its
// systems timer, and the pump that delivers that timer's ticks.
#pragma once

#include <cstdint>

#include "platform/windows_api.h"

namespace tw {

class MainWindow {
public:
    MainWindow();
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND window() const { return window_; }
    // Lets ms of time pass with the message loop running: on Linux on the
    // virtual clock, at once; on Windows in real time.
    void runFor(uint32_t ms);
    // One period of a timer on this window: on Linux ms of the virtual clock;
    // on Windows until one WM_TIMER for this window has been dispatched, so
    // that exactly one tick runs whatever the system's timer granularity, or
    // twice the period when none comes (no timer is set).
    void runTimerPeriod(uint32_t ms);

private:
    HWND window_ = nullptr;
};

}  // namespace tw
