// The stand-in site under load and abuse: 10,000 requests from 8 clients at once, catalogue and
// sales mixed with malformed bodies, oversized fields and connections cut in the middle.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "SiteProcess.h"
#include "base/Windows1252.h"

namespace fs = std::filesystem;
using offrel::W;

namespace {

constexpr int kClients = 8;
constexpr int kRequestsPerClient = 1250;
#if defined(__SANITIZE_ADDRESS__)
constexpr long kMemoryBoundKiB = 1024 * 1024;  // the sanitizer keeps freed memory for a while
#else
constexpr long kMemoryBoundKiB = 128 * 1024;
#endif

const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0", 4) + std::string(2000, '\x33');

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Form Sale(const std::string& reference, const std::string& password = "demo") {
    Form form;
    form.Text("action", "putVente")
        .Text("login", "demo")
        .Text("password", password)
        .Text("libelle", W("Vélo"))
        .Text("description", "Cadre acier")
        .Text("prix", "12.5")
        .Text("quantite", "1")
        .Text("renouvelable", "0")
        .Text("dureetypevente", "1")
        .Text("typevente", "1")
        .Text("reference", reference)
        .Text("categorie1", "42545")
        .File("photo1", "C:\\velo.jpg", kJpeg);
    return form;
}

// Sends the first half of the request and closes: the site must drop what it received.
void SendHalfAndClose(int port, const std::string& request) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        ::send(fd, request.data(), request.size() / 2, MSG_NOSIGNAL);
    ::close(fd);
}

long PeakMemoryKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:")) return std::stol(line.substr(6));
    return -1;
}

class SiteLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The store in memory where the system has it: the site's syncs are not what is measured.
        const fs::path base =
            fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "offrel-site-load-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        site_.emplace(root_ / "store");
    }
    void TearDown() override {
        site_.reset();
        fs::remove_all(root_);
    }

    fs::path root_;
    std::optional<SiteProcess> site_;
};

TEST_F(SiteLoadTest, TenThousandRequestsFromEightClientsAmongAbuse) {
    const int port = site_->Port();
    const fs::path catalogue(OFFREL_SITE_CATALOGUE);
    const std::string options = ReadFile(catalogue / "Options.csv");
    const std::string categories = ReadFile(catalogue / "Categories.csv");
    const std::string notMultipart =
        "POST /offrel.php HTTP/1.0\r\nContent-Type: text/plain\r\nContent-Length: 6\r\n\r\naction";
    const std::string oversized =
        Form(Sale("trop-long")).Text("commentaire", std::string((1 << 20) + 1, 'x')).Request();

    std::atomic<int> wrong{0};
    std::mutex mutex;
    std::map<std::string, int> accepted;  // reference -> "OK" answers
    std::string firstWrong;
    const auto check = [&](bool right, const std::string& what) {
        if (right) return;
        std::lock_guard lock(mutex);
        if (wrong++ == 0) firstWrong = what;
    };
    const auto client = [&](int number) {
        for (int i = 0; i < kRequestsPerClient; ++i) {
            const std::string reference = std::to_string(number) + "-" + std::to_string(i);
            switch (i % 10) {
                case 0:
                case 1: {
                    const HttpAnswer answer =
                        ParseAnswer(Exchange(port, Form().Text("action", "getOptions").Request()));
                    check(answer.status == 200 && answer.body == options, "getOptions");
                    break;
                }
                case 2: {
                    const HttpAnswer answer = ParseAnswer(
                        Exchange(port, Form().Text("action", "getCategories").Request()));
                    check(answer.status == 200 && answer.body == categories, "getCategories");
                    break;
                }
                case 3:
                case 4:
                case 5: {
                    const HttpAnswer answer =
                        ParseAnswer(Exchange(port, Sale(reference).Request()));
                    check(answer.status == 200 && answer.body == "OK", "putVente " + reference);
                    std::lock_guard lock(mutex);
                    ++accepted[reference];
                    break;
                }
                case 6: {
                    const HttpAnswer answer =
                        ParseAnswer(Exchange(port, Sale(reference, "faux").Request()));
                    check(answer.body == W("Identifiant ou mot de passe incorrect"), "refusal");
                    break;
                }
                case 7: {
                    // Whole requests that are wrong: not a form, or a form without its end.
                    const std::string body = Sale(reference).Body();
                    const std::string cut = body.substr(0, body.size() - 10);
                    const std::string request =
                        i % 20 == 7 ? notMultipart
                                    : "POST /offrel.php HTTP/1.0\r\nContent-Type: "
                                      "multipart/form-data; boundary=" +
                                          std::string(Form::kBoundary) +
                                          "\r\nContent-Length: " + std::to_string(cut.size()) +
                                          "\r\n\r\n" + cut;
                    check(ParseAnswer(Exchange(port, request)).status == 400, "malformed");
                    break;
                }
                case 8: {
                    if (i % 50 != 8) {
                        check(ParseAnswer(Exchange(port, Form().Request())).status == 400,
                              "empty form");
                        break;
                    }
                    const HttpAnswer answer = ParseAnswer(Exchange(port, oversized));
                    check(answer.body == W("Le champ commentaire est trop long (1 Mo au plus)"),
                          "oversized");
                    break;
                }
                default:
                    SendHalfAndClose(port, Sale(reference).Request());
                    break;
            }
        }
    };

    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> clients;
    for (int number = 0; number < kClients; ++number) clients.emplace_back(client, number);
    for (std::thread& thread : clients) thread.join();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "offrel-site under load: %d requests from %d clients in %.2f s, %.0f requests "
        "per second\n",
        kClients * kRequestsPerClient, kClients, seconds, kClients * kRequestsPerClient / seconds);

    EXPECT_EQ(wrong, 0) << "first wrong answer: " << firstWrong;
    ASSERT_TRUE(site_->Running());
    EXPECT_EQ(ParseAnswer(Exchange(port, Form().Text("action", "getOptions").Request())).body,
              options);
    const long peak = PeakMemoryKiB(site_->Pid());
    std::printf("offrel-site peak memory: %ld KiB\n", peak);
    EXPECT_GT(peak, 0);
    EXPECT_LT(peak, kMemoryBoundKiB);

    // Every accepted sale stored once, nothing else, and no half-received sale left behind once
    // the site has seen the last connections close.
    const auto hidden = [&] {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(root_ / "store"))
            count += entry.path().filename().string().starts_with(".");
        return count;
    };
    for (int i = 0; i < 3000 && hidden() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::map<std::string, int> stored;
    for (const auto& entry : fs::directory_iterator(root_ / "store")) {
        if (entry.path().filename().string().starts_with(".")) continue;
        const auto record = nlohmann::json::parse(ReadFile(entry.path() / "vente.json"));
        ++stored[record["fields"]["reference"].get<std::string>()];
    }
    EXPECT_EQ(hidden(), 0);
    EXPECT_EQ(stored.size(), accepted.size());
    EXPECT_EQ(stored, accepted);
}

}  // namespace
