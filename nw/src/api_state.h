#pragma once
// What the C functions share beyond their calls, for the library's own sources. Not installed
// and not exported: the tests' build of the library reaches it through nw/testing.h.

#include "nw/session.h"

namespace nw::api {

// The Session behind the C functions: null before PrepareNetwork and after ReleaseNetWork.
Session* currentSession();

// What PrepareNetwork builds its Sessions with: the game's defaults unless changed.
SessionOptions& sessionOptions();

} // namespace nw::api
