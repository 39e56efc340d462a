// Window classes, windows, registered messages and sent messages. A sent
// message is a plain call of the target's window procedure, as it is between
// windows of one thread on Windows.

#include <map>
#include <string>
#include <vector>

#include "platform/linux/internal.h"

namespace twplat {

namespace {

struct WindowClass {
    std::string name;
    ATOM atom;
    WNDPROC proc;
    HINSTANCE instance;
};

struct Window {
    HWND parent;
    std::string className;
    std::string title;
    WNDPROC proc;
    bool hung = false;
    bool destroying = false;
};

std::vector<WindowClass> classes;
// Keyed by handle value; handles only grow, so the order is that of creation.
std::map<uintptr_t, Window> windowTable;
uintptr_t nextWindow = 0x00020000;
HWND activeWindow = nullptr;

// The user atom table, which class names and registered messages share.
std::vector<std::string> userAtoms;

ATOM userAtom(std::string_view name) {
    for (size_t i = 0; i < userAtoms.size(); ++i) {
        if (detail::equalNoCase(userAtoms[i], name)) return static_cast<ATOM>(0xC000 + i);
    }
    if (userAtoms.size() >= 0x4000) return 0;
    userAtoms.emplace_back(name);
    return static_cast<ATOM>(0xC000 + userAtoms.size() - 1);
}

uintptr_t key(HWND hwnd) { return reinterpret_cast<uintptr_t>(hwnd); }

Window* findWindow(HWND hwnd) {
    auto it = windowTable.find(key(hwnd));
    return it == windowTable.end() ? nullptr : &it->second;
}

// A class given by name or by the atom RegisterClassA returned.
WindowClass* findClass(LPCSTR name) {
    for (WindowClass& c : classes) {
        if (IS_INTRESOURCE(name) ? c.atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name))
                                 : detail::equalNoCase(c.name, name)) {
            return &c;
        }
    }
    return nullptr;
}

bool classMatches(const Window& w, LPCSTR cls) {
    if (!cls) return true;
    if (IS_INTRESOURCE(cls)) {
        const WindowClass* c = findClass(cls);
        return c && detail::equalNoCase(c->name, w.className);
    }
    return detail::equalNoCase(w.className, cls);
}

void destroy(HWND hwnd) {
    Window* w = findWindow(hwnd);
    if (!w || w->destroying) return;
    w->destroying = true;
    const WNDPROC proc = w->proc;
    proc(hwnd, WM_DESTROY, 0, 0);
    // Children go after their parent has heard WM_DESTROY, before WM_NCDESTROY.
    std::vector<HWND> children;
    for (auto& [k, child] : windowTable) {
        if (child.parent == hwnd) children.push_back(reinterpret_cast<HWND>(k));
    }
    for (HWND child : children) destroy(child);
    proc(hwnd, WM_NCDESTROY, 0, 0);
    detail::killTimersOf(hwnd);
    windowTable.erase(key(hwnd));
    if (activeWindow == hwnd) activeWindow = nullptr;
}

}  // namespace

namespace detail {

bool isWindow(HWND hwnd) { return hwnd && findWindow(hwnd); }

WNDPROC windowProcOf(HWND hwnd) {
    Window* w = findWindow(hwnd);
    return w ? w->proc : nullptr;
}

void resetWindows() {
    // Nobody is told: the code behind the procedures may be gone already.
    windowTable.clear();
    classes.clear();
    userAtoms.clear();
    nextWindow = 0x00020000;
    activeWindow = nullptr;
}

}  // namespace detail

void setActiveWindow(HWND hwnd) { activeWindow = hwnd; }

bool setWindowHung(HWND hwnd, bool hung) {
    Window* w = findWindow(hwnd);
    if (!w) return false;
    w->hung = hung;
    return true;
}

