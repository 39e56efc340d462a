// dsound for Windows images. DirectSoundCreate hands out COM objects: a
// pointer to a table of stdcall methods in the slot order of IDirectSound and
// IDirectSoundBuffer, each taking the object first. Every object stands for
// one object of the stand-in, and its methods forward to that object's; the
// methods the stand-in lacks answer DSERR_UNSUPPORTED, QueryInterface
// E_NOINTERFACE. Objects live until the last image is unloaded, so a call on
// a released one reaches the stand-in, which counts it as Windows would fail it.

#include <map>
#include <memory>

#include "host/peload/pe_thunks.h"
#include "platform/linux/dsound.h"

namespace tw::pe {

namespace {

struct ComObject {
    const void* const* methods;
    void* inner;
};

// A method of the stand-in's interface, called in stdcall on the object.
template <auto M>
struct Method;
template <typename R, typename C, typename... A, R (C::*M)(A...)>
struct Method<M> {
    static R TW_PE_STDCALL call(ComObject* self, A... a) {
        return (static_cast<C*>(self->inner)->*M)(a...);
    }
};

template <auto M>
constexpr const void* method() {
    return routine(&Method<M>::call);
}

HRESULT TW_PE_STDCALL queryInterface(ComObject*, const void*, void** out) {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
}
HRESULT TW_PE_STDCALL unsupported0(ComObject*) { return DSERR_UNSUPPORTED; }
HRESULT TW_PE_STDCALL unsupported1(ComObject*, uint32_t) { return DSERR_UNSUPPORTED; }
HRESULT TW_PE_STDCALL unsupported2(ComObject*, uint32_t, uint32_t) { return DSERR_UNSUPPORTED; }

std::map<void*, std::unique_ptr<ComObject>>& objects() {
    static std::map<void*, std::unique_ptr<ComObject>> all;
    return all;
}

ComObject* wrap(void* inner, const void* const* methods) {
    if (!inner) return nullptr;
    auto& slot = objects()[inner];
    if (!slot) slot.reset(new ComObject{methods, inner});
    return slot.get();
}

const void* const BufferMethods[] = {
    routine(&queryInterface),
    method<&IDirectSoundBuffer::AddRef>(),
    method<&IDirectSoundBuffer::Release>(),
    routine(&unsupported1),  // GetCaps
    method<&IDirectSoundBuffer::GetCurrentPosition>(),
    method<&IDirectSoundBuffer::GetFormat>(),
    method<&IDirectSoundBuffer::GetVolume>(),
    method<&IDirectSoundBuffer::GetPan>(),
    method<&IDirectSoundBuffer::GetFrequency>(),
    method<&IDirectSoundBuffer::GetStatus>(),
    routine(&unsupported2),  // Initialize
    method<&IDirectSoundBuffer::Lock>(),
    method<&IDirectSoundBuffer::Play>(),
    method<&IDirectSoundBuffer::SetCurrentPosition>(),
    routine(&unsupported1),  // SetFormat
    method<&IDirectSoundBuffer::SetVolume>(),
    method<&IDirectSoundBuffer::SetPan>(),
    method<&IDirectSoundBuffer::SetFrequency>(),
    method<&IDirectSoundBuffer::Stop>(),
    method<&IDirectSoundBuffer::Unlock>(),
    routine(&unsupported0),  // Restore
};

HRESULT TW_PE_STDCALL createSoundBuffer(ComObject* self, LPCDSBUFFERDESC desc, ComObject** out,
                                        LPUNKNOWN outer) {
    LPDIRECTSOUNDBUFFER buffer = nullptr;
    HRESULT hr = static_cast<LPDIRECTSOUND>(self->inner)
                     ->CreateSoundBuffer(desc, out ? &buffer : nullptr, outer);
    if (out) *out = wrap(buffer, BufferMethods);
    return hr;
}

const void* const DeviceMethods[] = {
    routine(&queryInterface),
    method<&IDirectSound::AddRef>(),
    method<&IDirectSound::Release>(),
    routine(&createSoundBuffer),
    routine(&unsupported1),  // GetCaps
    routine(&unsupported2),  // DuplicateSoundBuffer
    method<&IDirectSound::SetCooperativeLevel>(),
    routine(&unsupported0),  // Compact
    routine(&unsupported1),  // GetSpeakerConfig
    routine(&unsupported1),  // SetSpeakerConfig
    routine(&unsupported1),  // Initialize
};

static_assert(sizeof DeviceMethods / sizeof DeviceMethods[0] == 11);
static_assert(sizeof BufferMethods / sizeof BufferMethods[0] == 21);

HRESULT TW_PE_STDCALL directSoundCreate(LPCGUID guid, ComObject** out, LPUNKNOWN outer) {
    LPDIRECTSOUND device = nullptr;
    HRESULT hr = DirectSoundCreate(guid, out ? &device : nullptr, outer);
    if (out) *out = wrap(device, DeviceMethods);
    return hr;
}

const Binding Entries[] = {
    TW_PE_OWN("DirectSoundCreate", directSoundCreate),
};

}  // namespace

void forgetSoundObjects() { objects().clear(); }

const BindingTable DsoundBindings = {"dsound.dll", Entries, sizeof Entries / sizeof Entries[0]};

}  // namespace tw::pe
