#include "host/peload/pe_image.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "host/peload/pe_bindings.h"

namespace tw::pe {

namespace {

// ---- The format's numbers ------------------------------------------------------
constexpr uint16_t DosMagic = 0x5A4D;  // "MZ"
constexpr uint32_t DosNewHeaderOffset = 0x3C;
constexpr uint32_t PeSignature = 0x00004550;  // "PE\0\0"
constexpr uint16_t MachineI386 = 0x014C;
constexpr uint16_t OptionalMagicPe32 = 0x010B;
constexpr uint16_t FileRelocsStripped = 0x0001;
constexpr uint16_t FileDll = 0x2000;

constexpr uint32_t FileHeaderSize = 20;
constexpr uint32_t SectionHeaderSize = 40;
constexpr uint32_t OptionalDirectoriesOffset = 96;
constexpr uint32_t DirectorySize = 8;
constexpr uint32_t MaxDirectories = 16;
constexpr uint32_t MaxSections = 96;
constexpr uint32_t MaxImageSize = 64u << 20;

enum DirectoryIndex : uint32_t {
    ExportDirectory = 0,
    ImportDirectory = 1,
    RelocationDirectory = 5,
    TlsDirectory = 9,
    DelayImportDirectory = 13,
};

constexpr uint32_t SectionExecute = 0x20000000;
constexpr uint32_t SectionRead = 0x40000000;
constexpr uint32_t SectionWrite = 0x80000000;

constexpr uint16_t RelocationAbsolute = 0;
constexpr uint16_t RelocationHighLow = 3;

constexpr uint32_t ImportByOrdinal = 0x80000000;
constexpr uint32_t ImportDescriptorSize = 20;
constexpr uint32_t ExportDirectorySize = 40;
constexpr uint32_t TlsDirectorySize = 24;
constexpr size_t MaxTlsCallbacks = 64;

constexpr uint32_t DllProcessDetach = 0;
constexpr uint32_t DllProcessAttach = 1;

// Windows page protections.
constexpr uint32_t PageNoAccess = 0x01;
constexpr uint32_t PageReadOnly = 0x02;
constexpr uint32_t PageReadWrite = 0x04;
constexpr uint32_t PageWriteCopy = 0x08;
constexpr uint32_t PageExecute = 0x10;
constexpr uint32_t PageExecuteRead = 0x20;
constexpr uint32_t PageExecuteReadWrite = 0x40;
constexpr uint32_t PageExecuteWriteCopy = 0x80;

const size_t Page = static_cast<size_t>(sysconf(_SC_PAGESIZE));

int posixProtection(uint32_t windows) {
    switch (windows) {
        case PageReadOnly:
            return PROT_READ;
        case PageReadWrite:
        case PageWriteCopy:
            return PROT_READ | PROT_WRITE;
        case PageExecute:
        case PageExecuteRead:
            return PROT_READ | PROT_EXEC;
        case PageExecuteReadWrite:
        case PageExecuteWriteCopy:
            return PROT_READ | PROT_WRITE | PROT_EXEC;
        default:
            return PROT_NONE;
    }
}

bool knownProtection(uint32_t windows) {
    return windows == PageNoAccess || posixProtection(windows) != PROT_NONE;
}

uint32_t sectionProtection(uint32_t characteristics) {
    const bool x = characteristics & SectionExecute;
    const bool w = characteristics & SectionWrite;
    const bool r = characteristics & SectionRead;
    if (x) return w ? PageExecuteReadWrite : r ? PageExecuteRead : PageExecute;
    if (w) return PageReadWrite;
    return r ? PageReadOnly : PageNoAccess;
}

// The protection that allows what either allows, for pages two sections share.
uint32_t unite(uint32_t a, uint32_t b) {
    if (a == PageNoAccess) return b;
    if (b == PageNoAccess) return a;
    const int p = posixProtection(a) | posixProtection(b);
    if (p & PROT_EXEC) return (p & PROT_WRITE) ? PageExecuteReadWrite : PageExecuteRead;
    return (p & PROT_WRITE) ? PageReadWrite : PageReadOnly;
}

template <typename T>
T read(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::vector<Image*>& registry() {
    static std::vector<Image*> images;
    return images;
}

std::string hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", v);
    return buf;
}

}  // namespace

bool isPeFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    uint8_t magic[2] = {};
    return f.read(reinterpret_cast<char*>(magic), sizeof magic) &&
           read<uint16_t>(magic) == DosMagic;
}

