#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "server/MultipartBody.h"
#include "server/PostToServer.h"

namespace offrel {

// What a caller's thread does while its request runs on a thread of its own. A window turns its
// event loop there, so that it keeps painting and answering the desktop; a program without
// windows just blocks.
class RequestWait {
public:
    virtual ~RequestWait() = default;
    // Returns once Wake has been called since the last return, or when timeout has passed.
    virtual void WaitForWake(std::chrono::milliseconds timeout) = 0;
    // Called from the request's thread.
    virtual void Wake() = 0;
};

// Blocks the calling thread: for callers without windows.
class BlockingWait : public RequestWait {
public:
    void WaitForWake(std::chrono::milliseconds timeout) override;
    void Wake() override;

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false;
};

// PostToServer run on a thread of its own while the calling thread waits through `wait`. The
// calling thread gets the progress (about every 50 ms while the transfer moves), the answer or the
// request's error, as if it had posted itself; nothing else changes, the bytes least of all.
// options.beforeBodyEnd runs on the request's thread.
std::string PostAndWait(TMultipartBody& body, RequestWait& wait,
                        const TransferProgressCallback& onProgress,
                        const PostOptions& options = {});

}  // namespace offrel
