// The offset IPC client against the host's offset server, on the Linux
// stand-in's virtual clock.
#if !defined(_WIN32)

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "ipc/ipc_client.h"
#include "platform/linux/stand_in.h"
#include "tests/support/module_api.h"

namespace ipc_client_test {

namespace {

struct Client {
    explicit Client(tw::Host& host)
        : open(moduleFn<decltype(&ipcOpen)>(host, "ipcOpen")),
          read(moduleFn<decltype(&ipcRead)>(host, "ipcRead")),
          write(moduleFn<decltype(&ipcWrite)>(host, "ipcWrite")),
          process(moduleFn<decltype(&ipcProcess)>(host, "ipcProcess")),
          close(moduleFn<decltype(&ipcClose)>(host, "ipcClose")),
          view(moduleVar<uint8_t*>(host, "IpcView")),
          serverVersion(moduleVar<uint32_t>(host, "IpcServerVersion")),
          simVersion(moduleVar<uint32_t>(host, "IpcSimVersion")) {}
    decltype(&ipcOpen) open;
    decltype(&ipcRead) read;
    decltype(&ipcWrite) write;
    decltype(&ipcProcess) process;
    decltype(&ipcClose) close;
    uint8_t*& view;
    uint32_t& serverVersion;
    uint32_t& simVersion;
};

uint32_t openWith(Client& c, uint32_t version) {
    uint32_t result = 0xEEEE;
    BOOL ok = c.open(version, &result);
    EXPECT_EQ(ok != 0, result == IpcOk);
    return result;
}

}  // namespace

TEST(IpcClient, OpensWithTheHandshakeAndChecksTheVersions) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    Client c(host);
    ASSERT_EQ(openWith(c, 7), IpcNoServer);  // no server window at all
    EXPECT_TRUE(twplat::atoms().empty());

    tw::OffsetServer& server = host.startOffsetServer(tw::OffsetServer::Class::Uipcmain, 7);
    uint64_t before = twplat::now();
    ASSERT_EQ(openWith(c, 7), IpcOk);
    // One pass of the handshake: read both versions, write 1004, wait 100 ms.
    EXPECT_EQ(server.batches(), 1u);
    EXPECT_EQ(twplat::now() - before, 100u);
    EXPECT_EQ(server.clientVersion(), 1004);
    EXPECT_EQ(server.get<uint32_t>(0x3308), 0xFADE0007u);
    EXPECT_EQ(c.serverVersion, 0x19980005u);
    EXPECT_EQ(c.simVersion, 7u);  // only the low half remains

    // Opening again changes nothing.
    uint8_t* view = c.view;
    EXPECT_EQ(openWith(c, 7), IpcAlreadyOpen);
    EXPECT_EQ(c.view, view);
    c.close();
    c.close();  // harmless when closed
    EXPECT_EQ(c.view, nullptr);
    EXPECT_TRUE(twplat::atoms().empty());
    EXPECT_TRUE(twplat::mappings().empty());

    // A version code the server does not have fails; 0 takes any.
    EXPECT_EQ(openWith(c, 8), IpcWrongVersion);
    EXPECT_EQ(c.view, nullptr);
    EXPECT_EQ(openWith(c, 0), IpcOk);
    c.close();

    // A server that is not ready: too old, or without the marker.
    server.setServerVersion(0x19980004);
    EXPECT_EQ(openWith(c, 7), IpcServerNotReady);
    server.setServerVersion(0x19980005);
    server.set<uint32_t>(0x3308, 0x12340007);
    EXPECT_EQ(openWith(c, 7), IpcServerNotReady);
    EXPECT_TRUE(twplat::mappings().empty());
}

TEST(IpcClient, FallsBackToTheMainWindowClass) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    Client c(host);
    tw::OffsetServer& server = host.startOffsetServer(tw::OffsetServer::Class::Fs98main, 8);
    EXPECT_EQ(openWith(c, 8), IpcOk);
    c.close();
    // The same failed handshake reports the other code through this class.
    server.setServerVersion(1);
    EXPECT_EQ(openWith(c, 8), IpcMainWindowNotReady);
}