const std::vector<Image*>& Image::loaded() { return registry(); }

void Image::fail(const std::string& why) const { throw LoadError(path_ + ": " + why); }

uint8_t* Image::at(uint32_t rva, uint32_t length) const {
    if (rva > size_ || length > size_ - rva)
        fail("a record at " + hex(rva) + " runs outside the image");
    return base_ + rva;
}

Image::Image(const std::string& path, const LoadOptions& options) : path_(path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) fail("cannot be opened");
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(f)),
                              std::istreambuf_iterator<char>());
    parse(file);
    map(file, options);
    try {
        if (relocated()) relocate();
        bindImports();
        startThreadStorage();
        protectSections();
    } catch (...) {
        release();
        throw;
    }
    registry().push_back(this);
    try {
        runTlsCallbacks(DllProcessAttach);
        callEntry(DllProcessAttach, &entry_result_);
    } catch (...) {
        release();
        throw;
    }
    if (entry_result_ == 0) {
        // As Windows does: the refusing library hears of its detach at once.
        uint32_t ignored = 0;
        try {
            callEntry(DllProcessDetach, &ignored);
        } catch (...) {
        }
        release();
        fail("its entry routine refused DLL_PROCESS_ATTACH");
    }
    attached_ = true;
}

Image::~Image() {
    if (attached_) {
        try {
            uint32_t ignored = 0;
            callEntry(DllProcessDetach, &ignored);
            runTlsCallbacks(DllProcessDetach);
        } catch (const std::exception& e) {
            // Nothing can be reported from here; a broken image must not pass quietly.
            std::fprintf(stderr, "%s: %s\n", path_.c_str(), e.what());
            std::abort();
        }
    }
    release();
}

void Image::parse(const std::vector<uint8_t>& file) {
    auto need = [&](size_t offset, size_t length) {
        if (offset > file.size() || length > file.size() - offset)
            fail("is cut short: its headers run past the end of the file");
        return file.data() + offset;
    };
    if (read<uint16_t>(need(0, 2)) != DosMagic) fail("is no Windows image (no \"MZ\")");
    const uint32_t nt = read<uint32_t>(need(DosNewHeaderOffset, 4));
    if (read<uint32_t>(need(nt, 4)) != PeSignature) fail("is no PE image (no \"PE\" header)");
    const uint8_t* fh = need(nt + 4, FileHeaderSize);
    if (read<uint16_t>(fh) != MachineI386) fail("is not a 32-bit x86 image");
    const uint16_t section_count = read<uint16_t>(fh + 2);
    const uint16_t optional_size = read<uint16_t>(fh + 16);
    characteristics_ = read<uint16_t>(fh + 18);
    if (!(characteristics_ & FileDll)) fail("is a program, not a DLL");
    if (section_count == 0 || section_count > MaxSections) fail("has an odd number of sections");

    const uint32_t opt_at = nt + 4 + FileHeaderSize;
    if (optional_size < OptionalDirectoriesOffset) fail("has a short optional header");
    const uint8_t* opt = need(opt_at, optional_size);
    if (read<uint16_t>(opt) != OptionalMagicPe32) fail("is not a PE32 image");
    entry_rva_ = read<uint32_t>(opt + 16);
    preferred_base_ = read<uint32_t>(opt + 28);
    const uint32_t section_alignment = read<uint32_t>(opt + 32);
    size_ = read<uint32_t>(opt + 56);
    headers_size_ = read<uint32_t>(opt + 60);
    const uint32_t dir_count = std::min(
        read<uint32_t>(opt + 92), (optional_size - OptionalDirectoriesOffset) / DirectorySize);
    if (size_ == 0 || size_ > MaxImageSize) fail("declares an image size of " + hex(size_));
    if (section_alignment == 0 || preferred_base_ % Page != 0) fail("has an odd alignment");
    if (headers_size_ > size_ || headers_size_ > file.size())
        fail("has headers larger than itself");
    for (uint32_t i = 0; i < std::min(dir_count, MaxDirectories); ++i) {
        directories_[i].rva = read<uint32_t>(opt + OptionalDirectoriesOffset + i * DirectorySize);
        directories_[i].size =
            read<uint32_t>(opt + OptionalDirectoriesOffset + i * DirectorySize + 4);
    }
    if (directories_[DelayImportDirectory].rva != 0)
        fail("has delay-loaded imports, which the loader does not bind");

    const uint8_t* table = need(opt_at + optional_size, size_t{section_count} * SectionHeaderSize);
    for (uint16_t i = 0; i < section_count; ++i) {
        const uint8_t* h = table + i * SectionHeaderSize;
        Section s{};
        const uint32_t virtual_size = read<uint32_t>(h + 8);
        s.rva = read<uint32_t>(h + 12);
        const uint32_t raw_size = read<uint32_t>(h + 16);
        s.raw_offset = read<uint32_t>(h + 20);
        s.characteristics = read<uint32_t>(h + 36);
        s.span = virtual_size != 0 ? virtual_size : raw_size;
        s.raw_size = std::min(raw_size, s.span);
        if (s.rva < headers_size_ || s.rva > size_ || s.span > size_ - s.rva)
            fail("has a section outside the image");
        if (s.raw_size != 0) need(s.raw_offset, s.raw_size);
        sections_.push_back(s);
    }
}

