#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <thread>

#include "SiteProcess.h"
#include "base/Windows1252.h"

namespace fs = std::filesystem;
using offrel::W;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0", 4) + std::string("\0\x10JFIF\0", 7) +
                          std::string(300, '\x5A') + "\xFF\xD9";

using Fields = std::vector<std::pair<std::string, std::optional<std::string>>>;

// An upload as the application builds it, with some fields changed or left out (nullopt).
Form Sale(const Fields& changes = {}, bool withPhoto = true) {
    Fields fields = {{"action", "putVente"},
                     {"login", "demo"},
                     {"password", "demo"},
                     {"libelle", W("Vélo de course")},
                     {"description", W("Cadre acier\r\nBon état")},
                     {"prix", "12.5"},
                     {"quantite", "1"},
                     {"renouvelable", "1"},
                     {"dureetypevente", "2"},
                     {"typevente", "1"},
                     {"option1", "true"},
                     {"option7", "true"},
                     {"reference", ""},
                     {"categorie2", "42545"}};
    for (const auto& [name, value] : changes) {
        auto it = std::find_if(fields.begin(), fields.end(),
                               [&](const auto& field) { return field.first == name; });
        if (it != fields.end())
            it->second = value;
        else
            fields.emplace_back(name, value);
    }
    Form form;
    for (const auto& [name, value] : fields)
        if (value) form.Text(name, *value);
    if (withPhoto) form.File("photo1", W("C:\\Photos\\vélo.jpg"), kJpeg);
    return form;
}

std::vector<std::string> SaleFolders(const fs::path& store) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(store))
        if (!entry.path().filename().string().starts_with("."))
            names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

class SiteTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "offrel-site-test-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        store_ = root_ / "store";
        site_.emplace(store_);
    }
    void TearDown() override {
        site_.reset();
        fs::remove_all(root_);
    }
    HttpAnswer Post(const Form& form) {
        return ParseAnswer(Exchange(site_->Port(), form.Request()));
    }
    HttpAnswer Raw(const std::string& request) {
        return ParseAnswer(Exchange(site_->Port(), request));
    }

    fs::path root_;
    fs::path store_;
    std::optional<SiteProcess> site_;
};

TEST_F(SiteTest, CatalogueAnswersAreTheFilesByteForByte) {
    for (auto [action, file] :
         {std::pair{"getOptions", "Options.csv"}, std::pair{"getCategories", "Categories.csv"}}) {
        std::string raw = Exchange(site_->Port(), Form().Text("action", action).Request());
        HttpAnswer answer = ParseAnswer(raw);
        std::string expected = ReadFile(fs::path(OFFREL_SITE_CATALOGUE) / file);
        EXPECT_EQ(answer.status, 200) << action;
        EXPECT_EQ(answer.body, expected) << action;  // complete, and the site closed after it
        EXPECT_NE(answer.headers.find("Content-Length: " + std::to_string(expected.size())),
                  std::string::npos);
    }
    // The shipped tree: several levels under French names in Windows-1252.
    std::string tree = ReadFile(fs::path(OFFREL_SITE_CATALOGUE) / "Categories.csv");
    EXPECT_NE(tree.find(W(";Électroménager\r\n")), std::string::npos);
    EXPECT_GT(std::count(tree.begin(), tree.end(), '\n'), 200);
}

TEST_F(SiteTest, AnotherCatalogueFolderIsServedInstead) {
    fs::create_directories(root_ / "cat");
    std::ofstream(root_ / "cat" / "Options.csv") << "1;0.20;0.10;Gras\n";
    std::ofstream(root_ / "cat" / "Categories.csv") << "77;0;0;0;Tout\n";
    SiteProcess other(root_ / "store2", {"--catalogue", (root_ / "cat").string()});
    EXPECT_EQ(
        ParseAnswer(Exchange(other.Port(), Form().Text("action", "getOptions").Request())).body,
        "1;0.20;0.10;Gras\n");
    Form sale = Sale({{"categorie2", "77"}});
    EXPECT_EQ(ParseAnswer(Exchange(other.Port(), sale.Request())).body, "OK");
    EXPECT_EQ(ParseAnswer(Exchange(other.Port(), Sale().Request())).body,
              W("La catégorie 42545 n'existe pas"));
}

// As a real site may, with a line end after its "OK"; the sale is stored all the same.
TEST_F(SiteTest, TheAcceptedAnswerCanBeWrittenAsARealSiteWritesIt) {
    SiteProcess other(root_ / "store2", {"--accepted-answer", "OK\\r\\n"});
    EXPECT_EQ(ParseAnswer(Exchange(other.Port(), Sale().Request())).body, "OK\r\n");
    EXPECT_EQ(SaleFolders(root_ / "store2"), std::vector<std::string>{"000001"});
}

