// Any bytes as the body of a multipart POST to the stand-in site, sent over a real connection,
// whole or cut short: the site answers a whole body with 200 or 400 (a cut one may get no
// answer), never crashes or hangs, keeps no half-received sale, and stores a sale exactly when it
// answers "OK".
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "site/SiteServer.h"

namespace fs = std::filesystem;

namespace {

constexpr char kBoundary[] = "--------120926071500123";

// One site for the whole run, on a free port, its store in memory when the system has a place.
struct Site {
    Site() {
        // One log line per request on standard output is not wanted here.
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
        const fs::path base =
            fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "offrel-fuzz-site-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        store = pattern;
        offrel::site::SiteOptions options;
        options.port = 0;
        options.store = store;
        server = std::make_unique<offrel::site::SiteServer>(options);
        port = server->Bind(0);
        std::thread([this] { server->Run(); }).detach();
        std::atexit([] { fs::remove_all(Get().store); });
    }
    static Site& Get() {
        static Site* site = new Site;  // serves until the process ends
        return *site;
    }
    fs::path store;
    std::unique_ptr<offrel::site::SiteServer> server;
    int port = 0;
};

template <typename Call>
auto Retry(Call call) {
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR) return result;
    }
}

// Everything the site sends back until it closes; the body is sent whole or cut after half.
std::string Exchange(int port, const std::string& head, const std::uint8_t* body, std::size_t size,
                     bool cut) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        // libFuzzer's timer interrupts system calls; an interrupted connection goes on by itself.
        pollfd connecting{fd, POLLOUT, 0};
        int error = 0;
        socklen_t length = sizeof error;
        if (errno != EINTR || Retry([&] { return ::poll(&connecting, 1, -1); }) != 1 ||
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            std::abort();
    }
    const timeval limit{30, 0};  // a site that never answers is a finding, not a hang
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    std::string request = head;
    request.append(reinterpret_cast<const char*>(body), cut ? size / 2 : size);
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t n = Retry(
            [&] { return ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL); });
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
    }
    if (cut) ::shutdown(fd, SHUT_WR);
    std::string answer;
    char buffer[65536];
    for (;;) {
        const ssize_t n = Retry([&] { return ::recv(fd, buffer, sizeof buffer, 0); });
        if (n == 0) break;
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) std::abort();
            break;  // reset by the site
        }
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return answer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Site* site = &Site::Get();
    // The first byte says whether the connection is cut half-way; the rest is the body.
    const bool cut = size > 0 && (data[0] & 1) != 0;
    const std::uint8_t* body = size > 0 ? data + 1 : data;
    const std::size_t length = size > 0 ? size - 1 : 0;
    const std::string head =
        std::string("POST /offrel.php HTTP/1.0\r\nConnection: keep-alive\r\n") +
        "Content-Type: multipart/form-data; boundary=" + kBoundary +
        "\r\nContent-Length: " + std::to_string(length) + "\r\nHost: 127.0.0.1\r\n\r\n";
    const std::string answer = Exchange(site->port, head, body, length, cut);

    const std::size_t headEnd = answer.find("\r\n\r\n");
    const bool ok = answer.starts_with("HTTP/1.1 200 ") && headEnd != std::string::npos &&
                    answer.compare(headEnd + 4, std::string::npos, "OK") == 0;
    if (!cut && !answer.starts_with("HTTP/1.1 200 ") && !answer.starts_with("HTTP/1.1 400 "))
        std::abort();
    int sales = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(site->store)) {
        if (entry.path().filename().string().starts_with(".")) std::abort();  // half a sale
        if (!fs::exists(entry.path() / "vente.json")) std::abort();
        ++sales;
        fs::remove_all(entry.path());
    }
    if (sales != (ok ? 1 : 0)) std::abort();
    return 0;
}
