// Resources of a module, looked up by type and name. This system loads no
// resource sections: a resource exists once addResource has given it.

#include <algorithm>
#include <cstring>
#include <fstream>
#include <list>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/internal.h"

namespace twplat {

namespace {

// A type or name: an integer id, or an upper-cased string. "#12" is the id 12.
struct ResourceKey {
    bool isId;
    unsigned id;
    std::string name;
    bool operator==(const ResourceKey&) const = default;
};

ResourceKey keyOf(LPCSTR s) {
    if (IS_INTRESOURCE(s)) return {true, static_cast<unsigned>(reinterpret_cast<uintptr_t>(s)), ""};
    const std::string_view v(s);
    if (v.size() > 1 && v[0] == '#' &&
        v.find_first_not_of("0123456789", 1) == std::string_view::npos) {
        unsigned id = 0;
        for (char c : v.substr(1)) id = (id * 10 + static_cast<unsigned>(c - '0')) & 0xFFFF;
        return {true, id, ""};
    }
    return {false, 0, detail::upperCase(v)};
}

struct Resource {
    HMODULE module;
    ResourceKey type;
    ResourceKey name;
    std::vector<BYTE> data;
};

// A list: the records' addresses are the HRSRC handles and must stay put.
std::list<Resource> resourceList;

Resource* resourceOf(HRSRC h) {
    for (Resource& r : resourceList) {
        if (reinterpret_cast<HRSRC>(&r) == h) return &r;
    }
    return nullptr;
}

}  // namespace

namespace detail {

void resetResources() { resourceList.clear(); }

}  // namespace detail

void addResource(HMODULE module, LPCSTR type, LPCSTR name, const void* data, size_t size) {
    // An empty resource still has an address to hand out: keep room for one.
    std::vector<BYTE> copy(std::max<size_t>(size, 1));
    if (size) std::memcpy(copy.data(), data, size);
    copy.resize(size);
    const ResourceKey t = keyOf(type);
    const ResourceKey n = keyOf(name);
    for (Resource& r : resourceList) {
        if (r.module == module && r.type == t && r.name == n) {
            r.data = std::move(copy);
            return;
        }
    }
    resourceList.push_back({module, t, n, std::move(copy)});
}

size_t loadResourceScript(HMODULE module, const std::string& script_path) {
    std::ifstream script(script_path);
    if (!script) return 0;
    const size_t cut = script_path.find_last_of('/');
    const std::string folder = cut == std::string::npos ? "." : script_path.substr(0, cut);
    constexpr size_t FileHeaderBytes = 14;
    size_t given = 0;
    std::string line;
    while (std::getline(script, line)) {
        std::istringstream words(line);
        std::string name, type;
        if (!(words >> name >> type) || type != "BITMAP") continue;
        const size_t q1 = line.find('"');
        const size_t q2 = q1 == std::string::npos ? q1 : line.find('"', q1 + 1);
        if (q2 == std::string::npos) continue;
        std::ifstream file(folder + "/" + line.substr(q1 + 1, q2 - q1 - 1), std::ios::binary);
        if (!file) continue;
        // In one read: a host loads some 250 bitmaps every time it starts.
        file.seekg(0, std::ios::end);
        const std::streamoff length = file.tellg();
        file.seekg(0, std::ios::beg);
        if (length <= 0) continue;
        std::vector<char> bytes(static_cast<size_t>(length));
        if (!file.read(bytes.data(), length)) continue;
        if (bytes.size() <= FileHeaderBytes || bytes[0] != 'B' || bytes[1] != 'M') continue;
        const bool numbered = name.find_first_not_of("0123456789") == std::string::npos;
        const unsigned id =
            numbered && name.size() <= 5 ? static_cast<unsigned>(std::stoul(name)) : 0;
        if (numbered && (id == 0 || id > 0xFFFF)) continue;
        LPCSTR key = numbered ? MAKEINTRESOURCEA(id) : name.c_str();
        addResource(module, RT_BITMAP, key, bytes.data() + FileHeaderBytes,
                    bytes.size() - FileHeaderBytes);
        ++given;
    }
    return given;
}

}  // namespace twplat

extern "C" {

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
    using namespace twplat;
    if (!lpName || !lpType) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const ResourceKey type = keyOf(lpType);
    const ResourceKey name = keyOf(lpName);
    bool typeSeen = false;
    for (Resource& r : resourceList) {
        if (r.module != hModule || !(r.type == type)) continue;
        typeSeen = true;
        if (r.name == name) return reinterpret_cast<HRSRC>(&r);
    }
    SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
    using namespace twplat;
    const Resource* r = resourceOf(hResInfo);
    if (!r || r->module != hModule) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return static_cast<DWORD>(r->data.size());
}

HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
    using namespace twplat;
    Resource* r = resourceOf(hResInfo);
    if (!r || r->module != hModule) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // As on Windows, the loaded resource is the data itself.
    return r->data.data();
}

LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

}  // extern "C"
