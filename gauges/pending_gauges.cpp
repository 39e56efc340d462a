// Gauges whose instruments are still to be built: the host can find them by
// name and knows their default width; they have no elements, areas or callback
// yet. Each moves into its own file under gauges/ when it is built.

#include "framework/gauge.h"

// clang-format off
GAUGE_HEADER gauge_ADI = makeGaugeHeader("ADI", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_HSI = makeGaugeHeader("HSI", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_VSI = makeGaugeHeader("VSI", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_ALT = makeGaugeHeader("ALT", 83, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_RMI = makeGaugeHeader("RMI", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_DME1 = makeGaugeHeader("DME1", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_DME2 = makeGaugeHeader("DME2", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_TAT = makeGaugeHeader("TAT", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_TOTAL_FUEL = makeGaugeHeader("TOTAL_FUEL", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_LOWOILPRESS1 = makeGaugeHeader("LOWOILPRESS1", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_LOWOILPRESS4 = makeGaugeHeader("LOWOILPRESS4", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_FLAPS = makeGaugeHeader("FLAPS", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_AUTOPILOT1 = makeGaugeHeader("AUTOPILOT1", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_CLOCK = makeGaugeHeader("CLOCK", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_OMI = makeGaugeHeader("OMI", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_TOGGLE2 = makeGaugeHeader("TOGGLE2", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_TOGGLE3 = makeGaugeHeader("TOGGLE3", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_TOGGLE4 = makeGaugeHeader("TOGGLE4", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_TOGGLE5 = makeGaugeHeader("TOGGLE5", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_TOGGLE6 = makeGaugeHeader("TOGGLE6", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_TOGGLE7 = makeGaugeHeader("TOGGLE7", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_AIRBRAKE_PRESS = makeGaugeHeader("AIRBRAKE_PRESS", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_HYDBRAKE_PRESS = makeGaugeHeader("HYDBRAKE_PRESS", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_HYDSYS_PRESS = makeGaugeHeader("HYDSYS_PRESS", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_HYDSPLR_PRESS = makeGaugeHeader("HYDSPLR_PRESS", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_TAS = makeGaugeHeader("TAS", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_ALT_SEL = makeGaugeHeader("ALT_SEL", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_GEAR_HANDLE = makeGaugeHeader("GEAR_HANDLE", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_PITOT = makeGaugeHeader("PITOT", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_RADALT1 = makeGaugeHeader("RADALT1", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_BATTERYSW = makeGaugeHeader("BATTERYSW", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_EMERLIGHTS = makeGaugeHeader("EMERLIGHTS", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_EMERWARN = makeGaugeHeader("EMERWARN", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_SMOKING_SIGN = makeGaugeHeader("SMOKING_SIGN", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_SEATBELT_SIGN = makeGaugeHeader("SEATBELT_SIGN", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_ANTICOLLISION = makeGaugeHeader("ANTICOLLISION", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_NAV_LIGHTS = makeGaugeHeader("NAV_LIGHTS", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_WING_FLOOD_LIGHTS = makeGaugeHeader("WING_FLOOD_LIGHTS", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_LANDING_LIGHT1 = makeGaugeHeader("LANDING_LIGHT1", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_CONTROLS = makeGaugeHeader("CONTROLS", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_OVRSPD_WARN = makeGaugeHeader("OVRSPD_WARN", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_ALT_WARN = makeGaugeHeader("ALT_WARN", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_SPOILERS_EXT = makeGaugeHeader("SPOILERS_EXT", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_BELOW_GS = makeGaugeHeader("BELOW_GS", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_TRIM_SOUND = makeGaugeHeader("TRIM_SOUND", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_FA_CALL = makeGaugeHeader("FA_CALL", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_MECH_CALL = makeGaugeHeader("MECH_CALL", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_EXTPWR_AVAIL = makeGaugeHeader("EXTPWR_AVAIL", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_ADF = makeGaugeHeader("ADF", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_ADF2 = makeGaugeHeader("ADF2", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_NAV1 = makeGaugeHeader("NAV1", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_NAV2 = makeGaugeHeader("NAV2", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_COM1 = makeGaugeHeader("COM1", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_COM2 = makeGaugeHeader("COM2", 100, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_revlyrae1 = makeGaugeHeader("revlyrae1", 41, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_revlyrae2 = makeGaugeHeader("revlyrae2", 41, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_revlyrae3 = makeGaugeHeader("revlyrae3", 41, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_revlyrae4 = makeGaugeHeader("revlyrae4", 41, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_revvelae1 = makeGaugeHeader("revvelae1", 50, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_revvelae2 = makeGaugeHeader("revvelae2", 50, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_revvelae3 = makeGaugeHeader("revvelae3", 50, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_revvelae4 = makeGaugeHeader("revvelae4", 50, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_TC = makeGaugeHeader("TC", 83, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_PB = makeGaugeHeader("PB", 10, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_radartc = makeGaugeHeader("radartc", 150, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_radar = makeGaugeHeader("radar", 166, nullptr, nullptr, nullptr);
GAUGE_HEADER gauge_apwarn = makeGaugeHeader("apwarn", 28, nullptr, nullptr, nullptr);
// clang-format on
