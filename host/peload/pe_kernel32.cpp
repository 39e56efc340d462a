// KERNEL32 for Windows images: the stand-in's files, mappings, resources,
// atoms, errors and clock, and the loader's own modules, memory queries,
// critical sections and code page conversions. All stdcall.

#include <cstring>
#include <string>

#include "host/peload/pe_image.h"
#include "host/peload/pe_thunks.h"
#include "platform/linux/win32.h"

namespace tw::pe {

namespace {

using WideChar = uint16_t;

constexpr DWORD ErrorModuleNotFound = 126;
constexpr DWORD ErrorProcNotFound = 127;

// The program's own handle, for GetModuleHandle(NULL): the host has no image
// of its own, so any address no image can have will do.
const char HostProgram = 0;

// A module name without its folder, as GetModuleHandle compares it.
std::string_view leafName(std::string_view name) {
    size_t cut = name.find_last_of("\\/");
    return cut == std::string_view::npos ? name : name.substr(cut + 1);
}

bool sameModuleName(std::string_view asked, std::string_view file) {
    asked = leafName(asked);
    file = leafName(file);
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    auto equal = [&](std::string_view a, std::string_view b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (lower(a[i]) != lower(b[i])) return false;
        return true;
    };
    if (equal(asked, file)) return true;
    // Without an extension, Windows tries the name with ".dll".
    return asked.find('.') == std::string_view::npos && equal(std::string(asked) + ".dll", file);
}

HMODULE moduleNamed(const char* name) {
    if (!name) return reinterpret_cast<HMODULE>(const_cast<char*>(&HostProgram));
    for (Image* image : Image::loaded())
        if (sameModuleName(name, image->path())) return reinterpret_cast<HMODULE>(image->base());
    if (const void* dll = dllHandle(leafName(name)))
        return reinterpret_cast<HMODULE>(const_cast<void*>(dll));
    SetLastError(ErrorModuleNotFound);
    return nullptr;
}

HMODULE TW_PE_STDCALL getModuleHandleA(LPCSTR name) { return moduleNamed(name); }

HMODULE TW_PE_STDCALL getModuleHandleW(const WideChar* name) {
    if (!name) return moduleNamed(nullptr);
    std::string narrow;
    for (size_t i = 0; name[i] && i < MAX_PATH; ++i)
        narrow += name[i] < 0x80 ? static_cast<char>(name[i]) : '?';
    return moduleNamed(narrow.c_str());
}

// Only images already loaded and the bound DLLs are there to be "loaded".
HMODULE TW_PE_STDCALL loadLibraryA(LPCSTR name) { return name ? moduleNamed(name) : nullptr; }

BOOL TW_PE_STDCALL freeLibrary(HMODULE) { return TRUE; }

const void* TW_PE_STDCALL getProcAddress(HMODULE module, LPCSTR name) {
    for (Image* image : Image::loaded()) {
        if (reinterpret_cast<uint8_t*>(module) != image->base()) continue;
        if (void* found = image->exportAddress(name)) return found;
        SetLastError(ErrorProcNotFound);
        return nullptr;
    }
    if (const BindingTable* table = tableOfHandle(module); table && !IS_INTRESOURCE(name)) {
        if (const Binding* b = findBinding(table->dll, name)) return b->address;
    }
    SetLastError(ErrorProcNotFound);
    return nullptr;
}

// One thread runs the images: a critical section is never contended.
void TW_PE_STDCALL criticalSection(void*) {}

// No TlsAlloc is bound, so no index ever holds a value.
void* TW_PE_STDCALL tlsGetValue(DWORD index) {
    SetLastError(index < 1088 ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER);
    return nullptr;
}

struct MemoryBasicInformation {
    void* base_address;
    void* allocation_base;
    DWORD allocation_protect;
    SIZE_T region_size;
    DWORD state;
    DWORD protect;
    DWORD type;
};
static_assert(sizeof(MemoryBasicInformation) == 28);
constexpr DWORD MemCommit = 0x1000;
constexpr DWORD MemImage = 0x1000000;
constexpr DWORD PageExecuteWriteCopy = 0x80;

Image* imageHolding(const void* address) {
    for (Image* image : Image::loaded())
        if (image->contains(address)) return image;
    return nullptr;
}

SIZE_T TW_PE_STDCALL virtualQuery(const void* address, MemoryBasicInformation* info,
                                  SIZE_T length) {
    Image* image = imageHolding(address);
    MemoryRegion region;
    if (!image || !info || length < sizeof *info || !image->describe(address, region)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    info->base_address = reinterpret_cast<void*>(region.base);
    info->allocation_base = image->base();
    info->allocation_protect = PageExecuteWriteCopy;
    info->region_size = region.size;
    info->state = MemCommit;
    info->protect = region.protection;
    info->type = MemImage;
    return sizeof *info;
}

BOOL TW_PE_STDCALL virtualProtect(void* address, SIZE_T size, DWORD protection, DWORD* old) {
    Image* image = imageHolding(address);
    if (!image || !old || !image->protect(address, size, protection, old)) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
    }
    return TRUE;
}

// Every code page is taken as Latin-1: a byte is the character of that
// number, and a character above 0xFF has no byte.
BOOL TW_PE_STDCALL isDbcsLeadByteEx(UINT, BYTE) { return FALSE; }

int TW_PE_STDCALL multiByteToWideChar(UINT, DWORD, const char* text, int bytes, WideChar* wide,
                                      int room) {
    if (!text || bytes == 0 || room < 0 || (room > 0 && !wide)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t count = bytes < 0 ? std::strlen(text) + 1 : static_cast<size_t>(bytes);
    if (room == 0) return static_cast<int>(count);
    if (count > static_cast<size_t>(room)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (size_t i = 0; i < count; ++i) wide[i] = static_cast<unsigned char>(text[i]);
    return static_cast<int>(count);
}

int TW_PE_STDCALL wideCharToMultiByte(UINT, DWORD, const WideChar* wide, int chars, char* text,
                                      int room, const char* default_char, BOOL* used_default) {
    if (!wide || chars == 0 || room < 0 || (room > 0 && !text)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t count = 0;
    if (chars < 0) {
        while (wide[count]) ++count;
        ++count;
    } else {
        count = static_cast<size_t>(chars);
    }
    if (used_default) *used_default = FALSE;
    if (room == 0) return static_cast<int>(count);
    if (count > static_cast<size_t>(room)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (size_t i = 0; i < count; ++i) {
        if (wide[i] <= 0xFF) {
            text[i] = static_cast<char>(wide[i]);
        } else {
            text[i] = default_char ? *default_char : '?';
            if (used_default) *used_default = TRUE;
        }
    }
    return static_cast<int>(count);
}

const Binding Entries[] = {
    TW_PE_FORWARD(CloseHandle),
    TW_PE_FORWARD(CreateFileA),
    TW_PE_FORWARD(CreateFileMappingA),
    TW_PE_OWN("DeleteCriticalSection", criticalSection),
    TW_PE_OWN("EnterCriticalSection", criticalSection),
    TW_PE_FORWARD(FindResourceA),
    TW_PE_OWN("FreeLibrary", freeLibrary),
    TW_PE_FORWARD(GetCurrentProcessId),
    TW_PE_FORWARD(GetFileSize),
    TW_PE_FORWARD(GetLastError),
    TW_PE_OWN("GetModuleHandleA", getModuleHandleA),
    TW_PE_OWN("GetModuleHandleW", getModuleHandleW),
    TW_PE_OWN("GetProcAddress", getProcAddress),
    TW_PE_FORWARD(GetTickCount),
    TW_PE_FORWARD(GlobalAddAtomA),
    TW_PE_FORWARD(GlobalDeleteAtom),
    TW_PE_FORWARD(GlobalFindAtomA),
    TW_PE_FORWARD(GlobalGetAtomNameA),
    TW_PE_OWN("InitializeCriticalSection", criticalSection),
    TW_PE_OWN("IsDBCSLeadByteEx", isDbcsLeadByteEx),
    TW_PE_OWN("LeaveCriticalSection", criticalSection),
    TW_PE_OWN("LoadLibraryA", loadLibraryA),
    TW_PE_FORWARD(LoadResource),
    TW_PE_FORWARD(LockResource),
    TW_PE_FORWARD(MapViewOfFile),
    TW_PE_OWN("MultiByteToWideChar", multiByteToWideChar),
    TW_PE_FORWARD(OpenFileMappingA),
    TW_PE_FORWARD(SetLastError),
    TW_PE_FORWARD(SizeofResource),
    TW_PE_FORWARD(Sleep),
    TW_PE_OWN("TlsGetValue", tlsGetValue),
    TW_PE_FORWARD(UnmapViewOfFile),
    TW_PE_OWN("VirtualProtect", virtualProtect),
    TW_PE_OWN("VirtualQuery", virtualQuery),
    TW_PE_OWN("WideCharToMultiByte", wideCharToMultiByte),
};

}  // namespace

const BindingTable Kernel32Bindings = {"KERNEL32.dll", Entries, sizeof Entries / sizeof Entries[0]};

}  // namespace tw::pe
