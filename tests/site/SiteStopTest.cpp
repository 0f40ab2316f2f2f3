#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include "site/SiteServer.h"
#include "tests/common/TempFolder.h"

using offrel::site::SiteOptions;
using offrel::site::SiteServer;

namespace {

// Whether the server's Run ends within ten seconds of start(); a Run that never ends would hold
// the test for ever, so the process ends there.
void ExpectRunEnds(SiteServer& server, const std::function<void()>& start) {
    std::promise<void> ended;
    std::thread runner([&] {
        server.Run();
        ended.set_value();
    });
    start();
    if (ended.get_future().wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the site went on serving after its stop";
        std::_Exit(1);
    }
    runner.join();
}

SiteOptions Options(const offrel::testing::TempFolder& store) {
    SiteOptions options;
    options.catalogue = OFFREL_SITE_CATALOGUE;
    options.store = store.Path();
    return options;
}

}  // namespace

// The site announces its port before its loop begins: a signal just after the announcement
// asks the stop of a loop that has not begun yet, and must end it all the same.
TEST(SiteStop, AStopBeforeTheLoopBeginsEndsIt) {
    offrel::testing::TempFolder store;
    SiteServer server(Options(store));
    server.Bind(0);
    server.Stop();
    ExpectRunEnds(server, [] {});
}

TEST(SiteStop, AStopWhileItServesOrAsItBeginsEndsIt) {
    offrel::testing::TempFolder store;
    for (int round = 0; round < 50; ++round) {
        SiteServer server(Options(store));
        server.Bind(0);
        ExpectRunEnds(server, [&] { server.Stop(); });
    }
}
