// The twenty cockpit sounds, loaded by the master gauge when it connects and
// freed when it disconnects; null while not loaded, and the player ignores null.
#pragma once

#include "sound/sound_player.h"

extern "C" {
extern SoundHandle sndGearSound;
extern SoundHandle sndGear1;
extern SoundHandle sndClick;
extern SoundHandle sndTrim;
extern SoundHandle sndAltWarn;
extern SoundHandle sndBigSwitchClick;
extern SoundHandle sndAltWarn2;
extern SoundHandle sndHghbSpup;
extern SoundHandle sndTakeoffWarn;
extern SoundHandle sndStickShaker;
extern SoundHandle sndChime;
extern SoundHandle sndOverspeed;
extern SoundHandle sndExternalElec;
extern SoundHandle sndExternalAircart;
extern SoundHandle sndCockpitToGround;
extern SoundHandle sndExternalAirOff;
extern SoundHandle sndClear;
extern SoundHandle sndDingDong;
extern SoundHandle sndInverters;
extern SoundHandle sndGlideslope;
}
