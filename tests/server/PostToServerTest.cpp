#include "server/PostToServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <thread>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "tests/common/TempFolder.h"
#include "tests/server/RawServer.h"
#include "tests/server/ShortTimeouts.h"
#include "tests/server/WireFormat.h"

using offrel::PostToServer;
using offrel::TMultipartBody;
using offrel::W;
using End = RawServer::Reply::End;

namespace {

const std::string kBoundary = "--------120926101530123";

struct Outcome {
    bool ok = false;
    std::string text;  // the answer, or the failure's message
};

Outcome Post(TMultipartBody& body) {
    try {
        return {true, PostToServer(body)};
    } catch (const offrel::Error& error) {
        return {false, error.what()};
    }
}

Outcome PostGetOptions() {
    TMultipartBody body(kBoundary);
    body.AddTextField("action", "getOptions");
    return Post(body);
}

// The failure of a "getOptions" request; none when it did not fail.
std::optional<offrel::PostFailure> GetOptionsFailure() {
    TMultipartBody body(kBoundary);
    body.AddTextField("action", "getOptions");
    try {
        PostToServer(body);
    } catch (const offrel::PostFailure& failure) {
        return failure;
    }
    return std::nullopt;
}

class PostToServerTest : public ::testing::Test {
protected:
    RawServer server;
    ScopedServerUrl url{server.Url()};
    std::string Host() const { return "127.0.0.1:" + std::to_string(server.Port()); }
};

}  // namespace

TEST_F(PostToServerTest, CatalogueRequestsAreSentByteForByte) {
    server.PushAnswer("1;Gras;1.5;1\r\n");
    TMultipartBody options(kBoundary);
    options.AddTextField("action", "getOptions");
    EXPECT_EQ(PostToServer(options), "1;Gras;1.5;1\r\n");
    TMultipartBody categories(kBoundary);
    categories.AddTextField("action", "getCategories");
    EXPECT_EQ(PostToServer(categories), "OK");

    const std::string optionsBody =
        wire::TextPart(kBoundary, "action", "getOptions") + wire::Closing(kBoundary);
    const std::string categoriesBody =
        wire::TextPart(kBoundary, "action", "getCategories") + wire::Closing(kBoundary);
    ASSERT_EQ(optionsBody.size(), 117u);
    ASSERT_EQ(categoriesBody.size(), 120u);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], wire::Request(Host(), kBoundary, optionsBody));
    EXPECT_EQ(requests[1], wire::Request(Host(), kBoundary, categoriesBody));
}

TEST_F(PostToServerTest, SaleWithPhotosIsSentByteForByteAndIdenticallyTwice) {
    offrel::testing::TempFolder dir;
    std::string jpeg = "\xff\xd8\xff\xe0";
    for (int i = 0; i < 300000; ++i) jpeg.push_back(static_cast<char>(i % 253));
    // The file system names the file in UTF-8; the table and the wire hold Windows-1252.
    dir.Write("vélo 1.jpg", jpeg);
    const std::string photo1 = (dir.Path() / W("vélo 1.jpg")).string();
    const std::string photo3 = dir.Write("selle.jpg", "\r\n--" + kBoundary + "--\r\n");
    TMultipartBody body(kBoundary);
    body.AddTextField("action", "putVente");
    body.AddTextField("description", W("Première ligne\r\nDeuxième ligne\r\n"));
    body.AddTextField("option8", "true");
    body.AddTextField("reference", "");
    body.AddTextField("categorie2", "1042");
    body.AddFileField("photo1", photo1, "multipart/form-data");
    body.AddFileField("photo3", photo3, "multipart/form-data");
    server.PushAnswer("Refus");
    EXPECT_EQ(PostToServer(body), "Refus");
    EXPECT_EQ(PostToServer(body), "OK");

    const std::string expected =
        wire::TextPart(kBoundary, "action", "putVente") +
        wire::TextPart(kBoundary, "description", W("Première ligne\r\nDeuxième ligne\r\n")) +
        wire::TextPart(kBoundary, "option8", "true") + wire::TextPart(kBoundary, "reference", "") +
        wire::TextPart(kBoundary, "categorie2", "1042") +
        wire::FilePart(kBoundary, "photo1", photo1, jpeg) +
        wire::FilePart(kBoundary, "photo3", photo3, "\r\n--" + kBoundary + "--\r\n") +
        wire::Closing(kBoundary);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0] == wire::Request(Host(), kBoundary, expected));
    EXPECT_TRUE(requests[1] == requests[0]);
}