TEST(IpcClient, NamesItsBlockByProcessAndOpenCount) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    Client c(host);
    host.startOffsetServer();
    twplat::setProcessId(0x1A2C);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(openWith(c, 7), IpcOk);
        c.close();
    }
    ASSERT_EQ(openWith(c, 7), IpcOk);
    auto maps = twplat::mappings();
    ASSERT_EQ(maps.size(), 1u);
    EXPECT_EQ(maps[0].name, "FsasmLib:IPC:1A2C:3");
    EXPECT_EQ(maps[0].size, 32768u);
    ASSERT_EQ(twplat::atoms().size(), 1u);
    EXPECT_EQ(twplat::atoms()[0].name, "FsasmLib:IPC:1A2C:3");
    c.close();

    // A block of the next name that already exists makes the open fail, and the
    // open undoes its own work.
    HANDLE squatter = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64,
                                         "FsasmLib:IPC:1A2C:4");
    ASSERT_NE(squatter, nullptr);
    EXPECT_EQ(openWith(c, 7), IpcNoMapping);
    EXPECT_TRUE(twplat::atoms().empty());
    EXPECT_EQ(twplat::mappings().size(), 1u);
    CloseHandle(squatter);
    EXPECT_EQ(openWith(c, 7), IpcOk);  // the count moved on to 5
}

TEST(IpcClient, ReportsWhichStepOfTheOpenTheSystemRefused) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    Client c(host);
    host.startOffsetServer();
    twplat::injectFault(twplat::Fault::RegisterMessage, 1);
    EXPECT_EQ(openWith(c, 7), IpcNoMessage);
    twplat::injectFault(twplat::Fault::AddAtom, 1);
    EXPECT_EQ(openWith(c, 7), IpcNoAtom);
    twplat::injectFault(twplat::Fault::MapView, 1);
    EXPECT_EQ(openWith(c, 7), IpcNoView);
    // Each failure after the atom undid its work.
    EXPECT_TRUE(twplat::atoms().empty());
    EXPECT_TRUE(twplat::mappings().empty());
    EXPECT_EQ(c.view, nullptr);
    // A handshake whose sends all fail fails the open with the send's code.
    twplat::injectFault(twplat::Fault::SilentSendTimeout, 9);
    EXPECT_EQ(openWith(c, 7), IpcTimedOut);
    EXPECT_TRUE(twplat::mappings().empty());
    EXPECT_EQ(openWith(c, 7), IpcOk);
}

TEST(IpcClient, QueuesBatchesWithinTheBlockLimits) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    Client c(host);
    tw::OffsetServer& server = host.startOffsetServer();
    uint32_t result = 0;
    EXPECT_FALSE(c.read(0xCC00, 4, &result, &result));
    EXPECT_EQ(result, IpcNotOpen);
    EXPECT_FALSE(c.write(0xCC00, 4, &result, &result));
    EXPECT_EQ(result, IpcNotOpen);
    EXPECT_FALSE(c.process(&result));
    EXPECT_EQ(result, IpcNotOpen);
    ASSERT_EQ(openWith(c, 7), IpcOk);

    unsigned batches = server.batches();
    EXPECT_FALSE(c.process(&result));
    EXPECT_EQ(result, IpcNothingQueued);
    EXPECT_EQ(server.batches(), batches);  // nothing was sent

    // Reads and writes in one batch, answered in order.
    server.set<double>(0xCC10, 51.5);
    server.set<uint32_t>(0xCC04, 99);
    double lat = 0;
    uint32_t word = 0;
    uint8_t skipped[4] = {1, 2, 3, 4};
    int32_t written = -12345;
    EXPECT_TRUE(c.read(0xCC10, 8, &lat, &result));
    EXPECT_TRUE(c.write(0xCC08, 4, &written, &result));
    written = 0;  // the bytes were copied when queued
    EXPECT_TRUE(c.read(0xCC04, 4, &word, &result));
    EXPECT_TRUE(c.read(0xCC04, 4, nullptr, &result));  // answered, copied nowhere
    EXPECT_TRUE(c.process(&result));
    EXPECT_EQ(result, IpcOk);
    EXPECT_EQ(lat, 51.5);
    EXPECT_EQ(word, 99u);
    EXPECT_EQ(server.get<int32_t>(0xCC08), -12345);
    EXPECT_EQ(server.lastBatchOffsets(), (std::vector<uint32_t>{0xCC10, 0xCC08, 0xCC04, 0xCC04}));
    EXPECT_EQ(skipped[0], 1);

    // Into an empty block a read of 32,492 bytes fits and one more byte does not;
    // likewise a write of 32,496 bytes.
    static uint8_t big[32768];
    EXPECT_FALSE(c.read(0, 32493, big, &result));
    EXPECT_EQ(result, IpcBlockFull);
    EXPECT_TRUE(c.read(0, 32492, big, &result));
    EXPECT_FALSE(c.read(0, 0, big, &result));  // nothing more fits behind it
    EXPECT_EQ(result, IpcBlockFull);
    EXPECT_TRUE(c.process(&result));
    EXPECT_FALSE(c.write(0, 32497, big, &result));
    EXPECT_EQ(result, IpcBlockFull);
    EXPECT_TRUE(c.write(0, 32496, big, &result));
    EXPECT_TRUE(c.process(&result));
    EXPECT_FALSE(c.read(0, 0xFFFFFFFFu, big, &result));  // no wrap-around of the limit
    EXPECT_EQ(result, IpcBlockFull);
}

