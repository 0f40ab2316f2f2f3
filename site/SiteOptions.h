#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace offrel::site {

struct SiteOptions {
    int port = 8642;                  // 0 picks a free port
    std::filesystem::path catalogue;  // empty: the shipped catalogue beside the executable
    std::filesystem::path store = "offrel-site-store";
    std::string login = "demo";  // Windows-1252, as it comes on the wire
    std::string password = "demo";
    // Waited before each answer, so that the application's progress windows can be watched.
    std::chrono::milliseconds delay{0};
    // The rate at which request bodies are read and answers written, in KB (1,024 bytes) per
    // second, as over a slow line; 0: as fast as the machine goes.
    int throttle = 0;
    // The answer to an accepted sale: "OK", or what a real site may write instead ("OK\r\n").
    std::string acceptedAnswer = "OK";
    // PEM files of the certificate and its private key: given both, the site serves https.
    std::filesystem::path tlsCert;
    std::filesystem::path tlsKey;
};

// Reads --port, --catalogue, --store, --login, --password, --delay (milliseconds), --throttle
// (KB per second) and --accepted-answer (the text, where \r, \n and \\ stand for a carriage
// return, a line feed and a backslash), --tls-cert and --tls-key (together or not at all). Throws
// std::invalid_argument with the reason when the command line is wrong.
SiteOptions ParseSiteOptions(int argc, const char* const* argv);

extern const char* const kSiteUsage;

}  // namespace offrel::site
