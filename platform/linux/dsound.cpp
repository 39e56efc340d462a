// DirectSound devices and secondary buffers. Play cursors move with the
// virtual clock at the buffer's byte rate (frequency times block size); a
// buffer played once stops by itself at its end, a looping one wraps.

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/linux/internal.h"

namespace twplat {

namespace {

class SoundDevice;

SoundListener listener = nullptr;

// How far the write cursor runs ahead of a playing cursor: what a mixer would
// already have taken.
constexpr uint64_t kWriteLeadMs = 15;

constexpr DWORD kKnownCaps = DSBCAPS_PRIMARYBUFFER | DSBCAPS_STATIC | DSBCAPS_LOCHARDWARE |
                             DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRL3D | DSBCAPS_CTRLFREQUENCY |
                             DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPOSITIONNOTIFY |
                             DSBCAPS_CTRLFX | DSBCAPS_STICKYFOCUS | DSBCAPS_GLOBALFOCUS |
                             DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_MUTE3DATMAXDISTANCE |
                             DSBCAPS_LOCDEFER | DSBCAPS_TRUEPLAYPOSITION;

class SoundBuffer final : public IDirectSoundBuffer {
public:
    SoundBuffer(SoundDevice* device, DWORD flags, const WAVEFORMATEX& format, DWORD bytes)
        : device_(device),
          flags_(flags),
          format_(format),
          data_(bytes),
          frequency_(format.nSamplesPerSec) {
        format_.cbSize = 0;
    }

    ULONG AddRef() override {
        if (released_) return misuse(0);
        return ++refs_;
    }
    ULONG Release() override {
        if (released_) return misuse(0);
        if (--refs_ == 0) stopForGood();
        return refs_;
    }

    HRESULT GetCurrentPosition(LPDWORD play, LPDWORD write) override {
        if (released_) return misuse(DSERR_INVALIDCALL);
        if (!play && !write) return DSERR_INVALIDPARAM;
        observe();
        if (play) *play = position_;
        if (write) *write = writeCursor();
        return DS_OK;
    }
    HRESULT GetFormat(LPWAVEFORMATEX format, DWORD allocated, LPDWORD written) override {
        if (released_) return misuse(DSERR_INVALIDCALL);
        if (!format) {
            if (!written) return DSERR_INVALIDPARAM;
            *written = sizeof(WAVEFORMATEX);
            return DS_OK;
        }
        if (allocated < sizeof(WAVEFORMATEX)) return DSERR_INVALIDPARAM;
        std::memcpy(format, &format_, sizeof(WAVEFORMATEX));
        if (written) *written = sizeof(WAVEFORMATEX);
        return DS_OK;
    }
    HRESULT GetVolume(LPLONG volume) override {
        if (released_) return misuse(DSERR_INVALIDCALL);
        if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
        if (!volume) return DSERR_INVALIDPARAM;
        *volume = volume_;
        return DS_OK;
    }
    HRESULT GetPan(LPLONG pan) override {
        if (released_) return misuse(DSERR_INVALIDCALL);
        if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
        if (!pan) return DSERR_INVALIDPARAM;
        *pan = pan_;
        return DS_OK;
    }
    HRESULT GetFrequency(LPDWORD frequency) override {
        if (released_) return misuse(DSERR_INVALIDCALL);
        if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
        if (!frequency) return DSERR_INVALIDPARAM;
        *frequency = frequency_;
        return DS_OK;
    }
    HRESULT GetStatus(LPDWORD status) override {
        if (released_) return misuse(DSERR_INVALIDCALL);
        if (!status) return DSERR_INVALIDPARAM;
        observe();
        *status = playing_ ? (DSBSTATUS_PLAYING | (looping_ ? DSBSTATUS_LOOPING : 0)) : 0;
        return DS_OK;
    }

    HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* ptr1, LPDWORD bytes1, LPVOID* ptr2,
                 LPDWORD bytes2, DWORD flags) override {
        if (released_) return misuse(DSERR_INVALIDCALL);
        if (ptr1) *ptr1 = nullptr;
        if (bytes1) *bytes1 = 0;
        if (ptr2) *ptr2 = nullptr;
        if (bytes2) *bytes2 = 0;
        if (!ptr1 || !bytes1) return DSERR_INVALIDPARAM;
        if (detail::faultHits(Fault::LockSoundBuffer)) return DSERR_BUFFERLOST;
        const auto size = static_cast<DWORD>(data_.size());
        if (flags & DSBLOCK_FROMWRITECURSOR) {
            observe();
            offset = writeCursor();
        }
        if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
        if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
        // A lock that runs past the end continues at the start: the second
        // region, unless the caller has nowhere to take it.
        DWORD first = std::min(bytes, size - offset);
        DWORD second = ptr2 ? bytes - first : 0;
        LockRecord lock{data_.data() + offset, first, second ? data_.data() : nullptr, second};
        locks_.push_back(lock);
        *ptr1 = lock.ptr1;
        *bytes1 = first;
        if (ptr2) *ptr2 = lock.ptr2;
        if (bytes2) *bytes2 = second;
        return DS_OK;
    }
    HRESULT Unlock(LPVOID ptr1, DWORD bytes1, LPVOID ptr2, DWORD bytes2) override {
        if (released_) return misuse(DSERR_INVALIDCALL);
        for (auto it = locks_.begin(); it != locks_.end(); ++it) {
            if (it->ptr1 != ptr1 || bytes1 > it->bytes1) continue;
            if (bytes2 > it->bytes2 || (bytes2 && ptr2 != it->ptr2)) continue;
            locks_.erase(it);
            return DS_OK;
        }
        return DSERR_INVALIDPARAM;
    }

    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
    HRESULT SetCurrentPosition(DWORD position) override {
        if (released_) return misuse(DSERR_INVALIDCALL);
        if (position >= data_.size()) return DSERR_INVALIDPARAM;
        observe();
        anchor(position);
        return DS_OK;
    }
    HRESULT SetVolume(LONG volume) override {
        if (released_) return misuse(DSERR_INVALIDCALL);
        if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
        if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
        volume_ = volume;
        if (listener) listener(this, SoundEvent::Volume, looping_, volume_);
        return DS_OK;
    }
    HRESULT SetPan(LONG pan) override {
        if (released_) return misuse(DSERR_INVALIDCALL);
        if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
        if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
        pan_ = pan;
        return DS_OK;
    }
    HRESULT SetFrequency(DWORD frequency) override {
        if (released_) return misuse(DSERR_INVALIDCALL);
        if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
        if (frequency == DSBFREQUENCY_ORIGINAL) frequency = format_.nSamplesPerSec;
        if (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX) return DSERR_INVALIDPARAM;
        // The cursor has moved at the old rate until now.
        observe();
        anchor(position_);
        frequency_ = frequency;
        return DS_OK;
    }
    HRESULT Stop() override {
        if (released_) return misuse(DSERR_INVALIDCALL);
        observe();
        anchor(position_);
        playing_ = false;
        ++stopCalls_;
        if (listener) listener(this, SoundEvent::Stop, looping_, volume_);
        return DS_OK;
    }

    bool belongsTo(const SoundDevice* device) const { return device_ == device; }

    // The device went away under a buffer that is still held: silence it.
    void deviceGone() {
        observe();
        anchor(position_);
        playing_ = false;
    }

    const std::vector<BYTE>& data() const { return data_; }
    const WAVEFORMATEX& format() const { return format_; }

    SoundBufferInfo info() {
        observe();
        return {this,
                deviceInterface(),
                released_,
                refs_,
                flags_,
                format_,
                playing_,
                looping_,
                position_,
                volume_,
                pan_,
                frequency_,
                playCalls_,
                stopCalls_,
                static_cast<unsigned>(locks_.size()),
                misuses_,
                data_};
    }

private:
    struct LockRecord {
        BYTE* ptr1;
        DWORD bytes1;
        BYTE* ptr2;
        DWORD bytes2;
    };

    template <typename T>
    T misuse(T result) {
        ++misuses_;
        return result;
    }

    uint64_t bytesPlayedSince(uint64_t start) const {
        const uint64_t frames = (now() - start) * frequency_ / 1000;
        return frames * format_.nBlockAlign;
    }

