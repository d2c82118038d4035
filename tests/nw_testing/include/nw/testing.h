#pragma once
// Hooks of the tests' build of the network library (NW_testing); the game's libNW.so has none.

#include "nw/nw_export.h"
#include "nw/session.h"

namespace nw::testing {

// The Session behind the C functions: null before PrepareNetwork and after ReleaseNetWork.
// Lets a test read the port a dialog-hosted game listens on (serverPort()).
NW_EXPORT Session* currentSession();

// Keep-alive interval and silence timeout of the Sessions that PrepareNetwork creates from
// now on; 0 restores the defaults.
NW_EXPORT void setSessionTimings(int keepAliveMs, int silenceMs);

// All the options of the Sessions that PrepareNetwork creates from now on.
NW_EXPORT void setSessionOptions(const SessionOptions& options);

} // namespace nw::testing
