// The host's variables by token id, with the count of the module's lookups of
// each: an open-addressed table allocated once, so that neither a read, a
// write nor a lookup of a variable not seen before allocates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tw {

class VarTable {
public:
    // Distinct variables a host keeps; the table is twice as large.
    static constexpr size_t Capacity = 4096;

    struct Entry {
        uint32_t id = 0;
        bool used = false;
        unsigned lookups = 0;
        double value = 0.0;
    };

    VarTable() : slots_(std::make_unique<Entry[]>(SlotCount)) {}

    // The variable's entry, or null when it has none.
    Entry* find(uint32_t id) const {
        for (size_t i = home(id), n = 0; n < SlotCount; i = (i + 1) & (SlotCount - 1), ++n) {
            Entry& e = slots_[i];
            if (!e.used) return nullptr;
            if (e.id == id) return &e;
        }
        return nullptr;
    }
    // The variable's entry, made (reading 0) when it has none; null only when
    // the table already holds Capacity variables.
    Entry* findOrAdd(uint32_t id) {
        if (Entry* e = find(id)) return e;
        if (count_ >= Capacity) return nullptr;
        size_t i = home(id);
        while (slots_[i].used) i = (i + 1) & (SlotCount - 1);
        slots_[i].used = true;
        slots_[i].id = id;
        ++count_;
        return &slots_[i];
    }
    void clearLookups() {
        for (size_t i = 0; i < SlotCount; ++i) slots_[i].lookups = 0;
    }

private:
    static constexpr size_t SlotCount = 2 * Capacity;  // a power of two
    static size_t home(uint32_t id) {
        return static_cast<size_t>((id * 2654435761u) >> 19) & (SlotCount - 1);
    }

    std::unique_ptr<Entry[]> slots_;
    size_t count_ = 0;
};

}  // namespace tw