void Image::map(const std::vector<uint8_t>& file, const LoadOptions& options) {
    const size_t length = (size_ + Page - 1) / Page * Page;
    void* preferred = reinterpret_cast<void*>(static_cast<uintptr_t>(preferred_base_));
    void* keep_away = MAP_FAILED;
    if (!options.preferred_base) {
        // Hold the preferred place so that the image cannot land there.
        keep_away = mmap(preferred, length, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        preferred = nullptr;
    }
    void* mem = mmap(preferred, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (keep_away != MAP_FAILED) munmap(keep_away, length);
    if (mem == MAP_FAILED) fail("finds no room for its " + hex(size_) + " bytes");
    base_ = static_cast<uint8_t*>(mem);
    if (relocated() &&
        ((characteristics_ & FileRelocsStripped) || directories_[RelocationDirectory].rva == 0)) {
        munmap(base_, length);
        base_ = nullptr;
        fail("cannot be placed at its preferred base " + hex(preferred_base_) +
             " and has no relocations");
    }
    std::memcpy(base_, file.data(), headers_size_);
    for (const Section& s : sections_)
        if (s.raw_size != 0) std::memcpy(base_ + s.rva, file.data() + s.raw_offset, s.raw_size);
}

void Image::relocate() {
    const uint32_t delta =
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(base_)) - preferred_base_;
    const Directory& d = directories_[RelocationDirectory];
    const uint8_t* p = at(d.rva, d.size);
    const uint8_t* end = p + d.size;
    while (end - p >= 8) {
        const uint32_t page = read<uint32_t>(p);
        const uint32_t block = read<uint32_t>(p + 4);
        if (block < 8 || block > static_cast<uint32_t>(end - p))
            fail("has a broken relocation block");
        for (uint32_t i = 8; i + 2 <= block; i += 2) {
            const uint16_t entry = read<uint16_t>(p + i);
            const uint16_t type = entry >> 12;
            if (type == RelocationAbsolute) continue;
            if (type != RelocationHighLow) fail("has a relocation of type " + std::to_string(type));
            uint8_t* target = at(page + (entry & 0x0FFF), 4);
            const uint32_t value = read<uint32_t>(target) + delta;
            std::memcpy(target, &value, sizeof value);
        }
        p += block;
    }
    // The headers say where the image is, as Windows keeps them.
    const uint32_t nt = read<uint32_t>(base_ + DosNewHeaderOffset);
    const uint32_t actual = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(base_));
    std::memcpy(at(nt + 4 + FileHeaderSize + 28, 4), &actual, sizeof actual);
}