    // Brings the cursor up to the clock without disturbing the anchor, so
    // that frequent looks do not lose the fractions of frames between them.
    void observe() {
        if (!playing_) return;
        const uint64_t size = data_.size();
        const uint64_t reached = anchorPosition_ + bytesPlayedSince(anchorTime_);
        if (looping_) {
            position_ = static_cast<DWORD>(reached % size);
        } else if (reached >= size) {
            // Played to the end: stopped, and the next Play starts afresh.
            playing_ = false;
            anchor(0);
        } else {
            position_ = static_cast<DWORD>(reached);
        }
    }

    void anchor(DWORD position) {
        position_ = position;
        anchorPosition_ = position;
        anchorTime_ = now();
    }

    DWORD writeCursor() const {
        if (!playing_) return position_;
        const uint64_t lead = kWriteLeadMs * frequency_ / 1000 * format_.nBlockAlign;
        return static_cast<DWORD>((position_ + lead) % data_.size());
    }

    void stopForGood() {
        observe();
        playing_ = false;
        released_ = true;
        locks_.clear();
        if (listener) listener(this, SoundEvent::Stop, looping_, volume_);
    }

    LPDIRECTSOUND deviceInterface() const;

    SoundDevice* device_;
    ULONG refs_ = 1;
    bool released_ = false;
    DWORD flags_;
    WAVEFORMATEX format_;
    std::vector<BYTE> data_;
    bool playing_ = false;
    bool looping_ = false;
    DWORD position_ = 0;
    DWORD anchorPosition_ = 0;
    uint64_t anchorTime_ = 0;
    LONG volume_ = DSBVOLUME_MAX;
    LONG pan_ = DSBPAN_CENTER;
    DWORD frequency_;
    unsigned playCalls_ = 0;
    unsigned stopCalls_ = 0;
    unsigned misuses_ = 0;
    std::vector<LockRecord> locks_;
};

std::vector<std::unique_ptr<SoundDevice>> deviceList;
std::vector<std::unique_ptr<SoundBuffer>> bufferList;

HRESULT checkFormat(const WAVEFORMATEX& f) {
    if (f.wFormatTag != WAVE_FORMAT_PCM) return DSERR_BADFORMAT;
    if (f.nChannels < 1 || f.nChannels > 2) return DSERR_BADFORMAT;
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return DSERR_BADFORMAT;
    if (f.nSamplesPerSec < DSBFREQUENCY_MIN || f.nSamplesPerSec > DSBFREQUENCY_MAX) {
        return DSERR_BADFORMAT;
    }
    if (f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8) return DSERR_INVALIDPARAM;
    if (f.nAvgBytesPerSec != f.nSamplesPerSec * f.nBlockAlign) return DSERR_INVALIDPARAM;
    return DS_OK;
}

class SoundDevice final : public IDirectSound {
public:
    ULONG AddRef() override {
        if (released_) return misuse(0);
        return ++refs_;
    }
    ULONG Release() override {
        if (released_) return misuse(0);
        if (--refs_ == 0) {
            released_ = true;
            for (auto& b : bufferList) {
                if (b->belongsTo(this)) b->deviceGone();
            }
        }
        return refs_;
    }

    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* out,
                              LPUNKNOWN outer) override {
        if (released_) return misuse(DSERR_INVALIDCALL);
        if (!out) return DSERR_INVALIDPARAM;
        *out = nullptr;
        if (outer) return DSERR_NOAGGREGATION;
        if (!desc || desc->dwSize != sizeof(DSBUFFERDESC) || desc->dwReserved != 0) {
            return DSERR_INVALIDPARAM;
        }
        const DWORD flags = desc->dwFlags;
        if (flags & ~kKnownCaps) return DSERR_INVALIDPARAM;
        // The device's own mixing buffer is no part of what this system offers.
        if (flags & DSBCAPS_PRIMARYBUFFER) return DSERR_UNSUPPORTED;
        const DWORD placement =
            flags & (DSBCAPS_LOCHARDWARE | DSBCAPS_LOCSOFTWARE | DSBCAPS_LOCDEFER);
        if (placement & (placement - 1)) return DSERR_INVALIDPARAM;
        if ((flags & DSBCAPS_CTRL3D) && (flags & DSBCAPS_CTRLPAN)) return DSERR_INVALIDPARAM;
        if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX) {
            return DSERR_INVALIDPARAM;
        }
        if (!desc->lpwfxFormat) return DSERR_INVALIDPARAM;
        // A PCM format may come without its cbSize: copy no more than the rest.
        WAVEFORMATEX format{};
        std::memcpy(&format, desc->lpwfxFormat, sizeof format - sizeof format.cbSize);
        if (HRESULT hr = checkFormat(format); FAILED(hr)) return hr;
        if ((flags & DSBCAPS_CTRL3D) && format.nChannels != 1) return DSERR_INVALIDPARAM;
        if (detail::faultHits(Fault::CreateSoundBuffer)) return DSERR_OUTOFMEMORY;
        bufferList.push_back(
            std::make_unique<SoundBuffer>(this, flags, format, desc->dwBufferBytes));
        *out = bufferList.back().get();
        return DS_OK;
    }

    HRESULT SetCooperativeLevel(HWND hwnd, DWORD level) override {
        if (released_) return misuse(DSERR_INVALIDCALL);
        if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
        if (hwnd && !detail::isWindow(hwnd)) return DSERR_INVALIDPARAM;
        level_ = level;
        window_ = hwnd;
        return DS_OK;
    }

    bool cooperating() const { return level_ != 0; }
    SoundDeviceInfo info() const {
        return {const_cast<SoundDevice*>(this), released_, refs_, level_, window_};
    }

