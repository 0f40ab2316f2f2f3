#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/Conversions.h"
#include "base/Error.h"
#include "tables/cds/TableFileDump.h"
#include "tests/common/DecimalSeparator.h"

namespace offrel {
namespace {

namespace fs = std::filesystem;

const std::string kExample = std::string(OFFREL_TABLES_TEST_DATA) + "/one-option.cds";

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Cds, PrintsColumnsVersionsAndTheLog) {
    const testing::DecimalSeparatorSet point('.');
    std::ostringstream text;
    PrintTable(ReadTableFile(kExample), text);
    EXPECT_EQ(text.str(),
              "Colonnes : 4\n"
              "  ID Integer\n"
              "  Libelle String(100)\n"
              "  Prix Currency\n"
              "  PrixBoutique Currency\n"
              "Versions : 1, dont 1 lignes vivantes\n"
              "  #1 statut 4 (insérée)\n"
              "    ID = 1\n"
              "    Libelle = \"abc\"\n"
              "    Prix = 0.5\n"
              "    PrixBoutique = (vide)\n"
              "Journal : 1 entrées\n"
              "  (1, 0, 4)\n");

    std::ostringstream json;
    PrintTableJson(ReadTableFile(kExample), json);
    EXPECT_EQ(json.str(),
              "{\n"
              "  \"columns\": [\n"
              "    {\"name\": \"ID\", \"type\": \"Integer\", \"size\": 0},\n"
              "    {\"name\": \"Libelle\", \"type\": \"String(100)\", \"size\": 100},\n"
              "    {\"name\": \"Prix\", \"type\": \"Currency\", \"size\": 0},\n"
              "    {\"name\": \"PrixBoutique\", \"type\": \"Currency\", \"size\": 0}\n"
              "  ],\n"
              "  \"rows\": [\n"
              "    {\"record\": 1, \"status\": 4, \"live\": true, \"values\": {\"ID\": 1, "
              "\"Libelle\": \"abc\", \"Prix\": 0.5, \"PrixBoutique\": null}}\n"
              "  ],\n"
              "  \"changeLog\": [\n"
              "    [1, 0, 4]\n"
              "  ]\n"
              "}\n");
}

TEST(Cds, TextsComeOutInUtf8AndEscapedInJson) {
    std::string packet = Contents(kExample);
    packet.replace(177, 3, "\xE9\"\n");  // Libelle: é, a quote, a line feed
    const fs::path file = fs::temp_directory_path() / "offrel-cds-accent.cds";
    std::ofstream(file, std::ios::binary) << packet;
    std::ostringstream json;
    PrintTableJson(ReadTableFile(file.string()), json);
    EXPECT_NE(json.str().find("\"Libelle\": \"\xC3\xA9\\\"\\u000a\""), std::string::npos)
        << json.str();
    fs::remove(file);
}

TEST(Cds, CopiesAFileByteForByteAndFailsOnADamagedOne) {
    const fs::path copy = fs::temp_directory_path() / "offrel-cds-copy.cds";
    CopyTableFile(kExample, copy.string());
    EXPECT_EQ(Contents(copy), Contents(kExample));

    std::ofstream(copy, std::ios::binary) << Contents(kExample).substr(0, 100);
    EXPECT_THROW(ReadTableFile(copy.string()), Error);
    fs::remove(copy);
}

TEST(Cds, TheCommandExitsWithTheReadersMessageOnADamagedFile) {
    const fs::path cut = fs::temp_directory_path() / "offrel-cds-cut.cds";
    const fs::path output = fs::temp_directory_path() / "offrel-cds-cut.txt";
    std::ofstream(cut, std::ios::binary) << Contents(kExample).substr(0, 100);
    const std::string command =
        std::string(OFFREL_CDS) + " " + cut.string() + " 2>" + output.string();
    EXPECT_NE(std::system(command.c_str()), 0);
    EXPECT_EQ(Contents(output), "Le paquet de données est tronqué ou incohérent.\n");
    EXPECT_EQ(std::system((std::string(OFFREL_CDS) + " " + kExample + " >/dev/null").c_str()), 0);
    fs::remove(cut);
    fs::remove(output);
}

}  // namespace
}  // namespace offrel