void Image::bindImports() {
    const Directory& d = directories_[ImportDirectory];
    if (d.rva == 0) return;
    auto text = [&](uint32_t rva) -> std::string {
        const uint8_t* s = at(rva, 1);
        const size_t room = size_ - rva;
        const void* nul = std::memchr(s, 0, room);
        if (!nul) fail("has an import name that runs outside the image");
        return std::string(reinterpret_cast<const char*>(s), static_cast<const uint8_t*>(nul) - s);
    };
    std::string refused;
    for (uint32_t desc = d.rva;; desc += ImportDescriptorSize) {
        const uint8_t* id = at(desc, ImportDescriptorSize);
        const uint32_t names = read<uint32_t>(id);
        const uint32_t dll_name = read<uint32_t>(id + 12);
        const uint32_t iat = read<uint32_t>(id + 16);
        if (dll_name == 0 && iat == 0) break;
        const std::string dll = text(dll_name);
        const uint32_t lookup = names != 0 ? names : iat;
        for (uint32_t i = 0;; ++i) {
            const uint32_t entry = read<uint32_t>(at(lookup + 4 * i, 4));
            if (entry == 0) break;
            uint8_t* slot = at(iat + 4 * i, 4);
            if (entry & ImportByOrdinal) {
                refused += (refused.empty() ? "" : ", ") + dll + " ordinal " +
                           std::to_string(entry & 0xFFFF);
                continue;
            }
            const std::string name = text(entry + 2);  // after the two-byte hint
            const Binding* b = findBinding(dll, name);
            if (!b) {
                refused += (refused.empty() ? "" : ", ") + dll + "!" + name;
                continue;
            }
            const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(b->address));
            std::memcpy(slot, &address, sizeof address);
            imports_.push_back(BoundImport{dll, name, b->convention, b->data, b->address});
        }
    }
    if (!refused.empty())
        fail("imports what the loader cannot bind: " + refused + "; nothing of it has run");
}

void Image::startThreadStorage() {
    const Directory& d = directories_[TlsDirectory];
    if (d.rva == 0) return;
    const uint8_t* dir = at(d.rva, TlsDirectorySize);
    const uint32_t start = read<uint32_t>(dir);
    const uint32_t end = read<uint32_t>(dir + 4);
    const uint32_t index_va = read<uint32_t>(dir + 8);
    const uint32_t zero_fill = read<uint32_t>(dir + 16);
    const auto base = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(base_));
    if (end < start || zero_fill > MaxImageSize) fail("has a broken TLS directory");
    const uint8_t* from = start == end ? nullptr : at(start - base, end - start);
    tls_data_.assign(end - start + zero_fill, 0);
    if (from) std::copy(from, from + (end - start), tls_data_.begin());
    tls_slot_ = allocateTlsSlot();
    if (tls_slot_ < 0) fail("finds every thread-local storage slot taken");
    setTlsSlotData(tls_slot_, tls_data_.data());
    if (index_va != 0) {
        const auto index = static_cast<uint32_t>(tls_slot_);
        std::memcpy(at(index_va - base, 4), &index, sizeof index);
    }
}

void Image::runTlsCallbacks(uint32_t reason) {
    const Directory& d = directories_[TlsDirectory];
    if (d.rva == 0) return;
    const auto base = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(base_));
    const uint32_t list = read<uint32_t>(at(d.rva, TlsDirectorySize) + 12);
    if (list == 0) return;
    for (size_t i = 0; i < MaxTlsCallbacks; ++i) {
        const uint32_t callback = read<uint32_t>(at(list - base + 4 * static_cast<uint32_t>(i), 4));
        if (callback == 0) return;
        const void* code = at(callback - base, 1);
        checkedCall(code, Convention::Stdcall, {base, reason, 0}, false, "a TLS callback");
        if (reason == DllProcessAttach) ++tls_callbacks_run_;
    }
}

void Image::callEntry(uint32_t reason, uint32_t* result) {
    *result = 1;
    if (entry_rva_ == 0) return;
    const auto base = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(base_));
    CallResult r = checkedCall(at(entry_rva_, 1), Convention::Stdcall, {base, reason, 0}, false,
                               "the entry routine");
    *result = static_cast<uint32_t>(r.words);
}