TEST(IpcClient, SendFailuresRetryNineTimesAndDropTheBatch) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    Client c(host);
    tw::OffsetServer& server = host.startOffsetServer();
    ASSERT_EQ(openWith(c, 7), IpcOk);
    uint32_t result = 0;

    // A hung server: nine sends of 2,000 ms, each followed by a 100 ms wait.
    twplat::setWindowHung(server.window(), true);
    double kept = -1;
    server.set<double>(0xCC10, 3.25);
    ASSERT_TRUE(c.read(0xCC10, 8, &kept, &result));
    uint64_t before = twplat::now();
    EXPECT_FALSE(c.process(&result));
    EXPECT_EQ(result, IpcSendFailed);
    EXPECT_EQ(twplat::now() - before, 9u * 2100u);
    EXPECT_EQ(kept, -1);

    // After the failure the next read starts a fresh batch at the block's start.
    twplat::setWindowHung(server.window(), false);
    ASSERT_TRUE(c.read(0xCC10, 8, &kept, &result));
    EXPECT_TRUE(c.process(&result));
    EXPECT_EQ(server.lastBatchOffsets(), (std::vector<uint32_t>{0xCC10}));
    EXPECT_EQ(kept, 3.25);

    // Sends that fail without an error from the system are a time-out; eight
    // failures and a ninth success still deliver the batch.
    twplat::injectFault(twplat::Fault::SilentSendTimeout, 9);
    ASSERT_TRUE(c.read(0xCC10, 8, &kept, &result));
    EXPECT_FALSE(c.process(&result));
    EXPECT_EQ(result, IpcTimedOut);
    twplat::injectFault(twplat::Fault::SilentSendTimeout, 8);
    kept = -1;
    ASSERT_TRUE(c.read(0xCC10, 8, &kept, &result));
    before = twplat::now();
    EXPECT_TRUE(c.process(&result));
    EXPECT_EQ(kept, 3.25);
    EXPECT_EQ(twplat::now() - before, 8u * 2100u);

    // A server that answers 0.
    server.setBehaviour(tw::OffsetServer::Behaviour::AnswerZero);
    kept = -1;
    ASSERT_TRUE(c.read(0xCC10, 8, &kept, &result));
    EXPECT_FALSE(c.process(&result));
    EXPECT_EQ(result, IpcBadReply);
    EXPECT_EQ(kept, -1);

    // A server that is gone: every send fails with an error.
    host.stopOffsetServer();
    ASSERT_TRUE(c.read(0xCC10, 8, &kept, &result));
    EXPECT_FALSE(c.process(&result));
    EXPECT_EQ(result, IpcSendFailed);
}

TEST(IpcClient, GarbageFromTheServerStaysInsideTheBlock) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    Client c(host);
    tw::OffsetServer& server = host.startOffsetServer();
    ASSERT_EQ(openWith(c, 7), IpcOk);
    server.setBehaviour(tw::OffsetServer::Behaviour::Garbage);
    uint32_t result = 0;
    // Guard bytes around the destinations show any stray copy.
    struct {
        uint8_t before[64];
        uint32_t value;
        uint8_t after[64];
    } target;
    std::memset(&target, 0xAB, sizeof target);
    server.set<uint32_t>(0xCC04, 42);
    for (int i = 0; i < 50; ++i) ASSERT_TRUE(c.read(0xCC04, 4, &target.value, &result));
    EXPECT_TRUE(c.process(&result));
    for (uint8_t b : target.before) ASSERT_EQ(b, 0xAB);
    for (uint8_t b : target.after) ASSERT_EQ(b, 0xAB);
    // The next batch still works from the block's start.
    server.setBehaviour(tw::OffsetServer::Behaviour::Normal);
    ASSERT_TRUE(c.read(0xCC04, 4, &target.value, &result));
    EXPECT_TRUE(c.process(&result));
    EXPECT_EQ(target.value, 42u);
}

