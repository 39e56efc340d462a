// The PE loader of the 32-bit Linux host, on the shipping DLL and on tiny
// modules built to fail: what it binds, runs and refuses, and the stack check
// around every call into an image.
#if TW_PELOAD

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "host/host.h"
#include "host/peload/pe_bindings.h"
#include "host/peload/pe_image.h"
#include "platform/linux/stand_in.h"
#include "tests/support/wav_files.h"

namespace pe_loader_test {

namespace {

using tw::pe::checkedCall;
using tw::pe::Convention;
using tw::pe::Image;
using tw::pe::StackCheckError;

const std::string ShippingDll = TW_SHIPPING_DLL;
std::string tiny(const char* variant) {
    return std::string(TW_TINY_MODULES) + "/tiny_" + variant + ".dll";
}

// A manual run before the win32 build skips; CI (TW_REQUIRE_SHIPPING_DLL) fails.
#define SKIP_UNLESS_BUILT(path)                                                         \
    if (!std::filesystem::exists(path)) {                                               \
        if (std::getenv("TW_REQUIRE_SHIPPING_DLL")) FAIL() << (path) << " is missing";  \
        GTEST_SKIP() << (path) << " is not built: build the win32 preset first (cmake " \
                     << "--preset win32 && cmake --build --preset win32)";              \
    }

uint32_t word(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A routine of the loader's bindings, called as the image calls it.
uint32_t callBinding(const char* dll, const char* name, std::initializer_list<uint32_t> words) {
    const tw::pe::Binding* b = tw::pe::findBinding(dll, name);
    if (!b) throw std::runtime_error(std::string("no binding for ") + name);
    return static_cast<uint32_t>(checkedCall(b->address, b->convention, words, false, name).words);
}

bool ranAtom() {
    for (const auto& a : twplat::atoms())
        if (a.name == "tiny module ran") return true;
    return false;
}

}  // namespace

TEST(PeLoader, BindsEveryImportOfTheShippingDllAndRunsItsStart) {
    SKIP_UNLESS_BUILT(ShippingDll);
    twplat::reset();
    Image image(ShippingDll);
    EXPECT_FALSE(image.relocated());
    EXPECT_EQ(image.entryResult(), 1u);
    EXPECT_GE(image.tlsCallbacksRun(), 1u);

    // The load succeeds only with every import bound; each holds its binding,
    // in its DLL's convention.
    std::set<std::string> dlls;
    for (const auto& i : image.imports()) {
        dlls.insert(lower(i.dll));
        const tw::pe::Binding* b = tw::pe::findBinding(i.dll, i.name);
        ASSERT_NE(b, nullptr) << i.name;
        EXPECT_EQ(i.address, b->address) << i.name;
        EXPECT_EQ(i.convention,
                  lower(i.dll) == "msvcrt.dll" ? Convention::Cdecl : Convention::Stdcall)
            << i.name;
    }
    EXPECT_EQ(dlls,
              (std::set<std::string>{"dsound.dll", "kernel32.dll", "msvcrt.dll", "user32.dll"}));

    auto* linkage = static_cast<LINKAGE*>(image.exportAddress("Linkage"));
    auto* import = static_cast<IMPORT_TABLE*>(image.exportAddress("ImportTable"));
    ASSERT_TRUE(image.contains(linkage));
    ASSERT_TRUE(image.contains(import));
    EXPECT_EQ(linkage->module_id, LinkageModuleId);
    EXPECT_STREQ(linkage->gauge_table[0]->gauge_name, "FLOOD_SW");
    EXPECT_EQ(import->entries[0].id, ImportPanelsId);
    EXPECT_EQ(image.exportAddress("DllMain"), nullptr);
    EXPECT_EQ(image.exportAddress("NoSuchExport"), nullptr);

    // The image's own GetModuleHandle and GetProcAddress find the same.
    const uint32_t self = callBinding("KERNEL32.dll", "GetModuleHandleA", {word("TARNWICK.GAU")});
    EXPECT_EQ(self, word(image.base()));
    EXPECT_EQ(callBinding("kernel32", "GetProcAddress", {self, word("Linkage")}), word(linkage));
    const uint32_t user32 = callBinding("KERNEL32.dll", "GetModuleHandleA", {word("user32.dll")});
    EXPECT_EQ(callBinding("KERNEL32.dll", "GetProcAddress", {user32, word("SetTimer")}),
              word(tw::pe::findBinding("USER32.dll", "SetTimer")->address));
    EXPECT_EQ(callBinding("KERNEL32.dll", "GetProcAddress", {user32, word("CreateWindowExA")}), 0u);
    EXPECT_EQ(GetLastError(), 127u);
    EXPECT_EQ(callBinding("KERNEL32.dll", "GetModuleHandleA", {word("libgcc_s_dw2-1.dll")}), 0u);
    EXPECT_EQ(GetLastError(), 126u);
}

TEST(PeLoader, PagesKeepTheirSectionsProtectionUntilTheImageChangesIt) {
    SKIP_UNLESS_BUILT(ShippingDll);
    Image image(ShippingDll);
    struct Info {
        uint32_t base, allocation, allocation_protect, size, state, protect, type;
    } info{};
    auto query = [&](const void* at) {
        return callBinding("KERNEL32.dll", "VirtualQuery", {word(at), word(&info), sizeof info});
    };
    auto* linkage = static_cast<LINKAGE*>(image.exportAddress("Linkage"));
    const void* code = reinterpret_cast<const void*>(linkage->gauge_table[0]->query_routine);
    const void* text = linkage->gauge_table[0]->gauge_name;
    ASSERT_EQ(query(code), sizeof info);
    EXPECT_EQ(info.protect, 0x20u);  // PAGE_EXECUTE_READ
    EXPECT_EQ(info.allocation, word(image.base()));
    EXPECT_EQ(query(linkage), sizeof info);
    EXPECT_EQ(info.protect, 0x04u);  // PAGE_READWRITE
    ASSERT_EQ(query(text), sizeof info);
    EXPECT_EQ(info.protect, 0x02u);  // PAGE_READONLY

    // What the runtime's start-up does to patch read-only data, and back.
    uint32_t old = 0;
    const uint32_t page = info.base;
    EXPECT_EQ(callBinding("KERNEL32.dll", "VirtualProtect", {page, 1, 0x04, word(&old)}), 1u);
    EXPECT_EQ(old, 0x02u);
    ASSERT_EQ(query(text), sizeof info);
    EXPECT_EQ(info.protect, 0x04u);
    EXPECT_EQ(callBinding("KERNEL32.dll", "VirtualProtect", {page, 1, old, word(&old)}), 1u);
    EXPECT_EQ(old, 0x04u);
    int outside = 0;
    EXPECT_EQ(query(&outside), 0u);
    EXPECT_EQ(callBinding("KERNEL32.dll", "VirtualProtect", {word(&outside), 4, 0x04, word(&old)}),
              0u);
}

TEST(PeLoader, ARelocatedCopyRunsOnItsOwnDataBesideTheOneAtItsPreferredBase) {
    SKIP_UNLESS_BUILT(ShippingDll);
    Image home(ShippingDll);
    Image moved(ShippingDll, {.preferred_base = false});
    EXPECT_FALSE(home.relocated());
    ASSERT_TRUE(moved.relocated());
    EXPECT_EQ(moved.entryResult(), 1u);

    auto* a = static_cast<LINKAGE*>(home.exportAddress("Linkage"));
    auto* b = static_cast<LINKAGE*>(moved.exportAddress("Linkage"));
    ASSERT_TRUE(moved.contains(b));
    for (int i = 0; i < GaugeCount; ++i) {
        GAUGE_HEADER* g = b->gauge_table[i];
        ASSERT_TRUE(moved.contains(g)) << i;
        EXPECT_TRUE(moved.contains(g->gauge_name)) << i;
        EXPECT_TRUE(moved.contains(reinterpret_cast<const void*>(g->query_routine))) << i;
        EXPECT_STREQ(g->gauge_name, a->gauge_table[i]->gauge_name);
    }

    // A click on the moved copy's flood switch shows on its icon only.
    auto icon = [](LINKAGE* l) {
        auto* root = l->gauge_table[0]->elements_list[0];
        return reinterpret_cast<ELEMENT_ICON*>(root->next_element[0]);
    };
    auto shown = [&](LINKAGE* l) {
        ELEMENT_ICON* e = icon(l);
        auto cb = reinterpret_cast<const void*>(e->update_cb);
        return checkedCall(cb, Convention::Stdcall, {word(e)}, true, "the icon").number;
    };
    const MOUSE_RECT* area = b->gauge_table[0]->mouse_rect;
    while (area->rect_type != MouseRectChild) ++area;
    PIXPOINT point{10, 10};
    checkedCall(reinterpret_cast<const void*>(area->callback), Convention::Stdcall,
                {word(&point), MouseLeftPress}, false, "the switch");
    EXPECT_EQ(shown(b), 1.0);
    EXPECT_EQ(shown(a), 0.0);
}

TEST(PeLoader, RefusesAnImportItCannotBindByNameBeforeAnyOfTheImageRuns) {
    SKIP_UNLESS_BUILT(tiny("unbound"));
    twplat::reset();
    try {
        Image image(tiny("unbound"));
        ADD_FAILURE() << "loaded";
    } catch (const tw::pe::LoadError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("KERNEL32.dll!Beep"), std::string::npos) << message;
        EXPECT_EQ(message.find("GlobalAddAtomA"), std::string::npos) << message;
    }
    EXPECT_FALSE(ranAtom());
    EXPECT_TRUE(Image::loaded().empty());
    EXPECT_THROW(tw::Host host(tiny("unbound")), tw::pe::LoadError);

