#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host.h"

namespace linkage_test {

namespace {

const std::vector<std::string> TableOrder = {"FLOOD_SW",
                                             "ASI",
                                             "MACH",
                                             "ADI",
                                             "HSI",
                                             "VSI",
                                             "ALT",
                                             "RMI",
                                             "DME1",
                                             "DME2",
                                             "EPR1",
                                             "EPR2",
                                             "EPR3",
                                             "EPR4",
                                             "OLD_EPR1",
                                             "OLD_EPR2",
                                             "OLD_EPR3",
                                             "OLD_EPR4",
                                             "N1E1",
                                             "N1E2",
                                             "N1E3",
                                             "N1E4",
                                             "N2E1",
                                             "N2E2",
                                             "N2E3",
                                             "N2E4",
                                             "EGT1",
                                             "EGT2",
                                             "EGT3",
                                             "EGT4",
                                             "FFFU1",
                                             "FFFU2",
                                             "FFFU3",
                                             "FFFU4",
                                             "TAT",
                                             "TOTAL_FUEL",
                                             "LOWOILPRESS1",
                                             "LOWOILPRESS4",
                                             "FLAPS",
                                             "AUTOPILOT1",
                                             "CLOCK",
                                             "OMI",
                                             "TOGGLE2",
                                             "TOGGLE3",
                                             "TOGGLE4",
                                             "TOGGLE5",
                                             "TOGGLE6",
                                             "TOGGLE7",
                                             "AIRBRAKE_PRESS",
                                             "HYDBRAKE_PRESS",
                                             "HYDSYS_PRESS",
                                             "HYDSPLR_PRESS",
                                             "TAS",
                                             "ALT_SEL",
                                             "THROTTLE_QUAD",
                                             "GEAR_HANDLE",
                                             "PITOT",
                                             "RADALT1",
                                             "START_SWITCHES",
                                             "FU_RESET",
                                             "BATTERYSW",
                                             "EMERLIGHTS",
                                             "EMERWARN",
                                             "SMOKING_SIGN",
                                             "SEATBELT_SIGN",
                                             "ANTICOLLISION",
                                             "NAV_LIGHTS",
                                             "WING_FLOOD_LIGHTS",
                                             "LANDING_LIGHT1",
                                             "CONTROLS",
                                             "OVRSPD_WARN",
                                             "ALT_WARN",
                                             "SPOILERS_EXT",
                                             "BELOW_GS",
                                             "TRIM_SOUND",
                                             "STARTER_PRESS",
                                             "WINDSHIELD_HEAT",
                                             "IGNITION_OVERRIDE",
                                             "IGNITION_CONT",
                                             "STALL_TEST",
                                             "HEATER_INOP",
                                             "PITOT_AMPS",
                                             "ENGICE_INBD",
                                             "ENGICE_OUTBD",
                                             "ENG1ICE_VALVE",
                                             "ENG2ICE_VALVE",
                                             "ENG3ICE_VALVE",
                                             "ENG4ICE_VALVE",
                                             "STARTMAN_SEL",
                                             "START_ARM",
                                             "FA_CALL",
                                             "MECH_CALL",
                                             "EXTPWR_AVAIL",
                                             "ADF",
                                             "ADF2",
                                             "NAV1",
                                             "NAV2",
                                             "COM1",
                                             "COM2",
                                             "revlyrae1",
                                             "revlyrae2",
                                             "revlyrae3",
                                             "revlyrae4",
                                             "revvelae1",
                                             "revvelae2",
                                             "revvelae3",
                                             "revvelae4",
                                             "TC",
                                             "PB",
                                             "radartc",
                                             "radar",
                                             "apwarn"};

uint32_t expectedWidth(const std::string& name) {
    if (name == "ALT" || name == "TC") return 83;
    if (name.rfind("revlyrae", 0) == 0) return 41;
    if (name.rfind("revvelae", 0) == 0) return 50;
    if (name == "PB") return 10;
    if (name == "radartc") return 150;
    if (name == "radar") return 166;
    if (name == "apwarn") return 28;
    return 100;
}

}  // namespace

TEST(Linkage, ListsTheGaugesInTableOrderWithTheirNamesAndWidths) {
    tw::Host host;
    LINKAGE* linkage = host.module().linkage();
    EXPECT_EQ(linkage->module_id, 0x13u);
    EXPECT_EQ(linkage->flags, 0u);
    EXPECT_EQ(linkage->flags2, 0u);
    EXPECT_EQ(linkage->version, 0x900u);
    ASSERT_NE(linkage->module_init, nullptr);
    ASSERT_NE(linkage->module_deinit, nullptr);

    ASSERT_EQ(TableOrder.size(), 112u);
    for (size_t i = 0; i < TableOrder.size(); ++i) {
        GAUGE_HEADER* g = linkage->gauge_table[i];
        ASSERT_NE(g, nullptr) << "entry " << i;
        EXPECT_EQ(g->gauge_name, TableOrder[i]) << "entry " << i;
        EXPECT_EQ(g->gauge_header_version, 0x320u) << g->gauge_name;
        EXPECT_EQ(g->size_x_mm, expectedWidth(TableOrder[i])) << g->gauge_name;
        EXPECT_EQ(g->size_y_mm, 0u) << g->gauge_name;
        EXPECT_EQ(g->reserved1, nullptr) << g->gauge_name;
        EXPECT_EQ(g->parameters, nullptr) << g->gauge_name;
        // The same seven routines in every gauge.
        EXPECT_EQ(g->query_routine, linkage->gauge_table[0]->query_routine);
        EXPECT_EQ(g->install_routine, linkage->gauge_table[0]->install_routine);
        EXPECT_EQ(g->kill_routine, linkage->gauge_table[0]->kill_routine);
        EXPECT_EQ(host.module().findGauge(TableOrder[i]), g);
    }
    EXPECT_EQ(linkage->gauge_table[112], nullptr);

    // Names are case-sensitive, and a name the table lacks finds nothing.
    EXPECT_EQ(host.module().findGauge("flood_sw"), nullptr);
    EXPECT_EQ(host.module().findGauge("RADAR"), nullptr);
    EXPECT_EQ(host.createGauge("NO_SUCH_GAUGE"), nullptr);
    EXPECT_EQ(host.createGauge(""), nullptr);

    const IMPORT_ENTRY* import = host.module().importTable()->entries;
    EXPECT_EQ(import[0].id, 0x0Fu);
    EXPECT_EQ(import[0].table, host.module().servicesGiven());
    // A Windows image gets the stdcall table in front of the host's.
    if (!host.module().isWindowsImage()) {
        EXPECT_EQ(host.module().servicesGiven(), host.services());
    }
    EXPECT_EQ(import[1].id, 0u);
    EXPECT_EQ(import[1].table, nullptr);
}

TEST(Linkage, GenericRoutinesServeTheMasterGaugesFirstElementForEveryGauge) {
    tw::Host host;
    GAUGE_HEADER* master = host.module().findGauge("FLOOD_SW");
    ELEMENT_HEADER* element = master->elements_list[0];
    ASSERT_NE(element, nullptr);

    GAUGE_HEADER* asi = host.module().findGauge("ASI");
    host.clearLogs();
    const tw::Module& module = host.module();
    module.call(asi->query_routine);
    module.call(asi->install_routine, 0xABCD);
    module.call(asi->initialize_routine);
    module.call(asi->update_routine);
    module.call(asi->generate_routine, 7);
    module.call(asi->draw_routine);
    module.call(asi->kill_routine);

    const auto& calls = host.elementListCalls();
    ASSERT_EQ(calls.size(), 7u);
    const char* expected[] = {"element_list_query",      "element_list_install",
                              "element_list_initialize", "element_list_update",
                              "element_list_generate",   "element_list_plot",
                              "element_list_kill"};
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_STREQ(tw::elementListServiceName(calls[i].service), expected[i]);
        EXPECT_EQ(calls[i].element, element) << expected[i];
    }
    EXPECT_EQ(calls[1].arg, 0xABCDu);
    EXPECT_EQ(calls[4].arg, 7u);
}

