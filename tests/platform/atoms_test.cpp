#if !defined(_WIN32)

#include <string>

#include "tests/platform/platform_test.h"

namespace atoms_test {

namespace {

using Atoms = PlatformTest;

std::string atomName(ATOM atom) {
    char buf[256] = {};
    const UINT n = GlobalGetAtomNameA(atom, buf, sizeof buf);
    return std::string(buf, n);
}

TEST_F(Atoms, StringAtomsAreCountedAndCaseInsensitive) {
    const ATOM a = GlobalAddAtomA("FsasmLib:IPC:1A2C:3");
    EXPECT_GE(a, 0xC000);
    EXPECT_EQ(GlobalAddAtomA("fsasmlib:ipc:1a2c:3"), a);
    ASSERT_EQ(twplat::atoms().size(), 1u);
    EXPECT_EQ(twplat::atoms()[0].refs, 2u);
    EXPECT_EQ(GlobalFindAtomA("FSASMLIB:IPC:1A2C:3"), a);
    // The first spelling is the one kept.
    EXPECT_EQ(atomName(a), "FsasmLib:IPC:1A2C:3");

    const ATOM b = GlobalAddAtomA("FsasmLib:IPC:1A2C:4");
    EXPECT_NE(b, a);

    EXPECT_EQ(GlobalDeleteAtom(a), 0);
    EXPECT_EQ(GlobalFindAtomA("FsasmLib:IPC:1A2C:3"), a);
    EXPECT_EQ(GlobalDeleteAtom(a), 0);
    SetLastError(0);
    EXPECT_EQ(GlobalFindAtomA("FsasmLib:IPC:1A2C:3"), 0);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    char buf[16];
    EXPECT_EQ(GlobalGetAtomNameA(a, buf, sizeof buf), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    // Deleting once too often fails and hands the atom back.
    EXPECT_EQ(GlobalDeleteAtom(a), a);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(twplat::atoms().size(), 1u);
    EXPECT_EQ(atomName(b), "FsasmLib:IPC:1A2C:4");
}

TEST_F(Atoms, IntegerAtomsLimitsAndShortBuffers) {
    EXPECT_EQ(GlobalAddAtomA("#100"), 100);
    EXPECT_EQ(GlobalAddAtomA(MAKEINTATOM(100)), 100);
    EXPECT_EQ(atomName(100), "#100");
    EXPECT_EQ(GlobalDeleteAtom(100), 0);
    EXPECT_TRUE(twplat::atoms().empty());

    EXPECT_EQ(GlobalAddAtomA("#49152"), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(GlobalAddAtomA(""), 0);
    EXPECT_EQ(GlobalAddAtomA(std::string(256, 'x').c_str()), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_NE(GlobalAddAtomA(std::string(255, 'x').c_str()), 0);

    const ATOM a = GlobalAddAtomA("LongerName");
    char small[5];
    EXPECT_EQ(GlobalGetAtomNameA(a, small, sizeof small), 4u);
    EXPECT_STREQ(small, "Long");
}

}  // namespace

}  // namespace atoms_test

#endif
