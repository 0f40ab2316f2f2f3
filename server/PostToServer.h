#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>

#include "base/Error.h"
#include "server/MultipartBody.h"

namespace offrel {

struct ServerAddress {
    bool secure = false;  // https: TLS with the site's certificate verified
    std::string host;
    int port = 80;
    std::string path;  // "/offrel.php"
};

// From OFFREL_SERVER_URL (http:// or https://) when it is set, otherwise the stand-in site's
// default address.
ServerAddress ServerUrl();

// Whether the login and password would cross a network unencrypted: plain http to a host that
// is not this machine.
bool PasswordTravelsInClear(const ServerAddress& address);

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

// A request that failed, with a French sentence that says why. BodySent() is false when the
// transfer never took the whole body: the site cannot have a request it did not receive whole.
class PostFailure : public Error {
public:
    enum class Kind {
        NoConnection,  // the site could not be reached: no connection was made
        Transport,     // the connection failed, or stopped, once it was made
        Status,        // the site answered with an error status or a redirection
    };
    PostFailure(const std::string& message, bool bodySent, Kind kind = Kind::Transport)
        : Error(message), bodySent_(bodySent), kind_(kind) {}
    bool BodySent() const { return bodySent_; }
    Kind Which() const { return kind_; }

private:
    bool bodySent_;
    Kind kind_;
};

// What a caller may ask of one request besides its bytes, which stay the same.
struct PostOptions {
    // The most of the answer that is kept; the rest is never read. An answer longer than that
    // comes back as its first answerLimit + 1 bytes, so that the caller can tell it was cut.
    std::size_t answerLimit = std::numeric_limits<std::size_t>::max();
    // Called once, on the thread that runs the transfer, when the body has been read to its end
    // and before its last bytes are handed to the connection: what must be known before the site
    // can hold the whole request. An error it throws ends the request there, its body incomplete,
    // and is thrown by PostToServer as it is.
    std::function<void()> beforeBodyEnd;
};

// Sends the body to ServerUrl() as an HTTP/1.0 POST and returns the answer text (the response
// body, byte for byte). Throws a PostFailure on failure; an error of the body itself (a photo
// that cannot be read) is thrown as it is. onProgress, when given, is called on the calling
// thread as the transfer moves.
std::string PostToServer(TMultipartBody& body, const TransferProgressCallback& onProgress = {},
                         const PostOptions& options = {});

}  // namespace offrel
