#pragma once
// Hooks for tests of the library and of the program built on it; the game never calls them.

#include "nw/nw_export.h"

namespace nw {
class Session;
}

namespace nw::testing {

// The Session behind the C functions: null before PrepareNetwork and after ReleaseNetWork.
// Lets a test read the port a dialog-hosted game listens on (serverPort()).
NW_EXPORT Session* currentSession();

// Keep-alive interval and silence timeout of the Sessions that PrepareNetwork creates from
// now on; 0 restores the defaults.
NW_EXPORT void setSessionTimings(int keepAliveMs, int silenceMs);

} // namespace nw::testing
