// DirectSound as the module sees it. On Windows that is <dsound.h> itself, with
// the wave format from <mmsystem.h>; on Linux it is our stand-in, with the same
// interfaces, codes and semantics on the virtual clock.
#pragma once

#include "platform/windows_api.h"

#if defined(_WIN32)
// The wave format comes first: <dsound.h> builds on it.
#include <mmsystem.h>

#include <dsound.h>
#else
#include "platform/linux/dsound.h"
#endif
