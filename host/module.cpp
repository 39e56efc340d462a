#include "host/module.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#if TW_PELOAD
#include "host/peload/pe_image.h"
#include "host/peload/pe_services.h"
#endif

#if TW_LINKED_MODULE
#include "framework/gauge.h"
#endif

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "platform/linux/stand_in.h"
#endif

#if TW_LINKED_MODULE
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID);
#endif

namespace tw {

namespace {

#if defined(_WIN32)
void* openLibrary(const std::string& path) { return LoadLibraryA(path.c_str()); }
void closeLibrary(void* h) { FreeLibrary(static_cast<HMODULE>(h)); }
void* findSymbol(void* h, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(h), name));
}
std::string lastError() { return "error " + std::to_string(GetLastError()); }
std::string programFolder() {
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    std::string p(buf, n < sizeof buf ? n : 0);
    size_t cut = p.find_last_of("\\/");
    return cut == std::string::npos ? std::string(".") : p.substr(0, cut);
}
#elif TW_LINKED_MODULE
// The module is part of this program (the browser build has no dynamic
// loader): "loading" it finds the same two exports by name, and the handle
// that names its resources is the address of its Linkage.
void* openLibrary(const std::string&) { return &Linkage; }
void closeLibrary(void*) {}
void* findSymbol(void*, const char* name) {
    std::string_view n(name ? name : "");
    if (n == "Linkage") return &Linkage;
    if (n == "ImportTable") return &ImportTable;
    return nullptr;
}
std::string lastError() { return "not linked in"; }
#else
void* openLibrary(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
void closeLibrary(void* h) { dlclose(h); }
void* findSymbol(void* h, const char* name) { return dlsym(h, name); }
std::string lastError() {
    const char* e = dlerror();
    return e ? e : "unknown error";
}
#endif
#if !defined(_WIN32)
std::string programFolder() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string p(buf, n > 0 ? static_cast<size_t>(n) : 0);
    size_t cut = p.find_last_of('/');
    return cut == std::string::npos ? std::string(".") : p.substr(0, cut);
}

// The library entry, called as the operating system would on Windows.
#if TW_LINKED_MODULE
void callEntry(void* h, uint32_t reason) { DllMain(static_cast<HINSTANCE>(h), reason, nullptr); }
#else
using EntryRoutine = int (*)(void*, uint32_t, void*);
void callEntry(void* h, uint32_t reason) {
    if (auto entry = reinterpret_cast<EntryRoutine>(dlsym(h, "DllMain"))) entry(h, reason, nullptr);
}
#endif
#endif

#if !defined(_WIN32) && !TW_PELOAD && !TW_LINKED_MODULE
// A Windows DLL starts with "MZ", which no shared object does.
bool isWindowsDll(const std::string& path) {
    char magic[2] = {};
    std::ifstream f(path, std::ios::binary);
    return f.read(magic, sizeof magic) && magic[0] == 'M' && magic[1] == 'Z';
}
#endif

}  // namespace

Module::Module(const std::string& path, PANEL_SERVICES* services) : path_(path), given_(services) {
#if TW_PELOAD
    if (pe::isPeFile(path)) {
        image_ = std::make_shared<pe::Image>(path);
        handle_ = image_->base();
        given_ = pe::stdcallServices(services);
    }
#elif !defined(_WIN32) && !TW_LINKED_MODULE
    if (isWindowsDll(path))
        throw std::runtime_error(path +
                                 " is a Windows DLL: only the 32-bit Linux host (preset linux32) "
                                 "runs one, through its PE loader");
#endif
    if (!image_) {
        handle_ = openLibrary(path);
        if (!handle_) throw std::runtime_error("cannot load " + path + ": " + lastError());
    }
#if !defined(_WIN32)
    // Windows maps a DLL's resources with it; here the bitmaps the build drew
    // for the module lie beside it, named by its resource script.
    size_t cut = path.find_last_of('/');
    twplat::loadResourceScript(static_cast<HMODULE>(handle_),
                               (cut == std::string::npos ? std::string(".") : path.substr(0, cut)) +
                                   "/resources/tarnwick.rc");
    if (!image_) callEntry(handle_, 1);
#endif
    linkage_ = static_cast<LINKAGE*>(symbol("Linkage"));
    import_ = static_cast<IMPORT_TABLE*>(symbol("ImportTable"));
    if (!linkage_ || !import_) {
        if (!image_) closeLibrary(handle_);
        throw std::runtime_error(path + " exports no Linkage or ImportTable");
    }
    // Entries up to the one with id 0, and never past the table's own end.
    for (IMPORT_ENTRY& entry : import_->entries) {
        if (entry.id == 0) break;
        if (entry.id == ImportPanelsId) entry.table = given_;
    }
    if (linkage_->module_init) call(linkage_->module_init);
}

Module::~Module() {
    if (linkage_->module_deinit) call(linkage_->module_deinit);
    if (image_) {
        image_.reset();  // the entry routine hears of the detach, then the image goes
        return;
    }
#if !defined(_WIN32)
    callEntry(handle_, 0);
#endif
    closeLibrary(handle_);
}

GAUGE_HEADER* Module::findGauge(std::string_view name) const {
    for (GAUGE_HEADER* const* g = linkage_->gauge_table; *g; ++g) {
        if ((*g)->gauge_name && name == (*g)->gauge_name) return *g;
    }
    return nullptr;
}

#if TW_PELOAD
void* Module::symbol(const char* name) const {
    return image_ ? image_->exportAddress(name) : findSymbol(handle_, name);
}
#else
void* Module::symbol(const char* name) const { return findSymbol(handle_, name); }
#endif

std::string Module::defaultPath() {
    if (const char* env = std::getenv("TARNWICK_MODULE"); env && *env) return env;
#if defined(_WIN32)
    return programFolder() + "\\tarnwick.gau";
#else
    return programFolder() + "/tarnwick.gau";
#endif
}

}  // namespace tw