TEST_F(PostToServerTest, SuccessfulAnswersGiveTheirBodyByteForByte) {
    const std::string binary("\x00\xe9\r\nOK\n\x80", 7);
    server.PushAnswer(binary);
    server.Push(
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
         "3\r\nabc\r\nA\r\n0123456789\r\n0\r\n\r\n"});
    server.Push({"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\nuntil the close\r\n"});
    server.Push(
        {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nOK\r\n"});
    server.Push({"HTTP/1.1 204 No Content\r\n\r\n"});
    server.Push({"HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 3\r\n\r\nxyz"});
    const char* expected[] = {nullptr, "abc0123456789", "until the close\r\n", "OK\r\n", "", "xyz"};
    for (const char* text : expected) {
        const Outcome outcome = PostGetOptions();
        EXPECT_TRUE(outcome.ok) << outcome.text;
        EXPECT_EQ(outcome.text, text ? std::string(text) : binary);
    }
}

TEST_F(PostToServerTest, ErrorStatusesAndRedirectionsFailWithTheSitesCode) {
    server.Push(
        {"HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1/ailleurs\r\nContent-Length: 0\r\n\r\n"});
    server.Push({"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"});
    server.Push({"HTTP/1.0 500 Internal Server Error\r\n\r\n<html>panne</html>"});
    server.Push({"HTTP/1.1 200 OK\r\nLocation: /autre.php\r\nContent-Length: 2\r\n\r\nOK"});
    server.Push({"HTTP/1.1 304 Not Modified\r\n\r\n"});
    server.Push(
        {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 403 Interdit\r\nContent-Length: 0\r\n\r\n"});
    server.Push({"HTTP/1.1 503\r\nContent-Length: 0\r\n\r\n"});
    for (const std::string& message :
         {W("Le site a répondu par une redirection (302 (Found)) au lieu de sa réponse."),
          W("Le site a répondu par l'erreur 404 (Not Found)."),
          W("Le site a répondu par l'erreur 500 (Internal Server Error)."),
          W("Le site a répondu par une redirection (200 (OK)) au lieu de sa réponse."),
          W("Le site a répondu par une redirection (304 (Not Modified)) au lieu de sa réponse."),
          W("Le site a répondu par l'erreur 403 (Interdit)."),
          W("Le site a répondu par l'erreur 503.")}) {
        const auto failure = GetOptionsFailure();
        ASSERT_TRUE(failure) << message;
        EXPECT_EQ(failure->what(), message);
        EXPECT_EQ(failure->Which(), offrel::PostFailure::Kind::Status);
    }
    EXPECT_EQ(server.Requests().size(), 7u);  // nothing followed the redirections
}

TEST_F(PostToServerTest, BrokenAnswersAreTransportFailuresToldInFrench) {
    server.Push({"", End::Reset});
    server.Push({"", End::Close});
    server.Push({"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nOK", End::Close});
    server.Push({"HTTP/1.1 200 OK\r\n\r\nhalf of the ", End::Reset});
    server.Push({"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nOK\r\n0\r\n\r\n"});
    server.Push({"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nOK"});
    server.Push({"garbage\r\n\r\nOK"});
    const std::string cut =
        W("La réponse du site n'a pas pu être reçue : la connexion a été coupée, ou la réponse est "
          "abîmée.");
    const std::string stopped = W("La réponse du site s'est arrêtée avant sa fin.");
    const std::string unreadable = W("La réponse du site n'est pas une réponse HTTP lisible.");
    for (const std::string& message : {cut, W("Le site a fermé la connexion sans répondre."),
                                       stopped, cut, cut, stopped, unreadable}) {
        const auto failure = GetOptionsFailure();
        ASSERT_TRUE(failure) << message;
        EXPECT_EQ(failure->what(), message);
        EXPECT_EQ(failure->Which(), offrel::PostFailure::Kind::Transport) << message;
    }
}

TEST(PostToServer, ASiteThatCannotBeReachedIsNoConnection) {
    const auto failureAt = [](const std::string& url) {
        ScopedServerUrl there(url);
        return GetOptionsFailure();
    };
    const auto refused =
        failureAt("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/offrel.php");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->what(), W("Le site ne répond pas : la connexion a été refusée ou n'a pas "
                                 "pu s'établir."));
    EXPECT_EQ(refused->Which(), offrel::PostFailure::Kind::NoConnection);
    const auto unknown = failureAt("http://site-inconnu.invalid/offrel.php");
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->what(),
              W("Le site « site-inconnu.invalid » est introuvable : l'ordinateur n'est pas "
                "connecté à Internet, ou l'adresse est inconnue."));
    EXPECT_EQ(unknown->Which(), offrel::PostFailure::Kind::NoConnection);
}

// A bounded answer is read up to its bound and one byte more, which says that it went on; the
// rest never comes in.
TEST_F(PostToServerTest, AnAnswerIsReadUpToTheLimitAsked) {
    server.PushAnswer(std::string(10 << 20, 'x'));
    server.PushAnswer("Refus");
    server.PushAnswer(std::string(16, 'y'));
    offrel::PostOptions options;
    options.answerLimit = 16;
    TMultipartBody body(kBoundary);
    body.AddTextField("action", "putVente");
    std::uint64_t received = 0;
    const auto progress = [&received](const offrel::TransferProgress& p) { received = p.received; };
    EXPECT_EQ(PostToServer(body, progress, options), std::string(17, 'x'));
    EXPECT_LT(received, 1u << 20);
    EXPECT_EQ(PostToServer(body, {}, options), "Refus");
    EXPECT_EQ(PostToServer(body, {}, options), std::string(16, 'y'));
}

// What must be known before the site can hold the whole request is told once, before the last
// bytes leave; an error there keeps the request from ever being whole.
TEST_F(PostToServerTest, TheBodysEndIsToldBeforeItsLastBytesGo) {
    offrel::testing::TempFolder dir;
    TMultipartBody body(kBoundary);
    body.AddTextField("action", "putVente");
    body.AddFileField("photo1", dir.Write("photo.jpg", std::string(3 << 20, 'p')),
                      "multipart/form-data");
    offrel::PostOptions options;
    int told = 0;
    std::size_t requestsWhenTold = 0;
    options.beforeBodyEnd = [&] {
        ++told;
        requestsWhenTold = server.Requests().size();
    };
    EXPECT_EQ(PostToServer(body, {}, options), "OK");
    EXPECT_EQ(told, 1);
    EXPECT_EQ(requestsWhenTold, 0u);  // the server had not read the whole request yet

    options.beforeBodyEnd = [] { throw offrel::Error("journal plein"); };
    try {
        PostToServer(body, {}, options);
        ADD_FAILURE() << "the request went on";
    } catch (const offrel::PostFailure&) {
        ADD_FAILURE() << "told as a failure of the transfer";
    } catch (const offrel::Error& error) {
        EXPECT_STREQ(error.what(), "journal plein");
    }
    for (int i = 0; i < 500 && server.Requests().size() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_LT(requests[1].size(), requests[0].size());
}

TEST_F(PostToServerTest, SiteThatStopsAnsweringFailsAfterTheStallTime) {
    ShortTimeouts timeouts;
    server.Push({"", End::Hang});
    server.Push({"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nOK", End::Hang});
    for (int i = 0; i < 2; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const Outcome outcome = PostGetOptions();
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.text, W("Le site ne répond pas (aucune réponse depuis 1 secondes)."));
        EXPECT_LT(waited, std::chrono::seconds(10));
    }
}

// Whether the site may have the request: only once the transfer took the whole body.
TEST_F(PostToServerTest, FailuresTellWhetherTheWholeBodyWasSent) {
    ShortTimeouts timeouts;
    const auto bodySent = [](TMultipartBody& body) -> std::optional<bool> {
        try {
            PostToServer(body);
        } catch (const offrel::PostFailure& failure) {
            return failure.BodySent();
        }
        return std::nullopt;
    };
    TMultipartBody small(kBoundary);
    small.AddTextField("action", "putVente");
    server.Push({"HTTP/1.1 500 Panne\r\nContent-Length: 0\r\n\r\n"});  // answered with an error
    EXPECT_EQ(bodySent(small), true);

    // Cut before the site read anything of a body far larger than the sockets hold.
    offrel::testing::TempFolder dir;
    TMultipartBody large(kBoundary);
    large.AddFileField("photo1", dir.Write("grande.jpg", std::string(32 << 20, 'p')),
                       "multipart/form-data");
    server.Push({"", End::Reset, false});
    EXPECT_EQ(bodySent(large), false);
    {
        ScopedServerUrl nowhere("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/offrel.php");
        EXPECT_EQ(bodySent(small), false);
    }

    server.Push({"", End::Hang});  // read whole, never answered (holds the server to its end)
    EXPECT_EQ(bodySent(small), true);
}

TEST(PostToServer, SiteThatNeverAcceptsFailsAfterTheConnectionTime) {
    // A listener whose queue is full and that never accepts drops further connection attempts.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::vector<int> fillers;
    for (int i = 0; i < 3; ++i) {
        fillers.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
        ::connect(fillers.back(), reinterpret_cast<sockaddr*>(&address), length);
    }
    ScopedServerUrl url("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) +
                        "/offrel.php");
    ShortTimeouts timeouts;
    const Outcome outcome = PostGetOptions();
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.text, W("Le site ne répond pas (aucune connexion en 1 secondes)."));
    for (int fd : fillers) ::close(fd);
    ::close(listener);
}

