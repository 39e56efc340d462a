// Control, inspection and fault injection for the Linux stand-in of Windows and
// DirectSound. The host and the tests call these; the module never does.
//
// Time is virtual: it moves only through advanceClock, Sleep, and a send to a
// hung window. Everything is single-threaded, like the module's own window
// thread; window and timer procedures run synchronously on the caller's stack.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/linux/dsound.h"
#include "platform/linux/win32.h"

namespace twplat {

// Drops every window, class, timer, atom, registered message, handle, view,
// resource, sound object and fault, restores the real process id and the
// active window (none), and sets the clock to startMs. Code of a module that
// has been unloaded must not be left behind in timers or windows: call this
// before the next test advances the clock.
void reset(uint64_t startMs = 0);

// Milliseconds on the virtual clock; GetTickCount is its low 32 bits.
uint64_t now();

// Moves the clock forward by ms and dispatches, in time order, every timer
// that falls due up to the new time (ties: the timer armed first). A timer is
// called as WM_TIMER dispatch would: its TIMERPROC with (hwnd, WM_TIMER, id,
// GetTickCount()), or without one the window procedure with (hwnd, WM_TIMER,
// id, 0). A timer that is late (because Sleep or a procedure moved the clock
// past it) fires once, not once per missed period, and re-arms from the time it
// fired. Timers made due by a procedure that moved the clock past the target
// fire in the next call.
void advanceClock(uint64_t ms);

// What GetActiveWindow returns, as long as that window lives (null: none).
void setActiveWindow(HWND hwnd);

// What GetCurrentProcessId returns; 0 goes back to the real id.
void setProcessId(DWORD pid);

// A hung window takes no sent message: SendMessageTimeoutA waits out its
// time-out (moving the clock) and fails with ERROR_TIMEOUT, or fails at once
// with SMTO_ABORTIFHUNG; SendMessageA fails with ERROR_TIMEOUT without waiting.
// Returns false when hwnd is no live window.
bool setWindowHung(HWND hwnd, bool hung);

// ---- Faults --------------------------------------------------------------------
enum class Fault {
    NoSoundDevice,      // DirectSoundCreate fails with DSERR_NODRIVER
    CreateSoundBuffer,  // IDirectSound::CreateSoundBuffer fails with DSERR_OUTOFMEMORY
    LockSoundBuffer,    // IDirectSoundBuffer::Lock fails with DSERR_BUFFERLOST
    RegisterMessage,    // RegisterWindowMessageA returns 0 (ERROR_NOT_ENOUGH_MEMORY)
    AddAtom,            // GlobalAddAtomA returns 0 (ERROR_NOT_ENOUGH_MEMORY)
    MapView,            // MapViewOfFile returns null (ERROR_NOT_ENOUGH_MEMORY)
    SilentSendTimeout,  // SendMessageTimeoutA fails and leaves no error, as older
                        // versions of Windows did on a time-out
    Count_,
};
inline constexpr unsigned kEveryCall = ~0u;
// The next `after` calls succeed as usual, then `times` calls fail.
void injectFault(Fault fault, unsigned times = kEveryCall, unsigned after = 0);
void clearFault(Fault fault);

// ---- Resources -----------------------------------------------------------------
// Gives `module` (any handle value, including a window's or null) a resource
// that FindResourceA finds by type and name: MAKEINTRESOURCE ids or strings,
// compared as Windows does (case-insensitive; "#12" is the id 12). Replaces an
// existing resource of the same type and name.
void addResource(HMODULE module, LPCSTR type, LPCSTR name, const void* data, size_t size);

// Gives `module` the bitmaps a resource script names, as the Windows loader
// maps a DLL's resources: each `NAME BITMAP "FILE"` line (NAME a number or a
// name; FILE relative to the script's folder) becomes an RT_BITMAP resource
// holding the file without its 14-byte file header, as a resource compiler
// stores it. Other lines are skipped. Returns the number of bitmaps given; a
// missing script or file gives none of its bitmaps.
size_t loadResourceScript(HMODULE module, const std::string& script_path);

// ---- Inspection ----------------------------------------------------------------
struct WindowInfo {
    HWND hwnd;
    HWND parent;
    std::string className;
    std::string title;
    WNDPROC proc;
    bool hung;
};
// Live windows, oldest first.
std::vector<WindowInfo> windows();

struct TimerInfo {
    HWND hwnd;
    UINT_PTR id;
    UINT period;  // after clamping to USER_TIMER_MINIMUM..USER_TIMER_MAXIMUM
    TIMERPROC proc;
    uint64_t due;  // virtual time of the next firing
    uint64_t fired;
};
// Live timers, in the order they were first set.
std::vector<TimerInfo> timers();

struct AtomInfo {
    ATOM atom;
    std::string name;
    unsigned refs;
};
// Live string atoms of the global atom table, by atom.
std::vector<AtomInfo> atoms();

struct MappingInfo {
    std::string name;  // empty: unnamed
    uint64_t size;
    DWORD protect;
    std::string file;  // the mapped file's path; empty: backed by the paging file
    unsigned handles;  // open handles to the object; none: the name is no longer found
    unsigned views;    // mapped views of it
};
// Live mapping objects, oldest first.
std::vector<MappingInfo> mappings();

struct FileInfo {
    HANDLE handle;     // null once the handle is closed and only mappings hold the file
    std::string path;  // as opened on this system, after translation
    DWORD access;
    DWORD share;
    unsigned mappings;  // mapping objects that keep the file open
};
// Open file objects, oldest first.
std::vector<FileInfo> openFiles();

struct SoundDeviceInfo {
    LPDIRECTSOUND device;
    bool released;
    ULONG refs;
    DWORD cooperativeLevel;  // 0 until set
    HWND window;
};
// Every device DirectSoundCreate made since reset, oldest first.
std::vector<SoundDeviceInfo> soundDevices();

struct SoundBufferInfo {
    LPDIRECTSOUNDBUFFER buffer;
    LPDIRECTSOUND device;
    bool released;
    ULONG refs;
    DWORD flags;
    WAVEFORMATEX format;
    bool playing;
    bool looping;
    DWORD position;  // play cursor now
    LONG volume;
    LONG pan;
    DWORD frequency;
    unsigned playCalls;
    unsigned stopCalls;
    unsigned openLocks;
    unsigned callsAfterRelease;  // method calls on the buffer once released
    std::vector<BYTE> bytes;     // the buffer's contents
};
// Every buffer CreateSoundBuffer made since reset, oldest first; released
// buffers stay listed (and their objects stay valid) until the next reset.
std::vector<SoundBufferInfo> soundBuffers();

// ---- Listening -----------------------------------------------------------------
// Where something outside can make the buffers heard (the browser page's Web
// Audio): told after every Play, Stop and SetVolume that succeeded and a last release, with the
// buffer's looping flag and volume (hundredths of a decibel) as they are then.
enum class SoundEvent { Play, Stop, Volume };
using SoundListener = void (*)(LPDIRECTSOUNDBUFFER buffer, SoundEvent event, bool looping,
                               LONG volume);
// Null: nobody listens. The listener stays over reset().
void setSoundListener(SoundListener listener);
// A live or released buffer's contents and format, without a copy; null for a
// pointer that is no buffer made since the last reset.
const std::vector<BYTE>* soundBufferBytes(LPDIRECTSOUNDBUFFER buffer, WAVEFORMATEX* format);

// Where a server that keeps a view of another program's named block (the
// bundled host's offset server) learns that the block's owner has let it go:
// told when a named mapping's last handle is closed, which takes the name out
// of the namespace while views may still hold the object. The listener may
// unmap views and close handles. Null: nobody listens. The listener stays over
// reset().
using MappingListener = void (*)(const char* name);
void setMappingListener(MappingListener listener);

}  // namespace twplat
