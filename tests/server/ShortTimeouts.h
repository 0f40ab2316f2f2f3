#pragma once

#include <chrono>

#include "server/PostToServer.h"

// Short waits for the tests of a site that stops answering; restored afterwards.
class ShortTimeouts {
public:
    ShortTimeouts() { offrel::SetPostTimeouts({std::chrono::seconds(1), std::chrono::seconds(1)}); }
    ~ShortTimeouts() { offrel::SetPostTimeouts({}); }
};