TEST(IpcClient, ReadsTheWeatherBlockTheServerHolds) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    Client c(host);
    tw::OffsetServer& server = host.startOffsetServer();
    server.setWeatherReport(51.25, -0.5, 120.0, {{3000, 6, 5, 2}, {0, 0, 0, 0}, {9000, 8, 9, 4}});
    ASSERT_EQ(openWith(c, 7), IpcOk);
    uint8_t block[1024];
    uint32_t result = 0;
    ASSERT_TRUE(c.read(0xCC00, sizeof block, block, &result));
    ASSERT_TRUE(c.process(&result));
    double lat, lon;
    int32_t ground;
    uint16_t top;
    std::memcpy(&lat, block + 0x10, 8);
    std::memcpy(&lon, block + 0x18, 8);
    std::memcpy(&ground, block + 0x20, 4);
    std::memcpy(&top, block + 0x280 + 32, 2);
    EXPECT_EQ(lat, 51.25);
    EXPECT_EQ(lon, -0.5);
    EXPECT_EQ(ground, 120 * 65536);
    EXPECT_EQ(top, 9000);
    EXPECT_EQ(block[0x280 + 6], 6);
    EXPECT_EQ(block[0x280 + 7], 5);
    EXPECT_EQ(block[0x280 + 13], 2);
    EXPECT_EQ(block[0x280 + 16 * 23 + 6], 0);

    // The request of one cell: four writes, then the report is read back.
    double reqLat = 50.0, reqLon = 1.5;
    int32_t station = 0, command = 0;
    ASSERT_TRUE(c.write(0xCC10, 8, &reqLat, &result));
    ASSERT_TRUE(c.write(0xCC18, 8, &reqLon, &result));
    ASSERT_TRUE(c.write(0xCC08, 4, &station, &result));
    ASSERT_TRUE(c.write(0xCC04, 4, &command, &result));
    ASSERT_TRUE(c.process(&result));
    EXPECT_EQ(server.get<double>(0xCC10), 50.0);
    EXPECT_EQ(server.get<double>(0xCC18), 1.5);
}

// The server maps a client's block at its first message and answers every
// later batch through that one view, keeping no handle; the view goes when the
// client closes the block, so nothing of it outlives the client.
TEST(IpcClient, TheServerKeepsOneViewOfTheBlockWhileTheClientHoldsIt) {
    tw::Host host;
    SKIP_WITHOUT_MODULE_SYMBOLS(host);
    Client c(host);
    tw::OffsetServer& server = host.startOffsetServer();
    twplat::setProcessId(0x1A2C);
    ASSERT_EQ(openWith(c, 7), IpcOk);
    auto held = [] {
        auto maps = twplat::mappings();
        return maps.size() == 1 ? std::pair{maps[0].handles, maps[0].views} : std::pair{0u, 0u};
    };
    EXPECT_EQ(held(), std::pair(1u, 2u));  // the client's handle, both views
    EXPECT_EQ(server.heldBlocks(), 1u);
    uint32_t result = 0;
    for (uint32_t i = 1; i <= 3; ++i) {
        uint32_t back = 0;
        ASSERT_TRUE(c.write(0x2000, 4, &i, &result));
        ASSERT_TRUE(c.read(0x2000, 4, &back, &result));
        ASSERT_TRUE(c.process(&result));
        EXPECT_EQ(back, i);
        EXPECT_EQ(held(), std::pair(1u, 2u));
    }
    c.close();
    EXPECT_EQ(server.heldBlocks(), 0u);
    EXPECT_TRUE(twplat::mappings().empty());

    // The next open's block is a new one, answered as well.
    ASSERT_EQ(openWith(c, 7), IpcOk);
    EXPECT_EQ(server.heldBlocks(), 1u);
    EXPECT_EQ(twplat::mappings()[0].name, "FsasmLib:IPC:1A2C:2");
    // A server that goes takes its view along; the client's stays.
    host.stopOffsetServer();
    EXPECT_EQ(held(), std::pair(1u, 1u));
}

}  // namespace ipc_client_test

#endif  // !_WIN32
