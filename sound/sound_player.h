// Short cockpit sounds over DirectSound: one device for the module and one
// static buffer per loaded sound. A sound that could not be loaded is the null
// handle, and every operation accepts it and does nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/directsound_api.h"
#include "platform/windows_api.h"

using SoundHandle = LPDIRECTSOUNDBUFFER;

constexpr uint32_t SoundPlayOnce = 0;
constexpr uint32_t SoundPlayLooping = DSBPLAY_LOOPING;
constexpr LONG SoundVolumeSilent = -10000;  // hundredths of a decibel
constexpr LONG SoundVolumeFull = 0;

// Static buffer, volume, pan and frequency control, accurate play cursor.
constexpr DWORD SoundBufferFlags = 0x000100E2;

extern "C" {
extern LPDIRECTSOUND SoundDevice;
extern HMODULE SoundInstance;
}

extern "C" {

int32_t soundInit(HANDLE instance);
SoundHandle soundLoad(const char* path);
int32_t soundPlay(SoundHandle sound, uint32_t flags);
int32_t soundStop(SoundHandle sound);
int32_t soundSetVolume(SoundHandle sound, LONG attenuation);
int32_t soundFree(SoundHandle sound);
int32_t soundShutdown();
int32_t soundSetPosition(SoundHandle sound, DWORD offset);
int32_t soundSetPan(SoundHandle sound, LONG pan);
int32_t soundSetFrequency(SoundHandle sound, DWORD hertz);
int32_t soundIsPlaying(SoundHandle sound);

// The loader's steps. Images are walked within their given size only: a RIFF or
// chunk length that runs past the end fails the parse, and so does a "fmt "
// chunk of which DirectSound would read bytes beyond the end (16 for PCM, 18
// plus cbSize for other tags).
bool waveParse(const uint8_t* image, size_t image_size, const WAVEFORMATEX** format,
               const uint8_t** data, DWORD* data_length);
bool waveFromResource(HMODULE module, const char* name, const WAVEFORMATEX** format,
                      const uint8_t** data, DWORD* data_length);
bool waveFromFile(const char* path, const WAVEFORMATEX** format, const uint8_t** data,
                  DWORD* data_length, const void** view_base);
bool soundFillBuffer(SoundHandle buffer, const uint8_t* data, DWORD length);

}  // extern "C"
