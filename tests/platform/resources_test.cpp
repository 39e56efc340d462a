#if !defined(_WIN32)

#include <cstring>

#include "tests/platform/platform_test.h"

namespace resources_test {

namespace {

using Resources = PlatformTest;

TEST_F(Resources, LookupsFailUntilAResourceIsGiven) {
    HMODULE module = reinterpret_cast<HMODULE>(makeWindow("PANEL", ""));
    const char* name = ".\\Sound\\brennel_click.wav";
    EXPECT_EQ(FindResourceA(module, name, RT_RCDATA), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);

    const char wave[] = "RIFF\x04\0\0\0WAVE";
    twplat::addResource(module, RT_RCDATA, name, wave, sizeof wave);
    HRSRC found = FindResourceA(module, ".\\SOUND\\BRENNEL_CLICK.WAV", RT_RCDATA);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(SizeofResource(module, found), sizeof wave);
    HGLOBAL loaded = LoadResource(module, found);
    ASSERT_NE(loaded, nullptr);
    const void* bytes = LockResource(loaded);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::memcmp(bytes, wave, sizeof wave), 0);

    EXPECT_EQ(FindResourceA(module, ".\\Sound\\other.wav", RT_RCDATA), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    // Resources belong to their module.
    EXPECT_EQ(FindResourceA(nullptr, name, RT_RCDATA), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, found), 0u);

    // Numbered resources, by MAKEINTRESOURCE or by "#n".
    const unsigned char bitmap[] = {'B', 'M'};
    twplat::addResource(module, RT_BITMAP, MAKEINTRESOURCE(2384), bitmap, sizeof bitmap);
    EXPECT_NE(FindResourceA(module, MAKEINTRESOURCE(2384), RT_BITMAP), nullptr);
    EXPECT_EQ(FindResourceA(module, "#2384", MAKEINTRESOURCE(2)),
              FindResourceA(module, MAKEINTRESOURCE(2384), RT_BITMAP));
    EXPECT_EQ(FindResourceA(module, MAKEINTRESOURCE(2400), RT_BITMAP), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);

    twplat::reset();
    EXPECT_EQ(FindResourceA(module, MAKEINTRESOURCE(2384), RT_BITMAP), nullptr);
}

}  // namespace

}  // namespace resources_test

#endif
