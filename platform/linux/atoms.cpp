// The global atom table: reference-counted, case-insensitive strings numbered
// 0xC000..0xFFFF, and integer atoms ("#n" or MAKEINTATOM(n)) below 0xC000.

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/internal.h"

namespace twplat {

namespace {

constexpr ATOM kFirstStringAtom = 0xC000;
constexpr size_t kSlots = 0x4000;
constexpr size_t kMaxName = 255;

struct Slot {
    std::string name;
    unsigned refs = 0;  // 0: free
};
std::vector<Slot> slots;

// "#1234" names the integer atom 1234; a '#' with anything else after it is an
// ordinary string. nullopt: not an integer name; 0: an invalid integer.
std::optional<unsigned> integerName(std::string_view s) {
    if (s.size() < 2 || s[0] != '#') return std::nullopt;
    unsigned value = 0;
    for (char c : s.substr(1)) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value >= kFirstStringAtom) return 0u;
    }
    return value;
}

Slot* slotOf(ATOM atom) {
    if (atom < kFirstStringAtom) return nullptr;
    size_t i = atom - kFirstStringAtom;
    return i < slots.size() && slots[i].refs > 0 ? &slots[i] : nullptr;
}

ATOM findString(std::string_view name) {
    for (size_t i = 0; i < slots.size(); ++i) {
        if (slots[i].refs > 0 && detail::equalNoCase(slots[i].name, name)) {
            return static_cast<ATOM>(kFirstStringAtom + i);
        }
    }
    return 0;
}

// Resolves an integer atom given as MAKEINTATOM or "#n"; 0 with the error set
// when the argument is invalid, nullopt when it is a plain string.
std::optional<ATOM> integerAtom(LPCSTR s) {
    if (IS_INTRESOURCE(s)) {
        const auto v = static_cast<ATOM>(reinterpret_cast<uintptr_t>(s));
        if (v == 0 || v >= kFirstStringAtom) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return ATOM{0};
        }
        return v;
    }
    if (auto n = integerName(s)) {
        if (*n == 0) SetLastError(ERROR_INVALID_PARAMETER);
        return static_cast<ATOM>(*n);
    }
    return std::nullopt;
}

}  // namespace

namespace detail {

void resetAtoms() { slots.clear(); }

}  // namespace detail

std::vector<AtomInfo> atoms() {
    std::vector<AtomInfo> out;
    for (size_t i = 0; i < slots.size(); ++i) {
        if (slots[i].refs > 0) {
            out.push_back({static_cast<ATOM>(kFirstStringAtom + i), slots[i].name, slots[i].refs});
        }
    }
    return out;
}

}  // namespace twplat

extern "C" {

ATOM WINAPI GlobalAddAtomA(LPCSTR lpString) {
    using namespace twplat;
    if (detail::faultHits(Fault::AddAtom)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (auto a = integerAtom(lpString)) return *a;
    const std::string_view name(lpString);
    if (name.empty() || name.size() > kMaxName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (ATOM a = findString(name)) {
        ++slotOf(a)->refs;
        return a;
    }
    // Freed numbers come back into use, lowest first, as table slots do.
    size_t i = 0;
    while (i < slots.size() && slots[i].refs > 0) ++i;
    if (i == kSlots) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (i == slots.size()) slots.emplace_back();
    slots[i] = Slot{std::string(name), 1};
    return static_cast<ATOM>(kFirstStringAtom + i);
}

ATOM WINAPI GlobalDeleteAtom(ATOM nAtom) {
    using namespace twplat;
    // Integer atoms are not counted; deleting one always succeeds.
    if (nAtom != 0 && nAtom < kFirstStringAtom) return 0;
    Slot* s = slotOf(nAtom);
    if (!s) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nAtom;
    }
    if (--s->refs == 0) s->name.clear();
    return 0;
}

ATOM WINAPI GlobalFindAtomA(LPCSTR lpString) {
    using namespace twplat;
    if (auto a = integerAtom(lpString)) return *a;
    if (ATOM a = findString(lpString)) return a;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
}

UINT WINAPI GlobalGetAtomNameA(ATOM nAtom, LPSTR lpBuffer, int nSize) {
    using namespace twplat;
    if (!lpBuffer || nSize <= 0 || nAtom == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string name;
    if (nAtom < kFirstStringAtom) {
        name = "#" + std::to_string(nAtom);
    } else if (const Slot* s = slotOf(nAtom)) {
        name = s->name;
    } else {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    const size_t n = std::min(name.size(), static_cast<size_t>(nSize - 1));
    std::memcpy(lpBuffer, name.data(), n);
    lpBuffer[n] = '\0';
    if (n < name.size()) SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return static_cast<UINT>(n);
}

}  // extern "C"