TEST(Linkage, TheHostsLifeCycleCallsServicesInOrder) {
    tw::Host host;
    tw::Gauge* g = host.createGauge("FLOOD_SW", "", 0x4242);
    ASSERT_NE(g, nullptr);
    host.frame();
    host.destroyGauge(g);

    std::vector<int32_t> ids;
    for (const auto& c : host.serviceCalls()) {
        EXPECT_STREQ(c.gauge->gauge_name, "FLOOD_SW");
        if (c.service == ServiceConnectToWindow) {
            EXPECT_EQ(c.extra, 0x4242u);
        }
        ids.push_back(c.service);
    }
    EXPECT_EQ(ids, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 14, 6, 7, 8, 9, 10, 11, 15, 12, 13}));

    // The element-list services the generic routines reached on the way.
    std::vector<std::string> services;
    for (const auto& c : host.elementListCalls())
        services.push_back(tw::elementListServiceName(c.service));
    EXPECT_EQ(services, (std::vector<std::string>{"element_list_query", "element_list_install",
                                                  "element_list_initialize", "element_list_update",
                                                  "element_list_generate", "element_list_plot",
                                                  "element_list_kill"}));
}

#if !defined(_WIN32)
TEST(Linkage, LibraryEntryAndModuleRoutinesDoNothingAndSucceed) {
    tw::Host host;
    if (host.module().isWindowsImage()) GTEST_SKIP() << "a Windows image exports no entry routine";
    using Entry = int (*)(void*, uint32_t, void*);
    auto entry = reinterpret_cast<Entry>(host.module().symbol("DllMain"));
    ASSERT_NE(entry, nullptr);
    for (uint32_t reason : {0u, 1u, 2u, 3u, 99u}) EXPECT_EQ(entry(nullptr, reason, nullptr), 1);

    // module_init and module_deinit change nothing the host can see.
    host.module().call(host.module().linkage()->module_init);
    host.module().call(host.module().linkage()->module_deinit);
    EXPECT_TRUE(host.events().empty());
    EXPECT_TRUE(host.elementListCalls().empty());
}
#endif

}  // namespace linkage_test
