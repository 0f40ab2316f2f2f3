#include "ScriptedSite.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace {

int ListenOnLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 16) != 0)
        throw std::runtime_error("scripted site: cannot listen");
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

// The value of a multipart text field, empty when the request has none.
std::string FieldValue(const std::string& request, const std::string& name) {
    const std::string marker = "name=\"" + name + "\"";
    std::size_t at = request.find(marker);
    if (at == std::string::npos) return {};
    at = request.find("\r\n\r\n", at);
    if (at == std::string::npos) return {};
    at += 4;
    return request.substr(at, request.find("\r\n", at) - at);
}

// Reads one HTTP request: the head, then as many body bytes as Content-Length says.
std::string ReadRequest(int fd) {
    std::string request;
    char buffer[65536];
    std::size_t expected = std::string::npos;
    while (expected == std::string::npos || request.size() < expected) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<std::size_t>(got));
        const std::size_t headEnd = request.find("\r\n\r\n");
        if (expected == std::string::npos && headEnd != std::string::npos) {
            std::size_t length = 0;
            for (const char* key : {"Content-Length:", "content-length:", "Content-length:"}) {
                const std::size_t at = request.find(key);
                if (at < headEnd) length = std::strtoul(request.c_str() + at + 15, nullptr, 10);
            }
            expected = headEnd + 4 + length;
        }
    }
    return request;
}

// An answer of 200 with the text as its body.
std::string TextResponse(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace

ScriptedSite::ScriptedSite()
    : listener_(ListenOnLoopback(port_)), thread_(&ScriptedSite::Serve, this) {}

ScriptedSite::~ScriptedSite() {
    ::shutdown(listener_, SHUT_RDWR);
    ::close(listener_);
    thread_.join();
    for (const int fd : silent_) ::close(fd);
}

QString ScriptedSite::Url() const {
    return QStringLiteral("http://127.0.0.1:%1/offrel.php").arg(port_);
}

QString ScriptedSite::UnreachableUrl() {
    int port = 0;
    const int fd = ListenOnLoopback(port);
    ::close(fd);
    return QStringLiteral("http://127.0.0.1:%1/offrel.php").arg(port);
}

void ScriptedSite::SetCatalogue(std::string options, std::string categories) {
    std::lock_guard lock(mutex_);
    answers_["getOptions"] = std::move(options);
    answers_["getCategories"] = std::move(categories);
}

void ScriptedSite::SetRawResponse(const std::string& action, std::string response) {
    std::lock_guard lock(mutex_);
    rawResponses_[action] = std::move(response);
}

void ScriptedSite::QueuePutVenteAnswer(std::string answer) {
    std::lock_guard lock(mutex_);
    putVenteAnswers_.push_back(TextResponse(answer));
}

void ScriptedSite::QueuePutVenteFailure() {
    std::lock_guard lock(mutex_);
    putVenteAnswers_.push_back("HTTP/1.0 500 Panne\r\n\r\n");
}

void ScriptedSite::QueueSilentPutVente() {
    std::lock_guard lock(mutex_);
    putVenteAnswers_.push_back(std::nullopt);
}

std::vector<std::string> ScriptedSite::Actions() const {
    std::lock_guard lock(mutex_);
    return actions_;
}

std::vector<std::string> ScriptedSite::PutVenteTitles() const {
    std::lock_guard lock(mutex_);
    return titles_;
}

std::optional<std::string> ScriptedSite::Answer(const std::string& request) {
    const std::string action = FieldValue(request, "action");
    std::lock_guard lock(mutex_);
    actions_.push_back(action);
    if (const auto raw = rawResponses_.find(action); raw != rawResponses_.end()) return raw->second;
    if (action != "putVente") return TextResponse(answers_[action]);
    titles_.push_back(FieldValue(request, "libelle"));
    if (putVenteAnswers_.empty()) return TextResponse("OK");
    std::optional<std::string> answer = putVenteAnswers_.front();
    putVenteAnswers_.pop_front();
    return answer;
}

void ScriptedSite::Serve() {
    for (;;) {
        const int fd = ::accept(listener_, nullptr, nullptr);
        if (fd < 0) return;
        const std::optional<std::string> response = Answer(ReadRequest(fd));
        if (!response) {
            silent_.push_back(fd);
            continue;
        }
        std::size_t sent = 0;
        while (sent < response->size()) {
            const ssize_t n =
                ::send(fd, response->data() + sent, response->size() - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
        ::close(fd);
    }
}
