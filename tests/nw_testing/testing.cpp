#include "nw/testing.h"

#include "api_state.h"

namespace nw::testing {

Session* currentSession() { return api::currentSession(); }

void setSessionTimings(int keepAliveMs, int silenceMs) {
    SessionOptions& options = api::sessionOptions();
    options.keepAliveMs = keepAliveMs > 0 ? keepAliveMs : SessionOptions::kDefaultKeepAliveMs;
    options.silenceMs = silenceMs > 0 ? silenceMs : SessionOptions::kDefaultSilenceMs;
}

void setSessionOptions(const SessionOptions& options) { api::sessionOptions() = options; }

} // namespace nw::testing
