// offrel-site: the stand-in Brivax site on loopback.
#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <thread>

#include "site/SiteOptions.h"
#include "site/SiteServer.h"

int main(int argc, char** argv) {
    using namespace offrel::site;
    SiteOptions options;
    try {
        options = ParseSiteOptions(argc, argv);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "offrel-site: %s\n%s\n", e.what(), kSiteUsage);
        return 2;
    }
    // The signals are taken by one thread that stops the server; the server's own threads,
    // started later, inherit the blocked mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    try {
        SiteServer server(options);
        int port = server.Bind(options.port);
        std::printf("offrel-site: listening on %s://127.0.0.1:%d/offrel.php\n",
                    server.Secure() ? "https" : "http", port);
        std::fflush(stdout);
        std::thread stopper([&server, &stopSignals] {
            int signal = 0;
            sigwait(&stopSignals, &signal);
            server.Stop();
        });
        server.Run();
        pthread_kill(stopper.native_handle(), SIGTERM);  // wakes it when the server ended alone
        stopper.join();
        LogLine("offrel-site: stopped");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "offrel-site: %s\n", e.what());
        return 1;
    }
}
