// Gauges whose instruments are still to be built: the host can find them by
// name and knows their default width; they have no elements, areas or callback
// yet. Each moves into its own file under gauges/ when it is built.

#include "framework/gauge.h"

// clang-format off
GAUGE_HEADER gauge_EPR1 = makeGaugeHeader("EPR1", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_EPR2 = makeGaugeHeader("EPR2", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_EPR3 = makeGaugeHeader("EPR3", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_EPR4 = makeGaugeHeader("EPR4", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_OLD_EPR1 = makeGaugeHeader("OLD_EPR1", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_OLD_EPR2 = makeGaugeHeader("OLD_EPR2", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_OLD_EPR3 = makeGaugeHeader("OLD_EPR3", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_OLD_EPR4 = makeGaugeHeader("OLD_EPR4", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_N1E1 = makeGaugeHeader("N1E1", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_N1E2 = makeGaugeHeader("N1E2", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_N1E3 = makeGaugeHeader("N1E3", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_N1E4 = makeGaugeHeader("N1E4", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_N2E1 = makeGaugeHeader("N2E1", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_N2E2 = makeGaugeHeader("N2E2", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_N2E3 = makeGaugeHeader("N2E3", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_N2E4 = makeGaugeHeader("N2E4", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_EGT1 = makeGaugeHeader("EGT1", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_EGT2 = makeGaugeHeader("EGT2", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_EGT3 = makeGaugeHeader("EGT3", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_EGT4 = makeGaugeHeader("EGT4", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_FFFU1 = makeGaugeHeader("FFFU1", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_FFFU2 = makeGaugeHeader("FFFU2", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_FFFU3 = makeGaugeHeader("FFFU3", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_FFFU4 = makeGaugeHeader("FFFU4", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_START_SWITCHES = makeGaugeHeader("START_SWITCHES", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_FU_RESET = makeGaugeHeader("FU_RESET", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_STARTER_PRESS = makeGaugeHeader("STARTER_PRESS", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_WINDSHIELD_HEAT = makeGaugeHeader("WINDSHIELD_HEAT", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_IGNITION_OVERRIDE = makeGaugeHeader("IGNITION_OVERRIDE", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_IGNITION_CONT = makeGaugeHeader("IGNITION_CONT", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_STALL_TEST = makeGaugeHeader("STALL_TEST", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_HEATER_INOP = makeGaugeHeader("HEATER_INOP", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_PITOT_AMPS = makeGaugeHeader("PITOT_AMPS", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_ENGICE_INBD = makeGaugeHeader("ENGICE_INBD", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_ENGICE_OUTBD = makeGaugeHeader("ENGICE_OUTBD", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_ENG1ICE_VALVE = makeGaugeHeader("ENG1ICE_VALVE", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_ENG2ICE_VALVE = makeGaugeHeader("ENG2ICE_VALVE", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_ENG3ICE_VALVE = makeGaugeHeader("ENG3ICE_VALVE", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_ENG4ICE_VALVE = makeGaugeHeader("ENG4ICE_VALVE", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_STARTMAN_SEL = makeGaugeHeader("STARTMAN_SEL", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_START_ARM = makeGaugeHeader("START_ARM", 100, nullptr, nullptr, nullptr);
// clang-format on