std::vector<WindowInfo> windows() {
    std::vector<WindowInfo> out;
    for (const auto& [k, w] : windowTable) {
        out.push_back({reinterpret_cast<HWND>(k), w.parent, w.className, w.title, w.proc, w.hung});
    }
    return out;
}

}  // namespace twplat

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
    using namespace twplat;
    if (!lpWndClass || !lpWndClass->lpszClassName || IS_INTRESOURCE(lpWndClass->lpszClassName) ||
        !*lpWndClass->lpszClassName || !lpWndClass->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (findClass(lpWndClass->lpszClassName)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    const ATOM atom = userAtom(lpWndClass->lpszClassName);
    if (atom == 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    classes.push_back(
        {lpWndClass->lpszClassName, atom, lpWndClass->lpfnWndProc, lpWndClass->hInstance});
    return atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE) {
    using namespace twplat;
    WindowClass* c = lpClassName ? findClass(lpClassName) : nullptr;
    if (!c) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    for (const auto& [k, w] : windowTable) {
        if (detail::equalNoCase(w.className, c->name)) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
    }
    classes.erase(classes.begin() + (c - classes.data()));
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam) {
    using namespace twplat;
    const WindowClass* c = lpClassName ? findClass(lpClassName) : nullptr;
    if (!c) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (hWndParent && !detail::isWindow(hWndParent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    const HWND hwnd = reinterpret_cast<HWND>(nextWindow);
    nextWindow += 2;
    Window w;
    w.parent = hWndParent;
    w.className = c->name;
    w.title = lpWindowName ? lpWindowName : "";
    w.proc = c->proc;
    windowTable.emplace(key(hwnd), w);

    CREATESTRUCTA cs{lpParam,
                     hInstance,
                     hMenu,
                     hWndParent,
                     nHeight,
                     nWidth,
                     Y,
                     X,
                     static_cast<LONG>(dwStyle),
                     lpWindowName,
                     lpClassName,
                     dwExStyle};
    const LPARAM csArg = reinterpret_cast<LPARAM>(&cs);
    if (!w.proc(hwnd, WM_NCCREATE, 0, csArg)) {
        if (detail::isWindow(hwnd)) {
            w.proc(hwnd, WM_NCDESTROY, 0, 0);
            windowTable.erase(key(hwnd));
        }
        return nullptr;
    }
    if (w.proc(hwnd, WM_CREATE, 0, csArg) == -1) {
        destroy(hwnd);
        return nullptr;
    }
    return detail::isWindow(hwnd) ? hwnd : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    using namespace twplat;
    if (!detail::isWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    destroy(hWnd);
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM, LPARAM) {
    switch (Msg) {
        case WM_NCCREATE:
            return TRUE;
        case WM_CLOSE:
            DestroyWindow(hWnd);
            return 0;
        default:
            return 0;
    }
}

HWND WINAPI FindWindowExA(HWND hWndParent, HWND hWndChildAfter, LPCSTR lpszClass,
                          LPCSTR lpszWindow) {
    using namespace twplat;
    if ((hWndParent && !detail::isWindow(hWndParent)) ||
        (hWndChildAfter && !detail::isWindow(hWndChildAfter))) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    // Z order among siblings: the newest window is on top, so search from the
    // newest down, starting below hWndChildAfter when it is given.
    auto it = windowTable.rbegin();
    if (hWndChildAfter) {
        while (it != windowTable.rend() && reinterpret_cast<HWND>(it->first) != hWndChildAfter) {
            ++it;
        }
        if (it != windowTable.rend()) ++it;
    }
    for (; it != windowTable.rend(); ++it) {
        const Window& w = it->second;
        if (w.parent != hWndParent || w.destroying) continue;
        if (!classMatches(w, lpszClass)) continue;
        if (lpszWindow && !detail::equalNoCase(w.title, lpszWindow)) continue;
        return reinterpret_cast<HWND>(it->first);
    }
    return nullptr;
}

HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
    return FindWindowExA(nullptr, nullptr, lpClassName, lpWindowName);
}

UINT WINAPI RegisterWindowMessageA(LPCSTR lpString) {
    using namespace twplat;
    if (detail::faultHits(Fault::RegisterMessage)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (!lpString || !*lpString || std::string_view(lpString).size() > 255) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const ATOM atom = userAtom(lpString);
    if (atom == 0) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return atom;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    using namespace twplat;
    Window* w = findWindow(hWnd);
    if (!hWnd || !w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    // A real send to a hung window never returns; failing at once is the
    // nearest a single thread can come.
    if (w->hung) {
        SetLastError(ERROR_TIMEOUT);
        return 0;
    }
    return w->proc(hWnd, Msg, wParam, lParam);
}

LRESULT WINAPI SendMessageTimeoutA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags,
                                   UINT uTimeout, PDWORD_PTR lpdwResult) {
    using namespace twplat;
    Window* w = findWindow(hWnd);
    if (!hWnd || !w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (detail::faultHits(Fault::SilentSendTimeout)) {
        detail::moveClock(uTimeout);
        SetLastError(0);
        return 0;
    }
    if (w->hung) {
        if (!(fuFlags & SMTO_ABORTIFHUNG)) detail::moveClock(uTimeout);
        SetLastError(ERROR_TIMEOUT);
        return 0;
    }
    // The receiver stands for another process: if its procedure used more
    // virtual time than the caller would wait, the caller saw a time-out.
    const uint64_t start = now();
    const LRESULT answer = w->proc(hWnd, Msg, wParam, lParam);
    if (!(fuFlags & SMTO_NOTIMEOUTIFNOTHUNG) && now() - start > uTimeout) {
        SetLastError(ERROR_TIMEOUT);
        return 0;
    }
    if (lpdwResult) *lpdwResult = static_cast<DWORD_PTR>(answer);
    return 1;
}

HWND WINAPI GetActiveWindow(void) {
    return twplat::detail::isWindow(twplat::activeWindow) ? twplat::activeWindow : nullptr;
}

}  // extern "C"
