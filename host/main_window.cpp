#include "host/main_window.h"

#include "host/host_instance.h"

#if !defined(_WIN32)
#include "platform/linux/stand_in.h"
#endif

namespace tw {

namespace {

constexpr const char* MainClass = "FS2KMAIN";

LRESULT CALLBACK mainProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}

}  // namespace

MainWindow::MainWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = mainProc;
    wc.hInstance = hostInstance();
    wc.lpszClassName = MainClass;
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, MainClass, "Tarnwick host", 0, 0, 0, 0, 0, nullptr, nullptr,
                              wc.hInstance, nullptr);
#if !defined(_WIN32)
    twplat::setActiveWindow(window_);
#endif
}

MainWindow::~MainWindow() {
    DestroyWindow(window_);
    UnregisterClassA(MainClass, hostInstance());
}

void MainWindow::runFor(uint32_t ms) {
#if defined(_WIN32)
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(1);
    }
#else
    twplat::advanceClock(ms);
#endif
}

void MainWindow::runTimerPeriod(uint32_t ms) {
#if defined(_WIN32)
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < 2 * ms) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
            if (msg.message == WM_TIMER && msg.hwnd == window_) return;
        }
        Sleep(1);
    }
#else
    twplat::advanceClock(ms);
#endif
}

}  // namespace tw