    // An entry routine that refuses the attach fails the load.
    try {
        Image image(tiny("refusing"));
        ADD_FAILURE() << "loaded";
    } catch (const tw::pe::LoadError& e) {
        EXPECT_NE(std::string(e.what()).find("refused DLL_PROCESS_ATTACH"), std::string::npos);
    }
    EXPECT_TRUE(ranAtom());
    EXPECT_TRUE(Image::loaded().empty());
}

TEST(PeLoader, TheStackCheckCatchesAWrongArgumentCountConventionOrResultType) {
    SKIP_UNLESS_BUILT(tiny("unbalanced"));
    twplat::reset();
    // The tiny module's module_init pops an argument the host never passed.
    try {
        tw::Host host(tiny("unbalanced"));
        ADD_FAILURE() << "loaded";
    } catch (const StackCheckError& e) {
        EXPECT_NE(std::string(e.what()).find("4 bytes off"), std::string::npos) << e.what();
    }

    Image image(tiny("unbalanced"));
    const void* half = image.exportAddress("tinyHalf");
    const void* twice = image.exportAddress("tinyTwice");
    const void* cdecl_twice = image.exportAddress("tinyCdeclTwice");
    ASSERT_TRUE(half && twice && cdecl_twice);
    auto low = [](const tw::pe::CallResult& r) { return static_cast<uint32_t>(r.words); };
    EXPECT_EQ(checkedCall(half, Convention::Stdcall, {7}, true, "half").number, 3.5);
    EXPECT_EQ(low(checkedCall(twice, Convention::Stdcall, {7}, false, "twice")), 14u);
    EXPECT_EQ(low(checkedCall(cdecl_twice, Convention::Cdecl, {7}, false, "cdecl")), 14u);

    EXPECT_THROW(checkedCall(twice, Convention::Stdcall, {7, 8}, false, "twice"), StackCheckError);
    EXPECT_THROW(checkedCall(twice, Convention::Cdecl, {7}, false, "twice"), StackCheckError);
    EXPECT_THROW(checkedCall(cdecl_twice, Convention::Stdcall, {7}, false, "cdecl"),
                 StackCheckError);
    EXPECT_THROW(checkedCall(half, Convention::Stdcall, {7}, false, "half"), StackCheckError);
    EXPECT_THROW(checkedCall(twice, Convention::Stdcall, {7}, true, "twice"), StackCheckError);
    // The host's stack and x87 registers came through all of it.
    EXPECT_EQ(checkedCall(half, Convention::Stdcall, {9}, true, "half").number, 4.5);
    volatile double x = 2.0;
    EXPECT_EQ(x * 1.5, 3.0);
}

TEST(PeLoader, MalformedImagesAreRefusedWithoutReadingOutsideThem) {
    SKIP_UNLESS_BUILT(ShippingDll);
    std::ifstream in(ShippingDll, std::ios::binary);
    const std::vector<char> dll((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
    ASSERT_GT(dll.size(), 0x400u);
    auto u32 = [&](size_t at) {
        uint32_t v;
        std::memcpy(&v, dll.data() + at, 4);
        return v;
    };
    const uint32_t nt = u32(0x3C);
    const size_t optional = nt + 24;
    auto damaged = [&](size_t at, uint32_t value, size_t keep) {
        std::vector<char> copy(dll.begin(), dll.begin() + static_cast<long>(keep));
        if (at + 4 <= copy.size()) std::memcpy(copy.data() + at, &value, 4);
        return copy;
    };
    twtest::ScratchFolder dir;
    const std::vector<std::vector<char>> cases = {
        damaged(dll.size(), 0, 0x200),                       // cut inside the headers
        damaged(0x3C, 0x7FFFFFF0, dll.size()),               // the PE header far past the end
        damaged(optional + 56, 0xFFFFFFFF, dll.size()),      // an absurd image size
        damaged(optional + 96 + 8, 0x7FFFFFF0, dll.size()),  // imports outside the image
        damaged(optional + 96 + 5 * 8, u32(optional + 96 + 5 * 8) + 0x10000000,
                dll.size()),                                     // relocations outside the image
        damaged(optional + 96 + 9 * 8, 0x00FFFFF0, dll.size()),  // TLS outside the image
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const std::string path = dir.path() + "/broken" + std::to_string(i) + ".dll";
        std::ofstream(path, std::ios::binary)
            .write(cases[i].data(), static_cast<long>(cases[i].size()));
        // Relocations are read only when the image moves.
        EXPECT_THROW(Image(path, {.preferred_base = false}), tw::pe::LoadError) << i;
        EXPECT_TRUE(Image::loaded().empty()) << i;
    }
}

TEST(PeLoader, BindingsKeepWindowsLayouts) {
    const uint16_t wide[] = {'G', 'a', 'u', 0xB0, 0x2126, 0};
    EXPECT_EQ(callBinding("msvcrt.dll", "wcslen", {word(wide)}), 5u);
    char narrow[8] = {};
    uint32_t used = 0;
    EXPECT_EQ(callBinding("KERNEL32.dll", "WideCharToMultiByte",
                          {0, 0, word(wide), 0xFFFFFFFF, word(narrow), 8, 0, word(&used)}),
              6u);
    EXPECT_STREQ(narrow, "Gau\xB0?");
    EXPECT_EQ(used, 1u);
    uint16_t back[8] = {};
    EXPECT_EQ(callBinding("KERNEL32.dll", "MultiByteToWideChar",
                          {0, 0,
                           word("\xB0"
                                "C"),
                           0xFFFFFFFF, word(back), 8}),
              3u);
    EXPECT_EQ(back[0], 0xB0);
    EXPECT_EQ(back[1], 'C');
    EXPECT_EQ(callBinding("KERNEL32.dll", "MultiByteToWideChar",
                          {0, 0, word("long"), 0xFFFFFFFF, word(back), 2}),
              0u);
    EXPECT_EQ(GetLastError(), 122u);  // ERROR_INSUFFICIENT_BUFFER
    EXPECT_STREQ(reinterpret_cast<const char*>(callBinding("msvcrt.dll", "setlocale", {0, 0})),
                 "C");
    EXPECT_EQ(callBinding("msvcrt.dll", "setlocale", {0, word("German")}), 0u);
    // Standard error is _iob[2], 32 bytes a record; other records reach nothing.
    const auto* iob = static_cast<const uint8_t*>(tw::pe::findBinding("msvcrt", "_iob")->address);
    EXPECT_EQ(callBinding("msvcrt.dll", "fputc", {'\n', word(iob + 64)}), uint32_t{'\n'});
    EXPECT_EQ(callBinding("msvcrt.dll", "fputc", {'x', word(iob + 96)}), 0xFFFFFFFFu);
}

}  // namespace pe_loader_test

#endif  // TW_PELOAD
