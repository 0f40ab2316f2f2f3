#include "server/RequestWait.h"

#include <exception>
#include <thread>
#include <utility>

namespace offrel {

namespace {

constexpr std::chrono::milliseconds kProgressInterval{50};

// What the request's thread hands over to the waiting one.
struct Handover {
    std::mutex mutex;
    TransferProgress progress;
    bool moved = false;
    bool done = false;
    std::string answer;
    std::exception_ptr failure;
};

}  // namespace

void BlockingWait::WaitForWake(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, timeout, [this] { return woken_; });
    woken_ = false;
}

void BlockingWait::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wake_.notify_one();
}

std::string PostAndWait(TMultipartBody& body, RequestWait& wait,
                        const TransferProgressCallback& onProgress, const PostOptions& options) {
    Handover handover;
    const auto post = [&] {
        std::string answer;
        std::exception_ptr failure;
        try {
            answer = PostToServer(
                body,
                [&](const TransferProgress& progress) {
                    std::lock_guard lock(handover.mutex);
                    handover.moved = handover.moved || progress.sent != handover.progress.sent ||
                                     progress.received != handover.progress.received;
                    handover.progress = progress;
                },
                options);
        } catch (...) {
            failure = std::current_exception();
        }
        {
            std::lock_guard lock(handover.mutex);
            handover.answer = std::move(answer);
            handover.failure = failure;
            handover.done = true;
        }
        wait.Wake();
    };
    // Joined however this function is left: the request's thread uses the body and the handover.
    std::jthread request(post);
    for (;;) {
        wait.WaitForWake(kProgressInterval);
        TransferProgress progress;
        bool moved = false;
        bool done = false;
        {
            std::lock_guard lock(handover.mutex);
            progress = handover.progress;
            moved = std::exchange(handover.moved, false);
            done = handover.done;
        }
        if (moved && onProgress) onProgress(progress);
        if (done) break;
    }
    request.join();
    if (handover.failure) std::rethrow_exception(handover.failure);
    return std::move(handover.answer);
}

}  // namespace offrel
