#if !defined(_WIN32)

#include <unistd.h>

#include <string>
#include <vector>

#include "tests/platform/platform_test.h"

namespace windows_test {

namespace {

std::vector<UINT> heard;
LPVOID createParam = nullptr;

LRESULT CALLBACK listener(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    heard.push_back(msg);
    if (msg == WM_CREATE) {
        createParam = reinterpret_cast<CREATESTRUCTA*>(l)->lpCreateParams;
    }
    if (msg == WM_USER) return static_cast<LRESULT>(w + static_cast<WPARAM>(l));
    return DefWindowProcA(hwnd, msg, w, l);
}

LRESULT CALLBACK refusesCreate(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_CREATE) return -1;
    return DefWindowProcA(hwnd, msg, w, l);
}

// Answers after three seconds of its own work.
LRESULT CALLBACK slowServer(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_USER) {
        Sleep(3000);
        return 1;
    }
    return DefWindowProcA(hwnd, msg, w, l);
}

class Windows : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        heard.clear();
    }
};

TEST_F(Windows, ClassesCreationAndDestruction) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = listener;
    wc.lpszClassName = "UIPCMAIN";
    const ATOM atom = RegisterClassA(&wc);
    EXPECT_GE(atom, 0xC000);
    EXPECT_EQ(RegisterClassA(&wc), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);

    EXPECT_EQ(
        CreateWindowExA(0, "NOSUCHCLASS", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr),
        nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);

    int param = 0;
    HWND w =
        CreateWindowExA(0, "uipcmain", "Server", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, &param);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(heard, (std::vector<UINT>{WM_NCCREATE, WM_CREATE}));
    EXPECT_EQ(createParam, &param);
    // By the atom as well as by name.
    HWND child =
        CreateWindowExA(0, MAKEINTATOM(atom), "Child", 0, 0, 0, 0, 0, w, nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(twplat::windows().size(), 2u);
    EXPECT_EQ(twplat::windows()[0].className, "UIPCMAIN");
    EXPECT_EQ(twplat::windows()[0].title, "Server");
    EXPECT_EQ(twplat::windows()[1].parent, w);

    EXPECT_FALSE(UnregisterClassA("UIPCMAIN", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);

    // The window hears WM_DESTROY, then its child goes, then WM_NCDESTROY.
    heard.clear();
    EXPECT_TRUE(DestroyWindow(w));
    EXPECT_EQ(heard, (std::vector<UINT>{WM_DESTROY, WM_DESTROY, WM_NCDESTROY, WM_NCDESTROY}));
    EXPECT_TRUE(twplat::windows().empty());
    EXPECT_FALSE(DestroyWindow(w));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_TRUE(UnregisterClassA("UIPCMAIN", nullptr));

    // A procedure that refuses WM_CREATE leaves no window.
    EXPECT_EQ(makeWindow("REFUSER", "", refusesCreate), nullptr);
    EXPECT_TRUE(twplat::windows().empty());
}

TEST_F(Windows, FindingWindows) {
    HWND older = makeWindow("UIPCMAIN", "First");
    HWND newer = makeWindow("UIPCMAIN", "Second");
    HWND main = makeWindow("FS2KMAIN", "Flight");
    HWND child = makeWindow("FS98MAIN", "Inner", DefWindowProcA, main);

    EXPECT_EQ(FindWindowA("FS2KMAIN", nullptr), main);
    EXPECT_EQ(FindWindowA("fs2kmain", nullptr), main);
    EXPECT_EQ(FindWindowA(nullptr, "FIRST"), older);
    EXPECT_EQ(FindWindowA("UIPCMAIN", "Second"), newer);
    EXPECT_EQ(FindWindowA("FS2KMAIN", "Second"), nullptr);
    EXPECT_EQ(FindWindowA("UIPCMAIN", ""), nullptr);

    // Top-level windows only, from the top of the Z order (newest) down.
    EXPECT_EQ(FindWindowExA(nullptr, nullptr, "UIPCMAIN", nullptr), newer);
    EXPECT_EQ(FindWindowExA(nullptr, newer, "UIPCMAIN", nullptr), older);
    EXPECT_EQ(FindWindowExA(nullptr, older, "UIPCMAIN", nullptr), nullptr);
    EXPECT_EQ(FindWindowA("FS98MAIN", nullptr), nullptr);
    EXPECT_EQ(FindWindowExA(main, nullptr, "FS98MAIN", nullptr), child);
    EXPECT_EQ(FindWindowExA(main, nullptr, nullptr, nullptr), child);

    DestroyWindow(newer);
    EXPECT_EQ(FindWindowExA(nullptr, nullptr, "UIPCMAIN", nullptr), older);
}

TEST_F(Windows, MessagesAndTheirFailures) {
    const UINT ipc = RegisterWindowMessageA("FsasmLib:IPC");
    EXPECT_GE(ipc, 0xC000u);
    EXPECT_LE(ipc, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessageA("fsasmlib:ipc"), ipc);
    EXPECT_NE(RegisterWindowMessageA("FsasmLib:Other"), ipc);
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);

    HWND w = makeWindow("UIPCMAIN", "", listener);
    EXPECT_EQ(SendMessageA(w, WM_USER, 40, 2), 42);
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(w, WM_USER, 5, 6, SMTO_BLOCK, 2000, &answer), 0);
    EXPECT_EQ(answer, 11u);
    EXPECT_EQ(twplat::now(), 0u);

    // A missing target fails at once.
    HWND gone = makeWindow("GONE", "");
    DestroyWindow(gone);
    SetLastError(0);
    EXPECT_EQ(SendMessageTimeoutA(gone, WM_USER, 0, 0, SMTO_BLOCK, 2000, &answer), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(SendMessageA(nullptr, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(twplat::now(), 0u);

    // A hung target costs its time-out, and hears nothing.
    EXPECT_TRUE(twplat::setWindowHung(w, true));
    EXPECT_TRUE(twplat::windows()[0].hung);
    heard.clear();
    answer = 99;
    EXPECT_EQ(SendMessageTimeoutA(w, WM_USER, 1, 1, SMTO_BLOCK, 2000, &answer), 0);
    EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
    EXPECT_EQ(twplat::now(), 2000u);
    EXPECT_EQ(answer, 99u);
    EXPECT_EQ(SendMessageTimeoutA(w, WM_USER, 1, 1, SMTO_ABORTIFHUNG, 2000, &answer), 0);
    EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
    EXPECT_EQ(twplat::now(), 2000u);
    EXPECT_TRUE(heard.empty());
    twplat::setWindowHung(w, false);
    EXPECT_NE(SendMessageTimeoutA(w, WM_USER, 1, 1, SMTO_BLOCK, 2000, &answer), 0);
    EXPECT_EQ(answer, 2u);

    // A target that works longer than the caller waits times out too.
    HWND slow = makeWindow("SLOW", "", slowServer);
    EXPECT_EQ(SendMessageTimeoutA(slow, WM_USER, 0, 0, SMTO_BLOCK, 2000, &answer), 0);
    EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
    EXPECT_NE(SendMessageTimeoutA(slow, WM_USER, 0, 0, SMTO_BLOCK, 4000, &answer), 0);
}

TEST_F(Windows, ActiveWindowAndProcessId) {
    EXPECT_EQ(GetActiveWindow(), nullptr);
    HWND w = makeWindow("PANEL", "");
    twplat::setActiveWindow(w);
    EXPECT_EQ(GetActiveWindow(), w);
    DestroyWindow(w);
    EXPECT_EQ(GetActiveWindow(), nullptr);

    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
    twplat::setProcessId(0x1A2C);
    EXPECT_EQ(GetCurrentProcessId(), 0x1A2Cu);
    twplat::setProcessId(0);
    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));

    SetLastError(1234);
    EXPECT_EQ(GetLastError(), 1234u);
}

}  // namespace

}  // namespace windows_test

#endif
