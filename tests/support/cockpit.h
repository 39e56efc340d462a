// A host with the master gauge connected: the twenty cockpit sounds written as
// WAV files, an offset server, and the systems timer running on the host's
// clock. On Linux the stand-in also shows which buffer a handle points at.
#pragma once

#include <string>
#include <vector>

#include "sound/sound_player.h"
#include "tests/support/module_api.h"
#include "tests/support/wav_files.h"

#if !defined(_WIN32)
#include "platform/linux/stand_in.h"
#endif

namespace twtest {

// The twenty files in the master gauge's load order ('/'-separated, relative
// to the simulator's folder).
extern const std::vector<std::string> CockpitSoundFiles;

// The module's twenty handle globals, in the same order.
extern const std::vector<std::string> CockpitSoundHandles;

// Writes every cockpit sound; file i holds 100 + i samples, so a buffer tells
// which file it came from (#5 and #7 are the same file).
void writeCockpitSounds(const ScratchFolder& dir);

#if !defined(_WIN32)
// The buffer a sound handle of the module points at.
twplat::SoundBufferInfo soundInfo(tw::Host& host, const char* handle_name);
#endif

}  // namespace twtest