void Image::protectSections() {
    const size_t pages = (size_ + Page - 1) / Page;
    page_protection_.assign(pages, PageNoAccess);
    for (size_t p = 0; p * Page < headers_size_; ++p) page_protection_[p] = PageReadOnly;
    for (const Section& s : sections_) {
        if (s.span == 0) continue;
        const uint32_t want = sectionProtection(s.characteristics);
        for (size_t p = s.rva / Page; p * Page < size_t{s.rva} + s.span; ++p)
            page_protection_[p] = unite(page_protection_[p], want);
    }
    applyProtection(0, pages);
}

void Image::applyProtection(size_t first_page, size_t pages) {
    for (size_t p = first_page; p < first_page + pages; ++p)
        mprotect(base_ + p * Page, Page, posixProtection(page_protection_[p]));
}

bool Image::describe(const void* address, MemoryRegion& region) const {
    if (!contains(address)) return false;
    const size_t first = static_cast<size_t>(static_cast<const uint8_t*>(address) - base_) / Page;
    size_t last = first;
    while (last + 1 < page_protection_.size() &&
           page_protection_[last + 1] == page_protection_[first])
        ++last;
    region.base = reinterpret_cast<uintptr_t>(base_ + first * Page);
    region.size = (last - first + 1) * Page;
    region.protection = page_protection_[first];
    return true;
}

bool Image::protect(const void* address, size_t length, uint32_t protection, uint32_t* old) {
    if (!contains(address) || length == 0 || !knownProtection(protection)) return false;
    const size_t offset = static_cast<size_t>(static_cast<const uint8_t*>(address) - base_);
    if (length > size_ - offset) return false;
    const size_t first = offset / Page;
    const size_t last = (offset + length - 1) / Page;
    *old = page_protection_[first];
    for (size_t p = first; p <= last; ++p) page_protection_[p] = protection;
    applyProtection(first, last - first + 1);
    return true;
}

void* Image::exportAddress(const char* name) const {
    const Directory& d = directories_[ExportDirectory];
    if (d.rva == 0 || !name || d.size < ExportDirectorySize) return nullptr;
    const uint8_t* dir = base_ + d.rva;
    if (d.rva > size_ || ExportDirectorySize > size_ - d.rva) return nullptr;
    const uint32_t ordinal_base = read<uint32_t>(dir + 16);
    const uint32_t functions = read<uint32_t>(dir + 20);
    const uint32_t names = read<uint32_t>(dir + 24);
    const uint32_t function_table = read<uint32_t>(dir + 28);
    const uint32_t name_table = read<uint32_t>(dir + 32);
    const uint32_t ordinal_table = read<uint32_t>(dir + 36);
    auto inside = [&](uint32_t rva, uint64_t length) {
        return rva <= size_ && length <= size_ - rva;
    };
    if (!inside(function_table, uint64_t{functions} * 4) ||
        !inside(name_table, uint64_t{names} * 4) || !inside(ordinal_table, uint64_t{names} * 2))
        return nullptr;

    uint32_t index = functions;
    const auto asked = reinterpret_cast<uintptr_t>(name);
    if ((asked >> 16) == 0) {
        index = static_cast<uint32_t>(asked) - ordinal_base;
    } else {
        for (uint32_t i = 0; i < names; ++i) {
            const uint32_t rva = read<uint32_t>(base_ + name_table + 4 * i);
            if (!inside(rva, 1)) continue;
            const char* candidate = reinterpret_cast<const char*>(base_ + rva);
            if (std::strncmp(candidate, name, size_ - rva) == 0) {
                index = read<uint16_t>(base_ + ordinal_table + 2 * i);
                break;
            }
        }
    }
    if (index >= functions) return nullptr;
    const uint32_t rva = read<uint32_t>(base_ + function_table + 4 * index);
    // An address inside the export directory forwards to another DLL.
    if (rva == 0 || !inside(rva, 1) || (rva >= d.rva && rva - d.rva < d.size)) return nullptr;
    return base_ + rva;
}

void Image::release() {
    auto& images = registry();
    images.erase(std::remove(images.begin(), images.end(), this), images.end());
    if (base_) forgetImage(base_, size_, images.empty());
    if (tls_slot_ >= 0) releaseTlsSlot(tls_slot_);
    tls_slot_ = -1;
    if (base_) munmap(base_, (size_ + Page - 1) / Page * Page);
    base_ = nullptr;
    attached_ = false;
}

}  // namespace tw::pe
