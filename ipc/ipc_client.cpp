// The offset IPC client.
//
// A read entry carries the client's destination in a 32-bit field, which cannot
// hold a pointer on 64-bit builds and which the server could overwrite; the
// client therefore keeps its own list of queued reads and copies answers only
// where that list says, and the walk of the answered block never steps outside
// the block, whatever ids and sizes the server left in it.

#include "ipc/ipc_client.h"

#include <cstdio>
#include <cstring>

extern "C" {
HWND IpcServerWindow = nullptr;
UINT IpcMessageId = 0;
ATOM IpcAtom = 0;
HANDLE IpcMapping = nullptr;
uint8_t* IpcView = nullptr;
uint8_t* IpcNext = nullptr;
uint32_t IpcOpenCount = 0;
uint32_t IpcServerVersion = 0;
uint32_t IpcSimVersion = 0;
}

namespace {

constexpr uint32_t EntryRead = 1;
constexpr uint32_t EntryWrite = 2;
constexpr uint32_t ReadHeader = 16;
constexpr uint32_t WriteHeader = 12;
constexpr int SendAttempts = 9;
constexpr UINT SendTimeoutMs = 2000;
constexpr DWORD RetryWaitMs = 100;
constexpr int HandshakePasses = 5;
constexpr DWORD HandshakeWaitMs = 100;

// Every read entry fits in 16 bytes or more of the usable block.
constexpr size_t MaxQueuedReads = IpcBlockUsable / ReadHeader;

struct QueuedRead {
    uint32_t entry;  // offset of the entry in the block
    uint32_t size;
    void* destination;
};
QueuedRead queuedReads[MaxQueuedReads];
size_t queuedReadCount = 0;

BOOL finish(uint32_t* result, uint32_t code) {
    if (result) *result = code;
    return code == IpcOk;
}

void put32(uint8_t* at, uint32_t v) { std::memcpy(at, &v, 4); }
uint32_t get32(const uint8_t* at) {
    uint32_t v;
    std::memcpy(&v, at, 4);
    return v;
}

size_t used() { return static_cast<size_t>(IpcNext - IpcView); }

void emptyQueue() {
    IpcNext = IpcView;
    queuedReadCount = 0;
}

const QueuedRead* queuedReadAt(size_t entry) {
    for (size_t i = 0; i < queuedReadCount; ++i)
        if (queuedReads[i].entry == entry) return &queuedReads[i];
    return nullptr;
}

// Copies the answers out of the block the server handed back.
void copyAnswers() {
    size_t at = 0;
    while (at + 4 <= IpcBlockSize) {
        uint32_t id = get32(IpcView + at);
        if (id == 0) break;
        size_t header = id == EntryRead ? ReadHeader : id == EntryWrite ? WriteHeader : 0;
        if (header == 0 || at + header > IpcBlockSize) {
            put32(IpcView + at, 0);
            break;
        }
        size_t size = get32(IpcView + at + 8);
        if (size > IpcBlockSize - at - header) break;  // runs past the block
        if (id == EntryRead) {
            const QueuedRead* q = queuedReadAt(at);
            if (q && q->destination && q->size != 0 && q->size == size)
                std::memcpy(q->destination, IpcView + at + header, size);
        }
        at += header + size;
    }
}

BOOL failOpen(uint32_t* result, uint32_t code) {
    ipcClose();
    return finish(result, code);
}

}  // namespace