TEST_F(SiteTest, AcceptedSaleKeepsEveryFieldAndPhotoByte) {
    Form form = Sale({}, false);
    std::string second = kJpeg + std::string(100000, '\x01');
    form.File("photo2", "C:\\a.jpg", kJpeg).File("photo5", "D:\\b \"c\".jpg", second);
    HttpAnswer answer = Post(form);
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body, "OK");
    ASSERT_EQ(SaleFolders(store_), std::vector<std::string>{"000001"});

    fs::path sale = store_ / "000001";
    auto record = nlohmann::json::parse(ReadFile(sale / "vente.json"));
    const auto& fields = record["fields"];
    EXPECT_EQ(fields["libelle"], "Vélo de course");  // Windows-1252 on the wire, UTF-8 here
    EXPECT_EQ(fields["description"], "Cadre acier\r\nBon état");
    EXPECT_EQ(fields["prix"], "12.5");
    EXPECT_EQ(fields["option7"], "true");
    EXPECT_EQ(fields["reference"], "");
    EXPECT_EQ(fields["categorie2"], "42545");
    EXPECT_FALSE(fields.contains("password"));
    ASSERT_EQ(record["photos"].size(), 2u);
    EXPECT_EQ(record["photos"][1]["part"], "photo5");
    EXPECT_EQ(record["photos"][1]["filename"], "D:\\b \"c\".jpg");
    EXPECT_EQ(record["photos"][1]["file"], "photo5.jpg");
    EXPECT_EQ(ReadFile(sale / "photo2.jpg"), kJpeg);
    EXPECT_EQ(ReadFile(sale / "photo5.jpg"), second);

    // The numbering goes on after a restart.
    site_.emplace(store_);
    EXPECT_EQ(Post(Sale()).body, "OK");
    EXPECT_EQ(SaleFolders(store_), (std::vector<std::string>{"000001", "000002"}));
    EXPECT_NE(
        site_->OutputOnceItHolds("putVente: OK, sale 000002").find("putVente: OK, sale 000002"),
        std::string::npos);
}

TEST_F(SiteTest, SalesArrivingTogetherGetTheirOwnNumbers) {
    std::vector<std::thread> senders;
    std::vector<std::string> answers(6);
    for (std::size_t i = 0; i < answers.size(); ++i)
        senders.emplace_back([&, i] {
            answers[i] = Post(Sale({{"reference", "R" + std::to_string(i)}})).body;
        });
    for (std::thread& sender : senders) sender.join();
    EXPECT_EQ(answers, std::vector<std::string>(6, "OK"));
    std::vector<std::string> folders = SaleFolders(store_);
    ASSERT_EQ(folders.size(), 6u);
    std::set<std::string> references;
    for (const std::string& folder : folders)
        references.insert(
            nlohmann::json::parse(ReadFile(store_ / folder / "vente.json"))["fields"]["reference"]);
    EXPECT_EQ(references.size(), 6u);
    EXPECT_EQ(folders.back(), "000006");
}

