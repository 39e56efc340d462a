#include "sound/sound_player.h"

#include <cstring>

extern "C" {
LPDIRECTSOUND SoundDevice = nullptr;
HMODULE SoundInstance = nullptr;
}

namespace {

constexpr WORD RawDataResource = 10;

}  // namespace

bool waveFromResource(HMODULE module, const char* name, const WAVEFORMATEX** format,
                      const uint8_t** data, DWORD* data_length) {
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(RawDataResource));
    if (!found) return false;
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return false;
    const void* image = LockResource(loaded);
    if (!image) return false;
    return waveParse(static_cast<const uint8_t*>(image), SizeofResource(module, found), format,
                     data, data_length);
}

bool waveFromFile(const char* path, const WAVEFORMATEX** format, const uint8_t** data,
                  DWORD* data_length, const void** view_base) {
    if (view_base) *view_base = nullptr;
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(file, nullptr);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping) {
        CloseHandle(file);
        return false;
    }
    CloseHandle(file);  // the mapping keeps the file open
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (!view) {
        CloseHandle(mapping);
        return false;
    }
    CloseHandle(mapping);  // the view keeps the mapping alive
    size_t image_size = size == INVALID_FILE_SIZE ? 0 : size;
    if (!waveParse(static_cast<const uint8_t*>(view), image_size, format, data, data_length)) {
        UnmapViewOfFile(view);
        return false;
    }
    if (view_base) *view_base = view;
    return true;
}

bool soundFillBuffer(SoundHandle buffer, const uint8_t* data, DWORD length) {
    if (!buffer || !data || length == 0) return false;
    void* first = nullptr;
    void* second = nullptr;
    DWORD first_size = 0, second_size = 0;
    if (FAILED(buffer->Lock(0, length, &first, &first_size, &second, &second_size, 0)))
        return false;
    // A lock never hands out more than was asked for; keep to that regardless.
    if (first_size > length) first_size = length;
    std::memcpy(first, data, first_size);
    if (second_size != 0) {
        if (second_size > length - first_size) second_size = length - first_size;
        std::memcpy(second, data + first_size, second_size);
    }
    buffer->Unlock(first, first_size, second, second_size);
    return true;
}

int32_t soundInit(HANDLE instance) {
    SoundInstance = static_cast<HMODULE>(instance);
    SoundDevice = nullptr;
    DirectSoundCreate(nullptr, &SoundDevice, nullptr);
    if (SoundDevice) SoundDevice->SetCooperativeLevel(GetActiveWindow(), DSSCL_NORMAL);
    return 1;
}

SoundHandle soundLoad(const char* path) {
    DSBUFFERDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = SoundBufferFlags;
    SoundHandle sound = nullptr;
    if (!SoundDevice || !path) return nullptr;

    const WAVEFORMATEX* format = nullptr;
    const uint8_t* data = nullptr;
    const void* view = nullptr;
    if (!waveFromResource(SoundInstance, path, &format, &data, &desc.dwBufferBytes) &&
        !waveFromFile(path, &format, &data, &desc.dwBufferBytes, &view))
        return nullptr;
    desc.lpwfxFormat = const_cast<WAVEFORMATEX*>(format);

    if (FAILED(SoundDevice->CreateSoundBuffer(&desc, &sound, nullptr))) sound = nullptr;
    if (sound && !soundFillBuffer(sound, data, desc.dwBufferBytes)) {
        sound->Release();
        sound = nullptr;
    }
    if (view) UnmapViewOfFile(view);
    return sound;
}

int32_t soundPlay(SoundHandle sound, uint32_t flags) {
    if (sound) sound->Play(0, 0, flags);
    return 1;
}

int32_t soundStop(SoundHandle sound) {
    if (sound) sound->Stop();
    return 1;
}

int32_t soundSetVolume(SoundHandle sound, LONG attenuation) {
    if (attenuation > SoundVolumeFull) attenuation = SoundVolumeFull;
    if (attenuation < SoundVolumeSilent) attenuation = SoundVolumeSilent;
    if (sound) sound->SetVolume(attenuation);
    return 1;
}

int32_t soundFree(SoundHandle sound) {
    if (sound) sound->Release();
    return 1;
}

int32_t soundShutdown() {
    if (SoundDevice) SoundDevice->Release();
    SoundDevice = nullptr;
    return 1;
}

int32_t soundSetPosition(SoundHandle sound, DWORD offset) {
    if (sound) sound->SetCurrentPosition(offset);
    return 1;
}

int32_t soundSetPan(SoundHandle sound, LONG pan) {
    if (sound) sound->SetPan(pan);
    return 1;
}

int32_t soundSetFrequency(SoundHandle sound, DWORD hertz) {
    if (sound) sound->SetFrequency(hertz);
    return 1;
}

int32_t soundIsPlaying(SoundHandle sound) {
    if (!sound) return 0;
    DWORD status = 0;
    if (FAILED(sound->GetStatus(&status))) return 0;
    return (status & DSBSTATUS_PLAYING) ? 1 : 0;
}
