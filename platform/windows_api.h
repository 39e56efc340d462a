// The operating system as the module sees it. On Windows that is <windows.h>
// itself; on Linux it is our stand-in, with the same names and semantics, for
// exactly the subset the module calls.
#pragma once

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include "platform/linux/win32.h"
#endif