TEST_F(SiteTest, RefusalNamesTheFirstProblemAndStoresNothing) {
    const std::vector<std::pair<Fields, std::string>> cases = {
        {{{"password", "wrong"}}, "Identifiant ou mot de passe incorrect"},
        {{{"login", std::nullopt}}, "Identifiant ou mot de passe incorrect"},
        {{{"libelle", ""}, {"prix", "0"}}, "Le titre de la vente est vide"},
        {{{"description", std::nullopt}}, "La description de la vente est vide"},
        {{{"prix", "12,50"}}, "Le prix doit être supérieur à zéro et écrit avec un point"},
        {{{"prix", "0.00"}}, "Le prix doit être supérieur à zéro et écrit avec un point"},
        {{{"prix", "-3"}}, "Le prix doit être supérieur à zéro et écrit avec un point"},
        {{{"prix", "5."}}, "Le prix doit être supérieur à zéro et écrit avec un point"},
        {{{"quantite", "0"}}, "La quantité doit être un nombre entier supérieur ou égal à 1"},
        {{{"quantite", "-1"}}, "La quantité doit être un nombre entier supérieur ou égal à 1"},
        {{{"renouvelable", "oui"}}, "Le champ renouvelable doit valoir 0 ou 1"},
        {{{"dureetypevente", "4"}}, "La durée de la vente doit valoir 1, 2 ou 3 (3, 5 ou 7 jours)"},
        {{{"typevente", "0"}}, "Le type de vente doit valoir 1 (enchères) ou 2 (prix net)"},
        {{{"option1", "false"}}, "L'option option1 doit valoir true"},
        {{{"categorie2", std::nullopt}}, "La vente n'a aucune catégorie"},
        {{{"categorie2", "123"}}, "La catégorie 123 n'existe pas"},
        {{{"categorie3", "x"}}, "La catégorie x n'existe pas"},
        {{{"action", "vendre"}}, "Action inconnue : vendre"},
        {{{"action", std::nullopt}}, "Aucune action n'est demandée"},
        {{{"libelle", "deux"}, {"libelle2", "x"}}, ""},  // an unknown field is only stored
    };
    int accepted = 0;
    for (const auto& [changes, refusal] : cases) {
        HttpAnswer answer = Post(Sale(changes));
        EXPECT_EQ(answer.status, 200);
        EXPECT_EQ(answer.body, refusal.empty() ? "OK" : W(refusal)) << refusal;
        accepted += refusal.empty();
    }
    EXPECT_EQ(Post(Sale({}, false)).body, W("La vente n'a aucune photo"));
    Form notJpeg = Sale();
    notJpeg.File("photo2", "C:\\x.png", "\x89PNG\r\n");
    EXPECT_EQ(Post(notJpeg).body, W("La photo photo2 n'est pas une image JPEG"));
    Form twice = Sale();
    twice.File("photo1", "C:\\y.jpg", kJpeg);
    EXPECT_EQ(Post(twice).body, W("Le champ photo1 est envoyé plusieurs fois"));

    Form crowded = Sale();
    for (int i = 0; i < 100; ++i) crowded.Text("extra" + std::to_string(i), "x");
    EXPECT_EQ(Post(crowded).body, W("Le formulaire contient trop de champs"));

    EXPECT_EQ(SaleFolders(store_).size(), static_cast<std::size_t>(accepted));
    EXPECT_EQ(std::distance(fs::directory_iterator(store_), fs::directory_iterator()), accepted);
}

TEST_F(SiteTest, BrowserLikeUploadWithCurl) {
    std::ofstream(root_ / "photo.jpg", std::ios::binary) << kJpeg;
    std::string url = "http://127.0.0.1:" + std::to_string(site_->Port()) + "/offrel.php";
    std::string command = "curl -s -o '" + (root_ / "answer").string() + "'";
    for (const char* field : {"action=putVente", "login=demo", "password=demo", "libelle=Lampe",
                              "description=Lampe de bureau", "prix=8", "quantite=2",
                              "dureetypevente=3", "typevente=2", "categorie1=42545"})
        command += std::string(" -F '") + field + "'";
    command += " -F 'photo1=@" + (root_ / "photo.jpg").string() + ";type=image/jpeg' " + url;
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadFile(root_ / "answer"), "OK");
    auto record = nlohmann::json::parse(ReadFile(store_ / "000001" / "vente.json"));
    EXPECT_EQ(record["fields"]["quantite"], "2");
    EXPECT_EQ(record["photos"][0]["filename"], "photo.jpg");
    EXPECT_EQ(ReadFile(store_ / "000001" / "photo1.jpg"), kJpeg);
}

TEST_F(SiteTest, MalformedRequestsGet400AndTheSiteGoesOn) {
    const std::string body = Form().Text("action", "getOptions").Body();
    auto request = [](const std::string& head, const std::string& content) {
        return head + "Content-Length: " + std::to_string(content.size()) + "\r\n\r\n" + content;
    };
    const std::string multipart =
        std::string("Content-Type: multipart/form-data; boundary=") + Form::kBoundary + "\r\n";
    EXPECT_EQ(Raw("\x01\x02garbage\r\n\r\n").status, 400);
    EXPECT_EQ(Raw(request("GET /offrel.php HTTP/1.0\r\n", "")).status, 400);
    EXPECT_EQ(Raw(request("POST /autre.php HTTP/1.0\r\n" + multipart, body)).status, 400);
    HttpAnswer plain = Raw(
        request("POST /offrel.php HTTP/1.0\r\nContent-Type: text/plain\r\n", "action=getOptions"));
    EXPECT_EQ(plain.status, 400);
    EXPECT_EQ(plain.body,
              W("Requête incorrecte : le corps n'est pas un formulaire multipart/form-data"));
    // cut before its closing line, or with no part header at all
    EXPECT_EQ(
        Raw(request("POST /offrel.php HTTP/1.0\r\n" + multipart, body.substr(0, body.size() - 10)))
            .status,
        400);
    EXPECT_EQ(Raw(request("POST /offrel.php HTTP/1.0\r\n" + multipart,
                          std::string("--") + Form::kBoundary + "\r\n\r\nvalue\r\n"))
                  .status,
              400);
    EXPECT_EQ(Raw("POST /offrel.php HTTP/1.0\r\n" + multipart + "\r\n" + body).status, 400);
    EXPECT_EQ(Raw("POST /offrel.php HTTP/1.0\r\n" + multipart + "Content-Length: 600000000\r\n\r\n")
                  .status,
              413);

    // A 50 MB text field is refused without being kept; a 50 MB photo is stored whole.
    EXPECT_EQ(Post(Sale({{"description", std::string(50 << 20, 'x')}})).body,
              W("Le champ description est trop long (1 Mo au plus)"));
    Form big = Sale({}, false);
    big.File("photo1", "C:\\grand.jpg", kJpeg + std::string(50 << 20, '\x7F'));
    EXPECT_EQ(Post(big).body, "OK");
    EXPECT_EQ(fs::file_size(store_ / "000001" / "photo1.jpg"), kJpeg.size() + (50 << 20));

    EXPECT_TRUE(site_->Running());
    EXPECT_EQ(Post(Form().Text("action", "getOptions")).status, 200);
}

