#include "tests/support/cockpit.h"

namespace twtest {

const std::vector<std::string> CockpitSoundFiles = {
    "Sound/quorl_ostra_Gear_Sound.wav",
    "Sound/quorl_ostra_gear_1.wav",
    "Sound/brennel_click.wav",
    "Sound/tarnwick_Trim_Sound.WAV",
    "Sound/brennel_altwarn.wav",
    "Sound/brennel_quorl_bigswitch_click.wav",
    "Sound/brennel_altwarn.wav",
    "Sound/tarnwick_HGHB_SPUP.wav",
    "Sound/tarnwick_towarn.wav",
    "Sound/tarnwick_stkshkr.wav",
    "Sound/brennel_chime.wav",
    "Sound/tarnwick_overspeed.wav",
    "Sound/brennel_external_elec.wav",
    "Sound/tarnwick_external_aircart.wav",
    "Sound/tarnwick_cockpit2ground2.wav",
    "Sound/tarnwick_external_air_off.wav",
    "Sound/brennel_clear421.wav",
    "Sound/brennel_RP_ding_dong.wav",
    "Sound/tarnwick_inverters.wav",
    "Sound/tarnwick_glideslope.wav",
};

const std::vector<std::string> CockpitSoundHandles = {
    "sndGearSound",    "sndGear1",           "sndClick",           "sndTrim",
    "sndAltWarn",      "sndBigSwitchClick",  "sndAltWarn2",        "sndHghbSpup",
    "sndTakeoffWarn",  "sndStickShaker",     "sndChime",           "sndOverspeed",
    "sndExternalElec", "sndExternalAircart", "sndCockpitToGround", "sndExternalAirOff",
    "sndClear",        "sndDingDong",        "sndInverters",       "sndGlideslope",
};

void writeCockpitSounds(const ScratchFolder& dir) {
    for (size_t i = 0; i < CockpitSoundFiles.size(); ++i) {
        if (i == 6) continue;  // the second load of #5
        dir.write(CockpitSoundFiles[i], WavImage().format().data(samples(100 + i)).bytes());
    }
}

#if !defined(_WIN32)
twplat::SoundBufferInfo soundInfo(tw::Host& host, const char* handle_name) {
    SoundHandle h = moduleVar<SoundHandle>(host, handle_name);
    for (const auto& b : twplat::soundBuffers())
        if (b.buffer == h && h) return b;
    ADD_FAILURE() << handle_name << " is no buffer";
    return {};
}

#endif  // !_WIN32

}  // namespace twtest