BOOL ipcOpen(uint32_t version_wanted, uint32_t* result) {
    if (IpcView) return finish(result, IpcAlreadyOpen);
    IpcServerVersion = 0;
    IpcSimVersion = 0;

    bool main_window = false;
    IpcServerWindow = FindWindowExA(nullptr, nullptr, "UIPCMAIN", nullptr);
    if (!IpcServerWindow) {
        IpcServerWindow = FindWindowExA(nullptr, nullptr, "FS98MAIN", nullptr);
        main_window = true;
    }
    if (!IpcServerWindow) return finish(result, IpcNoServer);

    IpcMessageId = RegisterWindowMessageA("FsasmLib:IPC");
    if (IpcMessageId == 0) return finish(result, IpcNoMessage);

    ++IpcOpenCount;
    char name[256];
    std::snprintf(name, sizeof name, "FsasmLib:IPC:%X:%X",
                  static_cast<unsigned>(GetCurrentProcessId()),
                  static_cast<unsigned>(IpcOpenCount));

    IpcAtom = GlobalAddAtomA(name);
    if (IpcAtom == 0) return failOpen(result, IpcNoAtom);

    IpcMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                    static_cast<DWORD>(IpcBlockSize), name);
    if (!IpcMapping || GetLastError() == ERROR_ALREADY_EXISTS)
        return failOpen(result, IpcNoMapping);

    IpcView = static_cast<uint8_t*>(MapViewOfFile(IpcMapping, FILE_MAP_WRITE, 0, 0, 0));
    if (!IpcView) return failOpen(result, IpcNoView);
    emptyQueue();

    for (int pass = 0; pass < HandshakePasses && !(IpcServerVersion && IpcSimVersion); ++pass) {
        uint32_t code = IpcOk;
        if (!ipcRead(IpcOffsetServerVersion, 4, &IpcServerVersion, &code) ||
            !ipcRead(IpcOffsetSimVersion, 4, &IpcSimVersion, &code))
            return failOpen(result, code);
        if (pass == 0 && !ipcWrite(IpcOffsetClientVersion, 2, &IpcClientVersion, &code))
            return failOpen(result, code);
        if (!ipcProcess(&code)) return failOpen(result, code);
        Sleep(HandshakeWaitMs);
    }

    if (IpcServerVersion < IpcMinServerVersion || (IpcSimVersion >> 16) != IpcSimVersionMarker)
        return failOpen(result, main_window ? IpcMainWindowNotReady : IpcServerNotReady);
    IpcSimVersion &= 0xFFFF;
    if (version_wanted != 0 && version_wanted != IpcSimVersion)
        return failOpen(result, IpcWrongVersion);
    return finish(result, IpcOk);
}

BOOL ipcRead(uint32_t offset, uint32_t size, void* destination, uint32_t* result) {
    if (!IpcView) return finish(result, IpcNotOpen);
    if (static_cast<uint64_t>(used()) + size + ReadHeader + 4 > IpcBlockUsable)
        return finish(result, IpcBlockFull);
    uint8_t* entry = IpcNext;
    put32(entry, EntryRead);
    put32(entry + 4, offset);
    put32(entry + 8, size);
    // The block's own field keeps the address as far as 32 bits hold it.
    put32(entry + 12, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(destination)));
    std::memset(entry + ReadHeader, 0, size);
    queuedReads[queuedReadCount++] = {static_cast<uint32_t>(used()), size, destination};
    IpcNext += ReadHeader + size;
    return finish(result, IpcOk);
}

BOOL ipcWrite(uint32_t offset, uint32_t size, const void* source, uint32_t* result) {
    if (!IpcView) return finish(result, IpcNotOpen);
    if (static_cast<uint64_t>(used()) + size + WriteHeader + 4 > IpcBlockUsable)
        return finish(result, IpcBlockFull);
    put32(IpcNext, EntryWrite);
    put32(IpcNext + 4, offset);
    put32(IpcNext + 8, size);
    if (size) std::memcpy(IpcNext + WriteHeader, source, size);
    IpcNext += WriteHeader + size;
    return finish(result, IpcOk);
}

BOOL ipcProcess(uint32_t* result) {
    if (!IpcView) return finish(result, IpcNotOpen);
    if (IpcNext == IpcView) return finish(result, IpcNothingQueued);
    put32(IpcNext, 0);
    IpcNext = IpcView;

    DWORD_PTR answer = 0;
    bool sent = false;
    for (int attempt = 0; attempt < SendAttempts && !sent; ++attempt) {
        sent = SendMessageTimeoutA(IpcServerWindow, IpcMessageId, static_cast<WPARAM>(IpcAtom), 0,
                                   SMTO_BLOCK, SendTimeoutMs, &answer) != 0;
        if (!sent) Sleep(RetryWaitMs);
    }
    if (!sent) {
        queuedReadCount = 0;
        return finish(result, GetLastError() != 0 ? IpcSendFailed : IpcTimedOut);
    }
    if (answer != 1) {
        queuedReadCount = 0;
        return finish(result, IpcBadReply);
    }
    copyAnswers();
    emptyQueue();
    return finish(result, IpcOk);
}

void ipcClose() {
    IpcServerWindow = nullptr;
    IpcMessageId = 0;
    if (IpcAtom) {
        GlobalDeleteAtom(IpcAtom);
        IpcAtom = 0;
    }
    if (IpcView) {
        UnmapViewOfFile(IpcView);
        IpcView = nullptr;
        IpcNext = nullptr;
        queuedReadCount = 0;
    }
    if (IpcMapping) {
        CloseHandle(IpcMapping);
        IpcMapping = nullptr;
    }
}
