#if !defined(_WIN32)

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/platform/platform_test.h"

namespace mappings_test {

namespace {

using Mappings = PlatformTest;

constexpr DWORD kBlock = 32768;
const char* const kName = "FsasmLib:IPC:1A2C:1";

HANDLE pagingMapping(const char* name, DWORD size = kBlock) {
    return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
}

TEST_F(Mappings, NamedMappingIsSharedBetweenCreatorAndOpener) {
    SetLastError(ERROR_ALREADY_EXISTS);
    HANDLE client = pagingMapping(kName);
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    auto* clientView = static_cast<uint32_t*>(MapViewOfFile(client, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(clientView, nullptr);
    clientView[0] = 0x19980005;

    // A second create of the name is the same object, and says so.
    HANDLE again = pagingMapping(kName, 16);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, client);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    ASSERT_EQ(twplat::mappings().size(), 1u);
    EXPECT_EQ(twplat::mappings()[0].size, kBlock);
    EXPECT_EQ(twplat::mappings()[0].handles, 2u);
    CloseHandle(again);

    HANDLE server = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kName);
    ASSERT_NE(server, nullptr);
    auto* serverView = static_cast<uint32_t*>(MapViewOfFile(server, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(serverView, nullptr);
    EXPECT_NE(serverView, clientView);
    EXPECT_EQ(serverView[0], 0x19980005u);
    serverView[kBlock / 4 - 1] = 0xFADE0007;
    EXPECT_EQ(clientView[kBlock / 4 - 1], 0xFADE0007u);
    EXPECT_EQ(twplat::mappings()[0].views, 2u);

    // Names are case-sensitive, and an unknown one is not found.
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, "fsasmlib:ipc:1a2c:1"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    // Views have to be unmapped by their base, and views start on 64 KiB.
    EXPECT_FALSE(UnmapViewOfFile(clientView + 1));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
    EXPECT_EQ(MapViewOfFile(server, FILE_MAP_READ, 0, 4096, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MAPPED_ALIGNMENT);
    EXPECT_EQ(MapViewOfFile(server, FILE_MAP_READ, 0, 0, kBlock + 1), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(pagingMapping("empty", 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Who was told of a name's last handle, in order.
std::vector<std::string> namesLetGo;
void noteNameLetGo(const char* name) { namesLetGo.emplace_back(name); }

TEST_F(Mappings, ViewsKeepTheirMappingAliveButNotItsName) {
    namesLetGo.clear();
    twplat::setMappingListener(noteNameLetGo);
    HANDLE h = pagingMapping(kName);
    char* view = static_cast<char*>(MapViewOfFile(h, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    std::strcpy(view, "still here");
    HANDLE second = OpenFileMappingA(FILE_MAP_READ, FALSE, kName);
    ASSERT_NE(second, nullptr);
    const char* other = static_cast<const char*>(MapViewOfFile(second, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(other, nullptr);
    // A handle opened for reading cannot give a writable view.
    EXPECT_EQ(MapViewOfFile(second, FILE_MAP_WRITE, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(namesLetGo.empty());  // one handle is left
    HANDLE third = OpenFileMappingA(FILE_MAP_READ, FALSE, kName);
    EXPECT_NE(third, nullptr);
    CloseHandle(third);
    EXPECT_TRUE(namesLetGo.empty());
    EXPECT_TRUE(CloseHandle(second));

    // No handle is left: the name is gone and the listener told, yet the object
    // lives on with its views, which still share their memory.
    EXPECT_EQ(namesLetGo, std::vector<std::string>{kName});
    ASSERT_EQ(twplat::mappings().size(), 1u);
    EXPECT_EQ(twplat::mappings()[0].handles, 0u);
    EXPECT_EQ(twplat::mappings()[0].views, 2u);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, kName), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    view[0] = 'S';
    EXPECT_STREQ(other, "Still here");

    // The name makes a new, empty object beside the old one.
    HANDLE fresh = pagingMapping(kName);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    char* freshView = static_cast<char*>(MapViewOfFile(fresh, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(freshView, nullptr);
    EXPECT_EQ(freshView[0], '\0');
    freshView[0] = 'x';
    EXPECT_EQ(view[0], 'S');
    EXPECT_EQ(twplat::mappings().size(), 2u);

    // The last view gone, the old object is gone.
    EXPECT_TRUE(UnmapViewOfFile(other));
    EXPECT_TRUE(UnmapViewOfFile(view));
    EXPECT_FALSE(UnmapViewOfFile(view));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
    ASSERT_EQ(twplat::mappings().size(), 1u);
    EXPECT_EQ(twplat::mappings()[0].handles, 1u);
    EXPECT_EQ(twplat::mappings()[0].views, 1u);
    // An unnamed mapping's last handle tells nobody.
    CloseHandle(pagingMapping(nullptr));
    EXPECT_EQ(namesLetGo.size(), 1u);
    twplat::setMappingListener(nullptr);
    CloseHandle(fresh);
    EXPECT_EQ(namesLetGo.size(), 1u);
}

// The offset server as the host will run it: a UIPCMAIN window that takes
// the registered message with the block's atom, finds the block by the
// atom's name and answers in it.
UINT serverMessage = 0;

LRESULT CALLBACK offsetServer(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != serverMessage) return DefWindowProcA(hwnd, msg, wParam, lParam);
    char name[256];
    if (GlobalGetAtomNameA(static_cast<ATOM>(wParam), name, sizeof name) == 0) return 0;
    HANDLE block = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
    if (!block) return 0;
    auto* words = static_cast<uint32_t*>(MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, 0));
    CloseHandle(block);
    if (!words) return 0;
    // One read entry: id 1, offset, size 4, destination; the answer follows.
    if (words[0] == 1 && words[1] == 0x3304 && words[2] == 4) words[4] = 0x19980005;
    UnmapViewOfFile(words);
    return 1;
}

TEST_F(Mappings, OffsetServerAnswersThroughTheNamedBlock) {
    serverMessage = RegisterWindowMessageA("FsasmLib:IPC");
    WNDCLASSA wc{};
    wc.lpfnWndProc = offsetServer;
    wc.lpszClassName = "UIPCMAIN";
    ASSERT_NE(RegisterClassA(&wc), 0);
    ASSERT_NE(CreateWindowExA(0, "UIPCMAIN", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr),
              nullptr);

    HWND server = FindWindowExA(nullptr, nullptr, "UIPCMAIN", nullptr);
    ASSERT_NE(server, nullptr);
    const UINT msg = RegisterWindowMessageA("FsasmLib:IPC");
    EXPECT_EQ(msg, serverMessage);
    twplat::setProcessId(0x1A2C);
    char name[256];
    std::snprintf(name, sizeof name, "FsasmLib:IPC:%X:%X", GetCurrentProcessId(), 1u);
    EXPECT_STREQ(name, kName);
    const ATOM atom = GlobalAddAtomA(name);
    HANDLE block = pagingMapping(name);
    auto* words = static_cast<uint32_t*>(MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(words, nullptr);
    words[0] = 1;
    words[1] = 0x3304;
    words[2] = 4;
    words[3] = 0;
    words[4] = 0;
    words[5] = 0;

    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(server, msg, atom, 0, SMTO_BLOCK, 2000, &answer), 0);
    EXPECT_EQ(answer, 1u);
    EXPECT_EQ(words[4], 0x19980005u);
    // The server left nothing open behind it.
    EXPECT_EQ(twplat::mappings()[0].handles, 1u);
    EXPECT_EQ(twplat::mappings()[0].views, 1u);
}

}  // namespace

}  // namespace mappings_test

#endif
