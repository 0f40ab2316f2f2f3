#pragma once

#include <sys/types.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A running offrel-site on a free port, its standard output collected as it comes.
class SiteProcess {
public:
    explicit SiteProcess(const std::filesystem::path& store, std::vector<std::string> extra = {});
    ~SiteProcess();  // kills the site if it still runs

    int Port() const { return port_; }
    pid_t Pid() const { return pid_; }
    bool Running();
    int Terminate(int signal);  // sends the signal and returns the exit status
    std::string Output();
    // The output once it holds text (its lines reach the test through a reader thread), or as it
    // is after ten seconds.
    std::string OutputOnceItHolds(const std::string& text);

private:
    pid_t pid_ = -1;
    int port_ = 0;
    int out_ = -1;
    std::thread reader_;
    std::mutex mutex_;
    std::string output_;
};

// Sends raw bytes to 127.0.0.1:port and returns everything read until the site closes.
std::string Exchange(int port, const std::string& request);

struct HttpAnswer {
    int status = 0;
    std::string headers;
    std::string body;
};
HttpAnswer ParseAnswer(const std::string& raw);

// A multipart/form-data body built by hand, and the request the application sends with it.
class Form {
public:
    Form& Text(const std::string& name, const std::string& value);
    Form& File(const std::string& name, const std::string& filename, const std::string& bytes);
    std::string Body() const { return parts_ + "--" + kBoundary + "--\r\n"; }
    std::string Request() const;

    static constexpr const char* kBoundary = "--------120926071500123";

private:
    std::string parts_;
};
