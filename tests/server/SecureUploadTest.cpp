// The upload over https to the stand-in site, with certificates of authorities that the test
// makes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>

#include "SiteProcess.h"
#include "base/Windows1252.h"
#include "server/PostToServer.h"
#include "tables/Rows.h"
#include "tests/server/UploadFixture.h"

namespace fs = std::filesystem;
using offrel::W;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Sets an environment variable for a scope, and puts back what it held.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* previous = std::getenv(name)) previous_ = previous;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~ScopedVariable() {
        if (previous_)
            ::setenv(name_, previous_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> previous_;
};

// Authorities and site certificates made with the openssl command line, once for the suite.
class Certificates {
public:
    explicit Certificates(const fs::path& folder) : folder_(folder) {}

    fs::path Authority(const std::string& name) {
        Run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"
            " -subj '/CN=" +
            name + "' -keyout " + Key(name) + " -out " + Pem(name));
        return Pem(name);
    }

    // A certificate for the host names and addresses (subjectAltName), signed by the authority.
    void Site(const std::string& name, const std::string& authority, const std::string& names) {
        std::ofstream(folder_ / (name + ".ext")) << "subjectAltName=" << names << "\n";
        Run("openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -subj '/CN=" +
            name + "' -keyout " + Key(name) + " -out " + Path(name + ".csr"));
        Run("openssl x509 -req -days 2 -in " + Path(name + ".csr") + " -CA " + Pem(authority) +
            " -CAkey " + Key(authority) + " -CAcreateserial -extfile " + Path(name + ".ext") +
            " -out " + Pem(name));
    }

    std::string Pem(const std::string& name) const { return Path(name + ".pem"); }
    std::string Key(const std::string& name) const { return Path(name + ".key"); }

private:
    std::string Path(const std::string& file) const { return (folder_ / file).string(); }
    static void Run(const std::string& command) {
        if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
            throw std::runtime_error("failed: " + command);
    }

    fs::path folder_;
};

class SecureUploadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new offrel::testing::TempFolder;
        Certificates made(folder_->Path());
        ours_ = made.Authority("offrel-test").string();
        made.Authority("Autre");
        made.Site("site", "offrel-test", "IP:127.0.0.1,DNS:localhost");
        made.Site("etranger", "Autre", "IP:127.0.0.1,DNS:localhost");
        made.Site("autrenom", "offrel-test", "DNS:autre.example");
        certificates_ = new Certificates(made);
    }
    static void TearDownTestSuite() {
        delete certificates_;
        delete folder_;
    }

    SecureUploadTest() {
        tables.cdsVente.Open();
        tables.cdsVente.SetFileName((dir.Path() / "Ventes.cds").string());
    }

    // A sale that the stand-in site accepts.
    void AddSale(const std::string& libelle, const std::string& photo) {
        offrel::Sale sale;
        sale.libelle = libelle;
        sale.description = W("Très bon état");
        sale.prix = offrel::Money::FromTicks(125000);
        sale.quantite = 1;
        sale.renouvelable = true;
        sale.dureeTypeVente = offrel::Duration::SevenDays;
        sale.typeVente = offrel::SaleType::Auction;
        sale.categorie[0] = 42545;
        sale.photo[0] = photo;
        tables.cdsVente.Append();
        offrel::WriteSale(tables.cdsVente, sale);
        tables.cdsVente.Post();
    }

    // The stand-in site over TLS with the certificate of that name.
    std::unique_ptr<SiteProcess> Site(const std::string& certificate) {
        auto site = std::make_unique<SiteProcess>(
            dir.Path() / "store",
            std::vector<std::string>{"--catalogue", OFFREL_SITE_CATALOGUE, "--login", "vendeur",
                                     "--password", "secret", "--tls-cert",
                                     certificates_->Pem(certificate), "--tls-key",
                                     certificates_->Key(certificate)});
        url_.emplace("https://127.0.0.1:" + std::to_string(site->Port()) + "/offrel.php");
        return site;
    }

    // The failure's text of a catalogue request.
    static std::string Failure() {
        offrel::TMultipartBody body;
        body.AddTextField("action", "getOptions");
        try {
            offrel::PostToServer(body);
        } catch (const offrel::PostFailure& failure) {
            EXPECT_FALSE(failure.BodySent());
            return offrel::Windows1252ToUtf8(failure.what());
        }
        return "";
    }

    static offrel::testing::TempFolder* folder_;
    static Certificates* certificates_;
    static std::string ours_;

    offrel::testing::TempFolder dir;
    offrel::ApplicationTables tables;
    RecordingUploadView view;
    std::optional<ScopedServerUrl> url_;
};

