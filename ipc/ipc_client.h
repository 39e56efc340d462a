// The client side of the host's inter-process offset service: reads and writes
// of the service's address space, batched in a shared block that one window
// message hands to the server.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/windows_api.h"

enum IpcResultCode : uint32_t {
    IpcOk = 0,
    IpcAlreadyOpen = 1,
    IpcNoServer = 2,
    IpcNoMessage = 3,
    IpcNoAtom = 4,
    IpcNoMapping = 5,
    IpcNoView = 6,
    IpcServerNotReady = 7,
    IpcWrongVersion = 8,
    IpcNotOpen = 9,
    IpcNothingQueued = 10,
    IpcTimedOut = 11,
    IpcSendFailed = 12,
    IpcBadReply = 13,
    IpcMainWindowNotReady = 14,
    IpcBlockFull = 15,
};

constexpr size_t IpcBlockSize = 32768;
constexpr size_t IpcBlockUsable = 0x7F00;  // the last 256 bytes are never used

// Offsets the client itself uses while opening.
constexpr uint32_t IpcOffsetServerVersion = 0x3304;
constexpr uint32_t IpcOffsetSimVersion = 0x3308;
constexpr uint32_t IpcOffsetClientVersion = 0x330A;
constexpr uint32_t IpcMinServerVersion = 0x19980005;
constexpr uint16_t IpcSimVersionMarker = 0xFADE;
constexpr uint16_t IpcClientVersion = 1004;

extern "C" {

// Each returns nonzero on success and stores its result code through result
// (which may be null).
BOOL ipcOpen(uint32_t version_wanted, uint32_t* result);
BOOL ipcRead(uint32_t offset, uint32_t size, void* destination, uint32_t* result);
BOOL ipcWrite(uint32_t offset, uint32_t size, const void* source, uint32_t* result);
BOOL ipcProcess(uint32_t* result);
void ipcClose();

}  // extern "C"

// The connection, one per module.
extern "C" {
extern HWND IpcServerWindow;
extern UINT IpcMessageId;
extern ATOM IpcAtom;
extern HANDLE IpcMapping;
extern uint8_t* IpcView;
extern uint8_t* IpcNext;
extern uint32_t IpcOpenCount;
extern uint32_t IpcServerVersion;
extern uint32_t IpcSimVersion;
}