private:
    template <typename T>
    T misuse(T result) {
        ++misuses_;
        return result;
    }

    ULONG refs_ = 1;
    bool released_ = false;
    DWORD level_ = 0;
    HWND window_ = nullptr;
    unsigned misuses_ = 0;
};

LPDIRECTSOUND SoundBuffer::deviceInterface() const { return device_; }

HRESULT SoundBuffer::Play(DWORD reserved, DWORD priority, DWORD flags) {
    if (released_) return misuse(DSERR_INVALIDCALL);
    if (reserved != 0) return DSERR_INVALIDPARAM;
    if (!(flags_ & DSBCAPS_LOCDEFER) && (priority != 0 || (flags & ~DSBPLAY_LOOPING))) {
        return DSERR_INVALIDPARAM;
    }
    // Nothing plays before the application has said how it shares the device.
    if (!device_->cooperating()) return DSERR_PRIOLEVELNEEDED;
    observe();
    // Already playing: it goes on from where it is, with the new flags.
    anchor(position_);
    playing_ = true;
    looping_ = flags & DSBPLAY_LOOPING;
    ++playCalls_;
    if (listener) listener(this, SoundEvent::Play, looping_, volume_);
    return DS_OK;
}

}  // namespace

namespace detail {

void resetSound() {
    bufferList.clear();
    deviceList.clear();
}

}  // namespace detail

std::vector<SoundDeviceInfo> soundDevices() {
    std::vector<SoundDeviceInfo> out;
    for (const auto& d : deviceList) out.push_back(d->info());
    return out;
}

std::vector<SoundBufferInfo> soundBuffers() {
    std::vector<SoundBufferInfo> out;
    for (const auto& b : bufferList) out.push_back(b->info());
    return out;
}

void setSoundListener(SoundListener l) { listener = l; }

const std::vector<BYTE>* soundBufferBytes(LPDIRECTSOUNDBUFFER buffer, WAVEFORMATEX* format) {
    for (const auto& b : bufferList) {
        if (b.get() != buffer) continue;
        if (format) *format = b->format();
        return &b->data();
    }
    return nullptr;
}

}  // namespace twplat

extern "C" HRESULT WINAPI DirectSoundCreate(LPCGUID pcGuidDevice, LPDIRECTSOUND* ppDS,
                                            LPUNKNOWN pUnkOuter) {
    using namespace twplat;
    if (!ppDS) return DSERR_INVALIDPARAM;
    *ppDS = nullptr;
    if (pUnkOuter) return DSERR_NOAGGREGATION;
    // Only the default device exists: no identifier, or the null GUID.
    if (pcGuidDevice) {
        static const GUID none{};
        if (std::memcmp(pcGuidDevice, &none, sizeof none) != 0) return DSERR_NODRIVER;
    }
    if (detail::faultHits(Fault::NoSoundDevice)) return DSERR_NODRIVER;
    deviceList.push_back(std::make_unique<SoundDevice>());
    *ppDS = deviceList.back().get();
    return DS_OK;
}
