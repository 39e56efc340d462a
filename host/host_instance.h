// The instance handle the host registers its window classes with.
#pragma once

#include "platform/windows_api.h"

namespace tw {

inline HINSTANCE hostInstance() {
#if defined(_WIN32)
    return GetModuleHandleA(nullptr);
#else
    return nullptr;  // the stand-in takes any value
#endif
}

}  // namespace tw
