// TRIM_SOUND: a plain face without controls that sounds the trim wheel when
// the pitch trim is moved by hand. The trim is sampled in even clock seconds
// and every sixth tick; a difference found in an odd second means it moved.
//
// Reads: 1 (tick counter), 5 (clock seconds), 103 (host autopilot engaged),
// 318 (pitch trim, two records). Sends: nothing. Sounds: sndTrim. Shares:
// PowerAvailable (read), and the gauge's own TrimSampleA and TrimSampleB.

#include <cstdint>

#include "framework/cockpit_sounds.h"
#include "framework/gauge.h"
#include "framework/host_ids.h"
#include "framework/panel_state.h"
#include "framework/truncate.h"

extern GAUGE_HEADER gauge_TRIM_SOUND;

extern "C" {
int32_t TrimSampleA = 0;  // taken in even clock seconds
int32_t TrimSampleB = 0;  // taken every sixth tick
}

namespace {

using namespace hostvar;

constexpr int32_t SampleEveryTicks = 6;

MODULE_VAR autopilot = hostVar(AutopilotMaster);
MODULE_VAR clockSeconds = hostVar(ClockSeconds);
MODULE_VAR tickCounter = hostVar(TickCounter);
MODULE_VAR trimEvenSeconds = hostVar(PitchTrim);
MODULE_VAR trimEverySixth = hostVar(PitchTrim);

// The autopilot trims without a sound.
void HOSTAPI trimSoundCallback(GAUGE_HEADER*, int32_t service, uintptr_t) {
    if (service != ServicePreUpdate) return;
    if (refreshVar(autopilot) != 0.0) return;
    const int32_t seconds = truncToInt(refreshVar(clockSeconds));
    const int32_t tick = truncToInt(refreshVar(tickCounter));
    if (seconds % 2 == 0) TrimSampleA = truncToInt(refreshVar(trimEvenSeconds));
    if (tick % SampleEveryTicks == 0) {
        TrimSampleB = truncToInt(refreshVar(trimEverySixth));
        if (TrimSampleB != TrimSampleA && PowerAvailable == 1) soundPlay(sndTrim, SoundPlayOnce);
    }
}

constexpr uint32_t BmpFace = 16768;

constinit ELEMENT_STATIC_IMAGE face =
    staticImage({&gauge_TRIM_SOUND, BmpFace, 0, 0, ImageTransparent});
constinit ELEMENT_HEADER* trimSoundElements[] = {&face, nullptr};

}  // namespace

constinit GAUGE_HEADER gauge_TRIM_SOUND =
    makeGaugeHeader("TRIM_SOUND", 100, trimSoundElements, nullptr, trimSoundCallback);
