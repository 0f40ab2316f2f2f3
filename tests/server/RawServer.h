#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A plain socket server on loopback that records every request byte for byte and answers each
// connection, in turn, with the next scripted reply. One connection is served at a time.
class RawServer {
public:
    struct Reply {
        enum class End { Close, Reset, Hang };
        std::string bytes;  // written once the whole request has been read
        End end = End::Close;
        bool readRequest = true;  // false: acts as soon as the connection is accepted
        int delayMs = 0;          // waited before the bytes are written, as a busy site would
        // Reads no more of the request than this, as a site that stopped reading would.
        std::size_t readAtMost = std::string::npos;
    };

    RawServer();  // listens on 127.0.0.1 on a port of the system's choice
    ~RawServer();
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    int Port() const { return port_; }
    std::string Url() const;  // http://127.0.0.1:<port>/offrel.php

    // Replies for the next connections; once none is left, each one gets "OK" with a length.
    void Push(Reply reply);
    void PushAnswer(const std::string& body);  // 200 with a Content-Length

    std::vector<std::string> Requests();  // every request received, whole

private:
    void Serve();
    void Answer(int connection);

    int listener_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    int port_ = 0;
    std::mutex mutex_;
    std::deque<Reply> replies_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// Points the application at a server for the lifetime of the object.
class ScopedServerUrl {
public:
    explicit ScopedServerUrl(const std::string& url);
    ~ScopedServerUrl();

private:
    std::string previous_;
    bool hadPrevious_;
};

// A port on loopback where nothing listens.
int ClosedPort();
