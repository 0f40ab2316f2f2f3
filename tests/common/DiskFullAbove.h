#pragma once

#include <sys/resource.h>

#include <csignal>

namespace offrel::testing {

// The file size limit stands for a full disk for the lifetime of the object: a write beyond it
// fails with EFBIG ("File too large").
class DiskFullAbove {
public:
    explicit DiskFullAbove(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        const struct rlimit limit = {bytes, previous_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~DiskFullAbove() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    DiskFullAbove(const DiskFullAbove&) = delete;
    DiskFullAbove& operator=(const DiskFullAbove&) = delete;

private:
    struct rlimit previous_ {};
    void (*oldHandler_)(int);
};

}  // namespace offrel::testing