TEST(ServerUrl, ComesFromTheEnvironmentOrTheStandInSite) {
    {
        ScopedServerUrl url("http://brivax.example/offrel.php");
        const offrel::ServerAddress address = offrel::ServerUrl();
        EXPECT_EQ(address.host, "brivax.example");
        EXPECT_EQ(address.port, 80);
        EXPECT_EQ(address.path, "/offrel.php");
    }
    {
        ScopedServerUrl url("http://10.1.2.3:8080/site/offrel.php");
        const offrel::ServerAddress address = offrel::ServerUrl();
        EXPECT_EQ(address.host, "10.1.2.3");
        EXPECT_EQ(address.port, 8080);
        EXPECT_EQ(address.path, "/site/offrel.php");
    }
    {
        ScopedServerUrl url("https://brivax.example/offrel.php");
        const offrel::ServerAddress address = offrel::ServerUrl();
        EXPECT_TRUE(address.secure);
        EXPECT_EQ(address.host, "brivax.example");
        EXPECT_EQ(address.port, 443);
    }
    for (const char* bad : {"http://:80/p", "http://h:/p", "http://h:99999/p", "http://h:8x/p",
                            "ftp://h/p", "https:/h/p", "HTTPS://h/p", "h/p"}) {
        ScopedServerUrl url(bad);
        EXPECT_THROW(offrel::ServerUrl(), offrel::Error) << bad;
    }
    ::unsetenv("OFFREL_SERVER_URL");
    const offrel::ServerAddress standIn = offrel::ServerUrl();
    EXPECT_EQ(standIn.host, "127.0.0.1");
    EXPECT_EQ(standIn.port, 8642);
    EXPECT_EQ(standIn.path, "/offrel.php");
    EXPECT_FALSE(standIn.secure);
}

TEST(ServerUrl, ThePasswordTravelsInClearOnlyOverPlainHttpBeyondThisMachine) {
    const auto inClear = [](const char* url) {
        ScopedServerUrl there(url);
        return offrel::PasswordTravelsInClear(offrel::ServerUrl());
    };
    for (const char* local : {"http://127.0.0.1:8642/offrel.php", "http://localhost/offrel.php",
                              "http://[::1]:8642/offrel.php", "http://127.1.2.3/offrel.php",
                              "https://brivax.example/offrel.php"})
        EXPECT_FALSE(inClear(local)) << local;
    for (const char* far : {"http://brivax.example/offrel.php", "http://192.168.1.5/offrel.php",
                            "http://127.example/offrel.php", "http://localhost.example/p"})
        EXPECT_TRUE(inClear(far)) << far;
}
