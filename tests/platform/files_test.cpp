#if !defined(_WIN32)

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/platform/platform_test.h"

namespace files_test {

namespace {

// Every test runs in a folder of its own, as the host runs in the
// simulator's folder.
class Files : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
        char tmpl[] = "/tmp/twplat-files-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        folder_ = tmpl;
        ASSERT_EQ(chdir(folder_.c_str()), 0);
        std::filesystem::create_directory("Sound");
        std::ofstream("Sound/brennel_click.wav", std::ios::binary) << "RIFF----WAVEfmt ";
        std::ofstream("empty.bin");
    }
    void TearDown() override {
        PlatformTest::TearDown();
        ASSERT_EQ(chdir(previous_), 0);
        std::filesystem::remove_all(folder_);
    }

    static HANDLE open(const char* path, DWORD access = GENERIC_READ, DWORD share = FILE_SHARE_READ,
                       DWORD disposition = OPEN_EXISTING) {
        return CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    }

    char previous_[PATH_MAX];
    std::string folder_;
};

TEST_F(Files, WindowsPathsOpenRealFiles) {
    HANDLE h = open(".\\Sound\\brennel_click.wav");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD high = 99;
    EXPECT_EQ(GetFileSize(h, &high), 16u);
    EXPECT_EQ(high, 0u);
    ASSERT_EQ(twplat::openFiles().size(), 1u);
    EXPECT_EQ(twplat::openFiles()[0].path, "./Sound/brennel_click.wav");
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_TRUE(twplat::openFiles().empty());

    // Names match without regard to case, as on Windows.
    h = open(".\\SOUND\\Brennel_Click.WAV");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(twplat::openFiles()[0].path, "./Sound/brennel_click.wav");
    CloseHandle(h);

    EXPECT_EQ(open(".\\Sound\\missing.wav"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(open(".\\SimObjects\\Airplanes\\c172\\aircraft.cfg"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(open(".\\Sound"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(GetFileSize(h, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    // Creation dispositions.
    const DWORD rw = GENERIC_READ | GENERIC_WRITE;
    EXPECT_EQ(open("empty.bin", rw, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    h = open(".\\Sound\\brennel_click.wav", rw, 0, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(GetFileSize(h, nullptr), 0u);
    CloseHandle(h);
    h = open("new.bin", rw, 0, OPEN_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists("new.bin"));
    CloseHandle(h);
}

TEST_F(Files, SharingModesAreHonoured) {
    HANDLE reader = open("empty.bin", GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    HANDLE second = open("empty.bin", GENERIC_READ, FILE_SHARE_READ);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);
    // The readers do not share writing, so no writer gets in...
    EXPECT_EQ(open("empty.bin", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    // ...and a refused CREATE_ALWAYS leaves the file as it was.
    std::ofstream("empty.bin") << "data";
    EXPECT_EQ(open("empty.bin", GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::filesystem::file_size("empty.bin"), 4u);
    // Nor may one who refuses to share reading join readers.
    EXPECT_EQ(open("empty.bin", GENERIC_READ, 0), INVALID_HANDLE_VALUE);
    CloseHandle(reader);
    CloseHandle(second);
    HANDLE writer = open("empty.bin", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
}

TEST_F(Files, FileMappingsAndTheirLifetimes) {
    HANDLE file = open(".\\Sound\\brennel_click.wav");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    // A file opened for reading cannot be mapped for writing.
    EXPECT_EQ(CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    // Nor can a read-only mapping be larger than its file.
    EXPECT_EQ(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 17, nullptr), nullptr);

    // The mapping keeps the file open once its handle is closed.
    EXPECT_TRUE(CloseHandle(file));
    ASSERT_EQ(twplat::openFiles().size(), 1u);
    EXPECT_EQ(twplat::openFiles()[0].handle, nullptr);
    EXPECT_EQ(twplat::openFiles()[0].mappings, 1u);
    EXPECT_EQ(
        open(".\\Sound\\brennel_click.wav", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE),
        INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);

    // Size 0 maps the whole file; the view keeps the mapping.
    const char* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(twplat::mappings()[0].size, 16u);
    EXPECT_EQ(twplat::mappings()[0].file, "./Sound/brennel_click.wav");
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(CloseHandle(mapping));
    EXPECT_EQ(std::memcmp(view, "RIFF----WAVEfmt ", 16), 0);
    EXPECT_EQ(twplat::openFiles().size(), 1u);

    // The last view gone, mapping and file go with it.
    EXPECT_TRUE(UnmapViewOfFile(view));
    EXPECT_TRUE(twplat::mappings().empty());
    EXPECT_TRUE(twplat::openFiles().empty());
    HANDLE writer = open(".\\Sound\\brennel_click.wav", GENERIC_READ | GENERIC_WRITE, 0);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);

    // A writable mapping shows its writes in the file, and may grow it.
    HANDLE rw = CreateFileMappingA(writer, nullptr, PAGE_READWRITE, 0, 32, nullptr);
    ASSERT_NE(rw, nullptr);
    char* out = static_cast<char*>(MapViewOfFile(rw, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(out, nullptr);
    std::memcpy(out, "WAVE", 4);
    UnmapViewOfFile(out);
    CloseHandle(rw);
    CloseHandle(writer);
    std::ifstream in("Sound/brennel_click.wav", std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content.size(), 32u);
    EXPECT_EQ(content.substr(0, 8), "WAVE----");

    // An empty file has nothing to map.
    HANDLE empty = open("empty.bin");
    EXPECT_EQ(CreateFileMappingA(empty, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_INVALID);
}

}  // namespace

}  // namespace files_test

#endif
