#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "base/Error.h"
#include "server/MultipartBody.h"

namespace offrel {

struct ServerAddress {
    std::string host;
    int port = 80;
    std::string path;  // "/offrel.php"
};

// From OFFREL_SERVER_URL when it is set, otherwise the stand-in site's default address.
ServerAddress ServerUrl();

// How long a request may wait: for its connection, and without any byte moving either way.
// A site that stops answering would otherwise freeze the application for ever.
struct PostTimeouts {
    std::chrono::seconds connect{30};
    std::chrono::seconds stall{60};
};
void SetPostTimeouts(const PostTimeouts& timeouts);  // for every later request of the process

// How far a request has gone: the body's bytes handed to the connection, and the answer's bytes
// received (toReceive is 0 while the answer's length is unknown).
struct TransferProgress {
    std::uint64_t sent = 0;
    std::uint64_t toSend = 0;
    std::uint64_t received = 0;
    std::uint64_t toReceive = 0;
};
using TransferProgressCallback = std::function<void(const TransferProgress&)>;

// A request that failed after it was sent, or while it was sent. BodySent() is false when the
// transfer never took the whole body: the site cannot have a request it did not receive whole.
class PostFailure : public Error {
public:
    PostFailure(const std::string& message, bool bodySent) : Error(message), bodySent_(bodySent) {}
    bool BodySent() const { return bodySent_; }

private:
    bool bodySent_;
};

// Sends the body to ServerUrl() as an HTTP/1.0 POST and returns the answer text (the response
// body, byte for byte). Throws a PostFailure with the transport's text, or the status line, on
// failure; an error of the body itself (a photo that cannot be read) is thrown as it is.
// onProgress, when given, is called on the calling thread as the transfer moves.
std::string PostToServer(TMultipartBody& body, const TransferProgressCallback& onProgress = {});

}  // namespace offrel