TEST_F(SiteTest, ThrottledSiteTakesItsTimeAndKeepsEveryByte) {
    SiteProcess slow(root_ / "slow-store", {"--throttle", "128"});  // 131,072 bytes a second
    const auto timed = [&slow](const Form& form, double& seconds) {
        const auto start = std::chrono::steady_clock::now();
        HttpAnswer answer = ParseAnswer(Exchange(slow.Port(), form.Request()));
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return answer;
    };
    // An answer of 11,320 bytes is written in no less than 86 ms.
    double seconds = 0;
    const std::string categories = ReadFile(fs::path(OFFREL_SITE_CATALOGUE) / "Categories.csv");
    EXPECT_EQ(timed(Form().Text("action", "getCategories"), seconds).body, categories);
    EXPECT_GE(seconds, 0.9 * static_cast<double>(categories.size()) / 131072);

    // A photo of 160 KB is read in no less than 1.25 s.
    const std::string photo = kJpeg + std::string(160 << 10, '\x33');
    EXPECT_EQ(timed(Sale({}, false).File("photo1", "C:\\p.jpg", photo), seconds).body, "OK");
    EXPECT_GE(seconds, 1.0);
    EXPECT_EQ(ReadFile(root_ / "slow-store" / "000001" / "photo1.jpg"), photo);
}

TEST_F(SiteTest, ARequestCannotWriteLinesOfItsOwnInTheLog) {
    EXPECT_EQ(Post(Form().Text("action", "vendre\nputVente: OK, sale 999999\r")).body,
              W("Action inconnue : vendre\nputVente: OK, sale 999999\r"));
    EXPECT_EQ(Post(Form().Text("action", "getOptions")).status, 200);  // the next line is its own
    site_->Terminate(SIGTERM);                                         // all its output read
    const std::string output = site_->Output();
    EXPECT_EQ(output.find("\nputVente: OK, sale 999999"), std::string::npos) << output;
    EXPECT_NE(output.find("\nvendre\\x0AputVente: OK, sale 999999\\x0D: refused, Action inconnue : "
                          "vendre\\x0AputVente: OK, sale 999999\\x0D\ngetOptions: "),
              std::string::npos)
        << output;
}

TEST_F(SiteTest, StopsWithExitZeroOnSigtermAndSigint) {
    int status = site_->Terminate(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    site_.emplace(store_);
    status = site_->Terminate(SIGINT);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SiteTest, KilledSiteNeverLeavesHalfASale) {
    EXPECT_EQ(Post(Sale()).body, "OK");
    // A sale whose photo is still arriving when the site is killed.
    std::string request =
        Sale({}, false).File("photo1", "C:\\p.jpg", kJpeg + std::string(4 << 20, 'p')).Request();
    std::thread sender([&] {
        try {
            Exchange(site_->Port(), request.substr(0, request.size() - (1 << 20)));
        } catch (const std::exception&) {
        }
    });
    bool receiving = false;
    for (int i = 0; i < 3000 && !receiving; ++i) {
        for (const auto& entry : fs::directory_iterator(store_))
            receiving |= entry.path().filename().string().starts_with(".incoming-") &&
                         fs::exists(entry.path() / "photo1.jpg");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(receiving);
    site_->Terminate(SIGKILL);
    sender.join();
    EXPECT_EQ(SaleFolders(store_), std::vector<std::string>{"000001"});

    site_.emplace(store_);  // the leftover is cleared and numbering goes on
    EXPECT_EQ(Post(Sale()).body, "OK");
    EXPECT_EQ(SaleFolders(store_), (std::vector<std::string>{"000001", "000002"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(store_), fs::directory_iterator()), 2);
}

}  // namespace
