// libFuzzer target for the offset client facing a hostile server: the input
// queues reads and writes of any sizes, picks the server's reply, and gives
// the bytes the server leaves in the answered block (up to all 32,768). The
// client must copy answers only into the destinations it was given, within
// their sizes, never step outside the block, and keep the destinations as they
// were when the batch fails. AddressSanitizer sees every destination as a heap
// block of exactly its size.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ipc/ipc_client.h"
#include "platform/linux/stand_in.h"

namespace {

constexpr size_t BlockSize = 32768;
constexpr uint32_t ServerVersion = 0x19980005;
constexpr uint32_t SimVersion = 0xFADE0007;
// Where the handshake's two reads have their answers: after the first read's
// 16-byte header, and after the second's.
constexpr size_t ServerVersionAnswer = 16;
constexpr size_t SimVersionAnswer = 16 + 4 + 16;

UINT message = 0;
bool handshake = true;
const uint8_t* leftBehind = nullptr;
size_t leftBehindSize = 0;
LRESULT reply = 1;

LRESULT CALLBACK serverProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg != message) return DefWindowProcA(hwnd, msg, wparam, lparam);
    char name[256] = {};
    if (GlobalGetAtomNameA(static_cast<ATOM>(wparam), name, sizeof name) == 0) return 0;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
    if (!mapping) return 0;
    auto* block = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    if (block) {
        if (handshake) {
            std::memcpy(block + ServerVersionAnswer, &ServerVersion, 4);
            std::memcpy(block + SimVersionAnswer, &SimVersion, 4);
        } else {
            std::memcpy(block, leftBehind, leftBehindSize < BlockSize ? leftBehindSize : BlockSize);
        }
        UnmapViewOfFile(block);
    }
    CloseHandle(mapping);
    return handshake ? 1 : reply;
}

bool connect() {
    twplat::reset();
    WNDCLASSA wc{};
    wc.lpfnWndProc = serverProc;
    wc.lpszClassName = "UIPCMAIN";
    RegisterClassA(&wc);
    CreateWindowExA(0, "UIPCMAIN", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    message = RegisterWindowMessageA("FsasmLib:IPC");
    uint32_t result = 0;
    bool open = ipcOpen(7, &result);
    handshake = false;
    return open;
}

struct Input {
    const uint8_t* at;
    size_t left;
    uint8_t byte() {
        if (left == 0) return 0;
        --left;
        return *at++;
    }
    uint32_t u16() { return byte() | (uint32_t{byte()} << 8); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static const bool connected = connect();
    if (!connected) __builtin_trap();

    Input in{bytes, size};
    const int entries = in.byte() % 48;
    reply = in.byte() < 224 ? 1 : in.byte();
    struct Read {
        std::vector<uint8_t> destination;
        bool given;
    };
    std::vector<Read> reads;
    reads.reserve(entries);
    uint8_t source[2048] = {};
    uint32_t result = 0;
    for (int i = 0; i < entries; ++i) {
        const uint8_t kind = in.byte();
        const uint32_t length = in.u16() % 2048;
        const uint32_t offset = in.u16() | (in.u16() << 16);
        if (kind & 1) {
            ipcWrite(offset, length, source, &result);
            continue;
        }
        reads.push_back({std::vector<uint8_t>(length, 0xA5), (kind & 2) == 0});
        Read& r = reads.back();
        ipcRead(offset, length, r.given ? r.destination.data() : nullptr, &result);
    }
    leftBehind = in.at;
    leftBehindSize = in.left;

    const bool answered = ipcProcess(&result);
    if (IpcNext != IpcView) __builtin_trap();  // the queue is empty again
    for (const Read& r : reads) {
        // A failed batch and a read without a destination change nothing.
        if (answered && r.given) continue;
        for (uint8_t b : r.destination)
            if (b != 0xA5) __builtin_trap();
    }
    return 0;
}
