#include "server/RequestWait.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/common/TempFolder.h"
#include "tests/server/RawServer.h"

using offrel::TransferProgress;
using End = RawServer::Reply::End;

namespace {

// Counts the turns of the waiting thread.
class CountingWait : public offrel::RequestWait {
public:
    void WaitForWake(std::chrono::milliseconds timeout) override {
        ++turns;
        blocking_.WaitForWake(timeout);
    }
    void Wake() override {
        wakerThread = std::this_thread::get_id();
        blocking_.Wake();
    }
    int turns = 0;
    std::thread::id wakerThread;

private:
    offrel::BlockingWait blocking_;
};

class RequestWaitTest : public ::testing::Test {
protected:
    RawServer server;
    ScopedServerUrl url{server.Url()};
    CountingWait wait;
    std::vector<TransferProgress> shown;
    std::vector<std::thread::id> shownOn;

    std::string Post(offrel::TMultipartBody& body) {
        return offrel::PostAndWait(body, wait, [this](const TransferProgress& progress) {
            shown.push_back(progress);
            shownOn.push_back(std::this_thread::get_id());
        });
    }
};

}  // namespace

TEST_F(RequestWaitTest, RequestRunsElsewhereAndItsProgressComesHere) {
    offrel::testing::TempFolder dir;
    const std::string photo = dir.Write("photo.jpg", std::string(3 << 20, '\x5a'));
    offrel::TMultipartBody body("--------120926101530123");
    body.AddTextField("action", "putVente");
    body.AddFileField("photo1", photo, "multipart/form-data");
    server.PushAnswer("Titre trop court");
    EXPECT_EQ(Post(body), "Titre trop court");

    EXPECT_NE(wait.wakerThread, std::this_thread::get_id());
    ASSERT_FALSE(shown.empty());
    for (std::thread::id thread : shownOn) EXPECT_EQ(thread, std::this_thread::get_id());
    // The figures only grow, and the last ones are the whole body and the whole answer.
    for (std::size_t i = 1; i < shown.size(); ++i) {
        EXPECT_GE(shown[i].sent, shown[i - 1].sent);
        EXPECT_GE(shown[i].received, shown[i - 1].received);
    }
    EXPECT_EQ(shown.back().sent, body.Size());
    EXPECT_EQ(shown.back().toSend, body.Size());
    EXPECT_EQ(shown.back().received, 16u);
    EXPECT_EQ(shown.back().toReceive, 16u);

    // The same bytes as a request posted on this thread.
    EXPECT_EQ(offrel::PostToServer(body), "OK");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0] == requests[1]);
}

TEST_F(RequestWaitTest, WaitingThreadTurnsWhileTheSiteThinks) {
    server.Push({"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK", End::Close, true, 1000});
    offrel::TMultipartBody body;
    body.AddTextField("action", "getOptions");
    EXPECT_EQ(Post(body), "OK");
    // About twenty turns of 50 ms in that second; a loaded machine still gives several.
    EXPECT_GE(wait.turns, 5);
}
