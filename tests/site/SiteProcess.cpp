#include "SiteProcess.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

SiteProcess::SiteProcess(const std::filesystem::path& store, std::vector<std::string> extra) {
    std::vector<std::string> args = {OFFREL_SITE_EXE, "--port", "0", "--store", store.string()};
    args.insert(args.end(), extra.begin(), extra.end());
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe");
    // Built before the fork: the child of a process with threads must not allocate.
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    out_ = pipeEnds[0];
    reader_ = std::thread([this] {
        char buffer[4096];
        ssize_t n;
        while ((n = read(out_, buffer, sizeof buffer)) > 0) {
            std::lock_guard lock(mutex_);
            output_.append(buffer, n);
        }
    });
    for (int i = 0; i < 3000 && port_ == 0; ++i) {
        std::string out = Output();
        if (std::size_t end = out.find('\n'); end != std::string::npos) {
            const std::string scheme =
                out.starts_with("offrel-site: listening on https") ? "https" : "http";
            const std::string prefix = "offrel-site: listening on " + scheme + "://127.0.0.1:";
            if (!out.starts_with(prefix)) throw std::runtime_error("unexpected first line: " + out);
            port_ = std::stoi(out.substr(prefix.size()));
            if (out.substr(0, end) != prefix + std::to_string(port_) + "/offrel.php")
                throw std::runtime_error("unexpected first line: " + out);
        }
        if (port_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (port_ == 0) throw std::runtime_error("the site did not start: " + Output());
}

SiteProcess::~SiteProcess() {
    if (pid_ > 0) Terminate(SIGKILL);
}

bool SiteProcess::Running() {
    return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0;
}

int SiteProcess::Terminate(int signal) {
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    reader_.join();
    close(out_);
    return status;
}

std::string SiteProcess::Output() {
    std::lock_guard lock(mutex_);
    return output_;
}

std::string SiteProcess::OutputOnceItHolds(const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::string output = Output();
    while (output.find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        output = Output();
    }
    return output;
}

std::string Exchange(int port, const std::string& request) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        throw std::runtime_error("cannot connect");
    }
    timeval limit{10, 0};  // a site that never closes fails the test instead of hanging it
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    for (std::size_t sent = 0; sent < request.size();) {
        ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += n;
    }
    std::string answer;
    char buffer[65536];
    ssize_t n;
    while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0) answer.append(buffer, n);
    close(fd);
    return answer;
}

HttpAnswer ParseAnswer(const std::string& raw) {
    HttpAnswer answer;
    std::size_t end = raw.find("\r\n\r\n");
    if (raw.size() < 12 || end == std::string::npos) return answer;
    answer.status = std::stoi(raw.substr(9, 3));
    answer.headers = raw.substr(0, end);
    answer.body = raw.substr(end + 4);
    return answer;
}

Form& Form::Text(const std::string& name, const std::string& value) {
    parts_ += std::string("--") + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + name +
              "\"\r\n\r\n" + value + "\r\n";
    return *this;
}

Form& Form::File(const std::string& name, const std::string& filename, const std::string& bytes) {
    parts_ += std::string("--") + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + name +
              "\"; filename=\"" + filename + "\"\r\nContent-Type: multipart/form-data\r\n\r\n" +
              bytes + "\r\n";
    return *this;
}

std::string Form::Request() const {
    std::string body = Body();
    return "POST /offrel.php HTTP/1.0\r\nConnection: keep-alive\r\n"
           "Content-Type: multipart/form-data; boundary=" +
           std::string(kBoundary) + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nHost: 127.0.0.1\r\nAccept: text/html, */*\r\nAccept-Encoding: identity\r\n"
           "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n" +
           body;
}
