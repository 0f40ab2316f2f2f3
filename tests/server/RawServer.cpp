#include "tests/server/RawServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <strings.h>
#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace {

int ListenOnLoopback(int* port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 16) != 0)
        throw std::runtime_error("cannot listen on loopback");
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    *port = ntohs(address.sin_port);
    return fd;
}

// Waits for the socket or the wake pipe; false when woken to stop.
bool WaitReadable(int fd, int wake) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
    while (::poll(fds, 2, -1) < 0) {
    }
    return (fds[1].revents & POLLIN) == 0;
}

std::size_t ContentLength(const std::string& head) {
    std::size_t at = 0;
    while ((at = head.find("\r\n", at)) != std::string::npos) {
        at += 2;
        if (::strncasecmp(head.c_str() + at, "Content-Length:", 15) == 0)
            return std::strtoull(head.c_str() + at + 15, nullptr, 10);
    }
    return 0;
}

}  // namespace

RawServer::RawServer() {
    listener_ = ListenOnLoopback(&port_);
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    thread_ = std::thread(&RawServer::Serve, this);
}

RawServer::~RawServer() {
    const char stop = 's';
    [[maybe_unused]] auto written = ::write(wakeWrite_, &stop, 1);
    thread_.join();
    ::close(listener_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

std::string RawServer::Url() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/offrel.php";
}

void RawServer::Push(Reply reply) {
    std::lock_guard lock(mutex_);
    replies_.push_back(std::move(reply));
}

void RawServer::PushAnswer(const std::string& body) {
    Push({"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body});
}

std::vector<std::string> RawServer::Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
}

void RawServer::Serve() {
    while (WaitReadable(listener_, wakeRead_)) {
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        Answer(connection);
    }
}

void RawServer::Answer(int connection) {
    Reply reply{"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK"};
    {
        std::lock_guard lock(mutex_);
        if (!replies_.empty()) {
            reply = std::move(replies_.front());
            replies_.pop_front();
        }
    }
    bool stopping = false;
    if (reply.readRequest) {
        std::string request;
        std::size_t expected = std::string::npos;
        char buffer[65536];
        while (request.size() < std::min(expected, reply.readAtMost)) {
            if (!WaitReadable(connection, wakeRead_)) {
                stopping = true;
                break;
            }
            const std::size_t room = std::min(sizeof buffer, reply.readAtMost - request.size());
            const ssize_t got = ::recv(connection, buffer, room, 0);
            if (got <= 0) break;
            request.append(buffer, static_cast<std::size_t>(got));
            const std::size_t headEnd = request.find("\r\n\r\n");
            if (expected == std::string::npos && headEnd != std::string::npos)
                expected = headEnd + 4 + ContentLength(request.substr(0, headEnd + 2));
        }
        std::lock_guard lock(mutex_);
        requests_.push_back(std::move(request));
    }
    if (reply.delayMs > 0 && !stopping) {
        pollfd wake{wakeRead_, POLLIN, 0};
        stopping = ::poll(&wake, 1, reply.delayMs) > 0;
    }
    for (std::size_t sent = 0; !stopping && sent < reply.bytes.size();) {
        const ssize_t n =
            ::send(connection, reply.bytes.data() + sent, reply.bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
    }
    if (reply.end == Reply::End::Reset) {
        const linger abort{1, 0};
        ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    } else if (reply.end == Reply::End::Hang && !stopping) {
        // Keeps the connection open and silent until the server stops.
        pollfd wake{wakeRead_, POLLIN, 0};
        ::poll(&wake, 1, -1);
    }
    ::close(connection);
}

ScopedServerUrl::ScopedServerUrl(const std::string& url) {
    const char* previous = std::getenv("OFFREL_SERVER_URL");
    hadPrevious_ = previous != nullptr;
    if (hadPrevious_) previous_ = previous;
    ::setenv("OFFREL_SERVER_URL", url.c_str(), 1);
}

ScopedServerUrl::~ScopedServerUrl() {
    if (hadPrevious_)
        ::setenv("OFFREL_SERVER_URL", previous_.c_str(), 1);
    else
        ::unsetenv("OFFREL_SERVER_URL");
}

int ClosedPort() {
    int port = 0;
    ::close(ListenOnLoopback(&port));
    return port;
}