offrel::testing::TempFolder* SecureUploadTest::folder_ = nullptr;
Certificates* SecureUploadTest::certificates_ = nullptr;
std::string SecureUploadTest::ours_;

TEST_F(SecureUploadTest, SalesGoToASiteOfAnAuthorityNamedBesideTheSystems) {
    ScopedVariable authority("OFFREL_CA_FILE", ours_);
    const auto site = Site("site");
    const std::string photo = std::string("\xff\xd8\xff\xe0", 4) + "photo\r\n--\xff\xd9";
    AddSale(W("Vélo"), dir.Write("velo.jpg", photo));
    AddSale(W("Lampe"), dir.Write("lampe.jpg", std::string("\xff\xd8\xff\xd9", 4)));
    offrel::RunSalesUpload(tables.cdsVente, tables.cdsCategorie, "vendeur", "secret", view);
    EXPECT_THAT(view.messages, ElementsAre(W("L'envoi de vos ventes est réussi !")));
    EXPECT_TRUE(view.errors.empty());
    EXPECT_EQ(tables.cdsVente.RecordCount(), 0);
    // The site read the parts as over plain http: both sales stored, the photo byte for byte.
    std::string records;
    int photos = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path() / "store")) {
        if (entry.path().filename() == "vente.json") records += ReadAll(entry.path());
        if (entry.is_regular_file() && ReadAll(entry.path()) == photo) ++photos;
    }
    EXPECT_THAT(records, HasSubstr("Vélo"));
    EXPECT_THAT(records, HasSubstr("Lampe"));
    EXPECT_EQ(photos, 1);
}

TEST_F(SecureUploadTest, ASiteOfAnotherAuthorityIsRefusedWithItsReason) {
    const std::string unknown =
        "La connexion sécurisée au site est refusée : le certificat du site n'est pas signé par "
        "une autorité que cet ordinateur reconnaît.";
    {
        ScopedVariable authority("OFFREL_CA_FILE", ours_);
        const auto site = Site("etranger");
        EXPECT_EQ(Failure(), unknown);
    }
    // Without the extra authority only the system's are trusted, which do not know ours.
    ScopedVariable none("OFFREL_CA_FILE", std::nullopt);
    const auto site = Site("site");
    EXPECT_EQ(Failure(), unknown);

    // In the upload, the reason reaches the seller and the sale stays.
    AddSale(W("Lampe"), dir.Write("lampe.jpg", std::string("\xff\xd8\xff\xd9", 4)));
    offrel::RunSalesUpload(tables.cdsVente, tables.cdsCategorie, "vendeur", "secret", view);
    EXPECT_EQ(tables.cdsVente.RecordCount(), 1);
    std::string told;
    for (const auto& text : view.messages) told += text;
    for (const auto& text : view.errors) told += text;
    EXPECT_THAT(offrel::Windows1252ToUtf8(told), HasSubstr(unknown.substr(0, 60)));
}

TEST_F(SecureUploadTest, ACertificateForAnotherHostIsRefused) {
    ScopedVariable authority("OFFREL_CA_FILE", ours_);
    const auto site = Site("autrenom");
    EXPECT_EQ(Failure(),
              "La connexion sécurisée au site est refusée : le certificat du site n'est pas celui "
              "de « 127.0.0.1 ».");
}

TEST_F(SecureUploadTest, AnAuthorityFileThatCannotBeReadIsSaid) {
    ScopedVariable authority("OFFREL_CA_FILE", (dir.Path() / "absent.pem").string());
    const auto site = Site("site");
    EXPECT_THAT(Failure(), HasSubstr("absent.pem"));
}

}  // namespace
