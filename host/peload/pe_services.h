// The host's panel services as a Windows image calls them: a table of the
// same slots whose entries are stdcall and forward to the host's own.
#pragma once

#include "framework/host_records.h"

namespace tw::pe {

// The stdcall table in front of `host`'s; slots the host leaves empty stay
// empty. One table serves the one active host.
PANEL_SERVICES* stdcallServices(PANEL_SERVICES* host);

}  // namespace tw::pe
