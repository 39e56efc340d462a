// The records as the host reads them: raw bytes at the host's offsets. The
// offsets hold where pointers are 4 bytes (the shipping target and the 32-bit
// Linux build); elsewhere only the field order is the host's.

#include <gtest/gtest.h>

#include <cstring>

#include "framework/gauge.h"
#include "host/host.h"

namespace records_test {

namespace {

template <typename T>
T readAt(const void* record, size_t offset) {
    T v;
    std::memcpy(&v, static_cast<const unsigned char*>(record) + offset, sizeof v);
    return v;
}

bool fourBytePointers() { return sizeof(void*) == 4; }

}  // namespace

TEST(Records, FieldsSitAtTheHostsOffsets) {
    if (!fourBytePointers()) GTEST_SKIP() << "the host's offsets are for 4-byte pointers";

    MODULE_VAR var = hostVar(335);
    var.var_value = 2.5;
    var.var_old = -1.25;
    EXPECT_EQ(sizeof var, 28u);
    EXPECT_EQ(readAt<uint32_t>(&var, 0), 335u);
    EXPECT_EQ(readAt<uint32_t>(&var, 8), 0u);
    EXPECT_EQ(readAt<double>(&var, 12), 2.5);
    EXPECT_EQ(readAt<double>(&var, 20), -1.25);

    IMPORT_TABLE table{{{ImportPanelsId, reinterpret_cast<void*>(0x1234)}, {0, nullptr}}};
    EXPECT_EQ(sizeof table, 16u);
    EXPECT_EQ(readAt<uint32_t>(&table, 0), 0x0Fu);
    EXPECT_EQ(readAt<uint32_t>(&table, 4), 0x1234u);
    EXPECT_EQ(readAt<uint32_t>(&table, 8), 0u);
    EXPECT_EQ(readAt<uint32_t>(&table, 12), 0u);

    static const char text[] = "Tip";
    MOUSE_RECT child = mouseChild(1, 2, 3, 4, 5, 0x20200000, nullptr);
    child.help_id = 43778;
    MOUSE_RECT tip = mouseTooltip(text, 2, nullptr);
    EXPECT_EQ(sizeof child, 44u);
    EXPECT_EQ(readAt<uint32_t>(&child, 0), 2u);
    EXPECT_EQ(readAt<int32_t>(&child, 4), 1);
    EXPECT_EQ(readAt<int32_t>(&child, 8), 2);
    EXPECT_EQ(readAt<int32_t>(&child, 12), 3);
    EXPECT_EQ(readAt<int32_t>(&child, 16), 4);
    EXPECT_EQ(readAt<int32_t>(&child, 20), 5);
    EXPECT_EQ(readAt<uint32_t>(&child, 24), 43778u);
    EXPECT_EQ(readAt<uint32_t>(&child, 28), 0x20200000u);
    EXPECT_EQ(readAt<uint32_t>(&tip, 0), 4u);
    EXPECT_EQ(readAt<uint32_t>(&tip, 32), 2u);
    EXPECT_EQ(readAt<const char*>(&tip, 36), text);
    MOUSE_RECT end = mouseEnd();
    EXPECT_EQ(readAt<uint32_t>(&end, 0), 0u);

    TOOLTIP_ARG arg = tooltipArg(61, nullptr);
    arg.source_var.var_value = 7.0;
    EXPECT_EQ(sizeof arg, 72u);
    EXPECT_EQ(readAt<uint32_t>(&arg, 0), 61u);
    EXPECT_EQ(readAt<double>(&arg, 12), 7.0);

    GAUGE_HEADER gauge = bareGaugeHeader("X", 83, nullptr, nullptr);
    gauge.query_routine = reinterpret_cast<GenericRoutine>(0x1111);
    gauge.kill_routine = reinterpret_cast<GenericRoutine>(0x2222);
    gauge.parameters = text;
    EXPECT_EQ(sizeof gauge, 204u);
    EXPECT_EQ(readAt<uint32_t>(&gauge, 0), 0x320u);
    EXPECT_EQ(readAt<const char*>(&gauge, 4), gauge.gauge_name);
    EXPECT_EQ(readAt<uint32_t>(&gauge, 12), 0x1111u);
    EXPECT_EQ(readAt<uint32_t>(&gauge, 36), 0x2222u);
    EXPECT_EQ(readAt<uint32_t>(&gauge, 40), 0u);
    EXPECT_EQ(readAt<uint32_t>(&gauge, 44), 83u);
    EXPECT_EQ(readAt<uint32_t>(&gauge, 48), 0u);
    EXPECT_EQ(readAt<const char*>(&gauge, 92), text);

    ELEMENT_HEADER* next[] = {nullptr};
    ELEMENT_HEADER e = staticImage({&gauge, 0x1000, 9, -3, ImageHidden | 0x1, next});
    EXPECT_EQ(readAt<uint32_t>(&e, 0), 0u);
    EXPECT_EQ(readAt<uint32_t>(&e, 4), 0x1000u);
    EXPECT_EQ(readAt<int32_t>(&e, 8), 9);
    EXPECT_EQ(readAt<int32_t>(&e, 12), -3);
    EXPECT_EQ(readAt<GAUGE_HEADER*>(&e, 32), &gauge);
    EXPECT_EQ(readAt<ELEMENT_HEADER**>(&e, 40), next);
    EXPECT_EQ(readAt<uint32_t>(&e, 44), 0u);
    EXPECT_EQ(readAt<uint32_t>(&e, 48), 0x40000001u);
}

TEST(Records, TheModulesExportsReadAsTheHostReadsThem) {
    tw::Host host;
    const auto* linkage = reinterpret_cast<const unsigned char*>(host.module().linkage());
    const auto* import = reinterpret_cast<const unsigned char*>(host.module().importTable());
    // Packed to 4 bytes where pointers are 4 bytes, naturally aligned elsewhere.
    size_t p = sizeof(void*);
    auto aligned = [p](size_t offset) { return (offset + p - 1) / p * p; };
    size_t init = aligned(4), version = init + 2 * p + 8, table = aligned(version + 4);

    EXPECT_EQ(readAt<uint32_t>(linkage, 0), 0x13u);
    EXPECT_EQ(readAt<uint32_t>(linkage, init + 2 * p), 0u);
    EXPECT_EQ(readAt<uint32_t>(linkage, init + 2 * p + 4), 0u);
    EXPECT_EQ(readAt<uint32_t>(linkage, version), 0x900u);
    auto* first = readAt<GAUGE_HEADER*>(linkage, table);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->gauge_name, "FLOOD_SW");
    EXPECT_EQ(readAt<GAUGE_HEADER*>(linkage, table + 112 * p), nullptr);

    // The entries the host walks, up to the one with id 0 and no further.
    size_t entry = aligned(4) + p;
    EXPECT_EQ(readAt<uint32_t>(import, 0), 0x0Fu);
    EXPECT_EQ(readAt<PANEL_SERVICES*>(import, aligned(4)), host.module().servicesGiven());
    EXPECT_EQ(readAt<uint32_t>(import, entry), 0u);
    EXPECT_EQ(readAt<void*>(import, entry + aligned(4)), nullptr);
    EXPECT_EQ(sizeof(IMPORT_TABLE), 2 * entry);

    // Service slots are pointer-sized array entries on every target.
    const auto* slots = reinterpret_cast<void* const*>(host.services());
    EXPECT_EQ(slots[36], reinterpret_cast<void*>(host.services()->trigger_key_event));
    EXPECT_EQ(slots[40], reinterpret_cast<void*>(host.services()->lookup_var));
    EXPECT_EQ(slots[69], reinterpret_cast<void*>(host.services()->execute_calculator_code));
}

}  // namespace records_test
