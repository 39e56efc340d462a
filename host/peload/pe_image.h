// A 32-bit Windows DLL loaded into the 32-bit Linux host: mapped at its
// preferred base or relocated through its base relocations, its imports bound
// to the bindings of pe_bindings.h (an import without one refuses the load by
// name, before any of the image's code runs), its TLS callbacks and entry
// routine run with DLL_PROCESS_ATTACH, and its exports found by name as
// GetProcAddress finds them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/peload/pe_call.h"

namespace tw::pe {

// The file is no image the loader can run, or its start failed; the message
// names the file and the cause.
class LoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// True when the file starts as a Windows image does ("MZ"): the loader then
// either runs it or says what is wrong with it.
bool isPeFile(const std::string& path);

struct LoadOptions {
    // False places the image away from its preferred base, so that every
    // relocation is applied.
    bool preferred_base = true;
};

// A run of pages of one protection, as VirtualQuery describes it.
struct MemoryRegion {
    uintptr_t base = 0;
    size_t size = 0;
    uint32_t protection = 0;  // Windows PAGE_ value
};

// One import as bound.
struct BoundImport {
    std::string dll;   // as the image names it
    std::string name;  // the routine's or data's name
    Convention convention;
    bool data;            // the address of a variable, not of a routine
    const void* address;  // what the import address table holds
};

class Image {
public:
    explicit Image(const std::string& path, const LoadOptions& options = {});
    // The entry routine and the TLS callbacks with DLL_PROCESS_DETACH, then
    // the image is unmapped.
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    const std::string& path() const { return path_; }
    uint8_t* base() const { return base_; }
    uint32_t size() const { return size_; }
    uint32_t preferredBase() const { return preferred_base_; }
    bool relocated() const { return reinterpret_cast<uintptr_t>(base_) != preferred_base_; }
    bool contains(const void* p) const {
        auto a = reinterpret_cast<uintptr_t>(p);
        auto b = reinterpret_cast<uintptr_t>(base_);
        return a >= b && a - b < size_;
    }

    // An export by name, or by ordinal when the name's high word is zero, as
    // GetProcAddress gives it; null when there is none.
    void* exportAddress(const char* name) const;
    const std::vector<BoundImport>& imports() const { return imports_; }
    // What the entry routine returned for DLL_PROCESS_ATTACH; the load fails
    // unless it is nonzero.
    uint32_t entryResult() const { return entry_result_; }
    size_t tlsCallbacksRun() const { return tls_callbacks_run_; }

    // The run of pages from the one holding `address` on that share its
    // protection; false outside the image.
    bool describe(const void* address, MemoryRegion& region) const;
    // Gives the pages of a range a Windows PAGE_ protection and tells the
    // first page's old one; false outside the image or for an unknown value.
    bool protect(const void* address, size_t length, uint32_t protection, uint32_t* old);

    // Every image loaded now, oldest first (GetModuleHandle looks here).
    static const std::vector<Image*>& loaded();

private:
    void parse(const std::vector<uint8_t>& file);
    void map(const std::vector<uint8_t>& file, const LoadOptions& options);
    void relocate();
    void bindImports();
    void protectSections();
    void applyProtection(size_t first_page, size_t pages);
    void startThreadStorage();
    void runTlsCallbacks(uint32_t reason);
    void callEntry(uint32_t reason, uint32_t* result);
    void release();
    // A range of the mapped image by relative address; throws when it does
    // not lie inside.
    uint8_t* at(uint32_t rva, uint32_t length) const;
    [[noreturn]] void fail(const std::string& why) const;

    std::string path_;
    uint8_t* base_ = nullptr;
    uint32_t size_ = 0;
    uint32_t preferred_base_ = 0;
    uint32_t entry_rva_ = 0;
    uint32_t headers_size_ = 0;
    uint16_t characteristics_ = 0;
    struct Directory {
        uint32_t rva = 0;
        uint32_t size = 0;
    };
    Directory directories_[16];
    struct Section {
        uint32_t rva;
        uint32_t span;  // bytes in the image
        uint32_t raw_offset;
        uint32_t raw_size;  // bytes copied from the file
        uint32_t characteristics;
    };
    std::vector<Section> sections_;
    std::vector<uint32_t> page_protection_;
    std::vector<BoundImport> imports_;
    uint32_t entry_result_ = 0;
    size_t tls_callbacks_run_ = 0;
    int tls_slot_ = -1;
    std::vector<uint8_t> tls_data_;
    bool attached_ = false;
};

}  // namespace tw::pe
