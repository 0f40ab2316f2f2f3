#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "tables/CsvFile.h"
#include "tests/common/TempFolder.h"

using offrel::InOutError;
using offrel::TCSV_File;
using offrel::W;

namespace {

using Lines = std::vector<std::vector<std::string>>;

// Every line of the file, each as its fields, read in the callers' order.
Lines ReadAll(const std::string& path) {
    TCSV_File reader;
    EXPECT_FALSE(reader.OpenFile(path));
    Lines lines;
    while (!reader.EndOfFile()) {
        const int count = reader.ReadLine();
        std::vector<std::string> fields;
        for (int i = 0; i < count; ++i) fields.push_back(reader.GetField(i));
        lines.push_back(fields);
    }
    reader.CloseFile();
    return lines;
}

// The reader's rules stated plainly: the text ends at the first Ctrl+Z, lines end at line feeds,
// carriage returns are dropped, fields are split on ";" and an empty last field is no field.
Lines Reference(const std::string& bytes) {
    const std::string text = bytes.substr(0, bytes.find('\x1A'));
    Lines lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t feed = text.find('\n', start);
        if (feed == std::string::npos) feed = text.size();
        std::string line;
        for (std::size_t k = start; k < feed; ++k)
            if (text[k] != '\r') line += text[k];
        std::vector<std::string> fields;
        for (std::size_t from = 0;;) {
            const std::size_t separator = line.find(';', from);
            fields.push_back(line.substr(from, separator - from));
            if (separator == std::string::npos) break;
            from = separator + 1;
        }
        if (fields.back().empty()) fields.pop_back();
        lines.push_back(fields);
        start = feed + 1;
    }
    return lines;
}

class CsvFile : public ::testing::Test {
protected:
    Lines Read(const std::string& bytes) { return ReadAll(folder_.Write("f.csv", bytes)); }
    offrel::testing::TempFolder folder_;
};

}  // namespace

TEST_F(CsvFile, SplitsOnEverySemicolonWithoutATrailingEmptyField) {
    EXPECT_EQ(Read("\nabc\na;b;c\na;;c\n;a\na;\na;;\n;\n;;\n"), (Lines{{},
                                                                       {"abc"},
                                                                       {"a", "b", "c"},
                                                                       {"a", "", "c"},
                                                                       {"", "a"},
                                                                       {"a"},
                                                                       {"a", ""},
                                                                       {""},
                                                                       {"", ""}}));
    // Blanks and double quotes are ordinary characters.
    EXPECT_EQ(Read("  \n \"a;b\" ; c\n"), (Lines{{"  "}, {" \"a", "b\" ", " c"}}));
}

TEST_F(CsvFile, LinesEndAtLineFeedsCarriageReturnPairsAndTheEndOfTheFile) {
    EXPECT_EQ(Read(""), Lines{});
    EXPECT_EQ(Read("1;2"), (Lines{{"1", "2"}}));
    EXPECT_EQ(Read("1;2\n"), (Lines{{"1", "2"}}));
    EXPECT_EQ(Read("1;2\r\n\r\n"), (Lines{{"1", "2"}, {}}));
    EXPECT_EQ(Read("a\n\nb\n\n"), (Lines{{"a"}, {}, {"b"}, {}}));
    // A lone carriage return is dropped and the line goes on.
    EXPECT_EQ(Read("ab\rc;d\n"), (Lines{{"abc", "d"}}));
    EXPECT_EQ(Read("x\r"), (Lines{{"x"}}));
    EXPECT_EQ(Read("\r\r\n"), (Lines{{}}));
    // Bytes are characters: no byte-order mark and no encoding is recognised.
    EXPECT_EQ(Read("\xEF\xBB\xBF"
                   "1;caf\xC3\xA9\n\xE9t\xE9"),
              (Lines{{"\xEF\xBB\xBF"
                      "1",
                      "caf\xC3\xA9"},
                     {"\xE9t\xE9"}}));
    EXPECT_EQ(Read(std::string("a\0b;c", 5)), (Lines{{std::string("a\0b", 3), "c"}}));
}

TEST_F(CsvFile, CtrlZEndsTheText) {
    EXPECT_EQ(Read("1;2\n3;4\n\x1A"
                   "5;6\n"),
              (Lines{{"1", "2"}, {"3", "4"}}));
    EXPECT_EQ(Read("ab\x1A"
                   "cd\nef\n"),
              (Lines{{"ab"}}));
    EXPECT_EQ(Read("\x1A"
                   "abc"),
              Lines{});
    EXPECT_EQ(Read("a\r\x1A"), (Lines{{"a"}}));
}

TEST_F(CsvFile, GetFieldPastTheLastFieldIsEmpty) {
    TCSV_File reader;
    ASSERT_FALSE(reader.OpenFile(folder_.Write("f.csv", "a;b;c\n")));
    ASSERT_EQ(reader.ReadLine(), 3);
    EXPECT_EQ(reader.GetField(2), "c");
    EXPECT_EQ(reader.GetField(3), "");
    EXPECT_EQ(reader.GetField(5), "");
    EXPECT_TRUE(reader.EndOfFile());
    // At the end a line has no field.
    EXPECT_EQ(reader.ReadLine(), 0);
    EXPECT_EQ(reader.GetField(0), "");
    reader.CloseFile();
}

TEST_F(CsvFile, RandomTextsSplitAsThePlainRulesSay) {
    // Few kinds of bytes, so that separators, stops, control characters of the text (tab, 0x01,
    // 0x1B) and accented letters fall in every place of the reader's blocks.
    const std::string alphabet = std::string(";;;;\n\n\r\t\x01\x1B") + "ab" + offrel::W("é");
    std::mt19937 random(20261209);
    for (int round = 0; round < 400; ++round) {
        const std::size_t size = round == 0 ? (1u << 20) + 4096 : random() % 700;
        std::string bytes;
        for (std::size_t k = 0; k < size; ++k) bytes += alphabet[random() % alphabet.size()];
        if (round % 50 == 7) bytes.insert(random() % (bytes.size() + 1), "\x1A;;\n");
        ASSERT_EQ(Read(bytes), Reference(bytes)) << "round " << round;
    }
}

TEST_F(CsvFile, LinesLongerThanTheBufferAndManyLinesAcrossIt) {
    const std::string longField(3 << 20, 'x');
    std::string bytes = longField + ";y\r\n";
    for (int i = 0; i < 200000; ++i) bytes += std::to_string(i) + ";a\r\n";
    const Lines lines = Read(bytes + longField);
    ASSERT_EQ(lines.size(), 200002u);
    EXPECT_EQ(lines.front(), (std::vector<std::string>{longField, "y"}));
    for (int i = 0; i < 200000; ++i) {
        ASSERT_EQ(lines[i + 1], (std::vector<std::string>{std::to_string(i), "a"})) << i;
    }
    EXPECT_EQ(lines.back(), std::vector<std::string>{longField});
}

TEST_F(CsvFile, AMissingFileIsNotOpenedAndItsEndOfFileFailsWithError104) {
    TCSV_File reader;
    EXPECT_TRUE(reader.OpenFile(folder_ / "absent.csv"));
    EXPECT_TRUE(reader.OpenFile(folder_.Path().string()));  // a folder is no file
    try {
        reader.EndOfFile();
        FAIL() << "no error";
    } catch (const InOutError& error) {
        EXPECT_EQ(error.Code(), 104);
        EXPECT_STREQ(error.what(), "Erreur E/S 104");
    }
    EXPECT_THROW(reader.ReadLine(), InOutError);
    EXPECT_EQ(reader.GetField(0), "");
    reader.CloseFile();
}

TEST_F(CsvFile, AFileHeldByAWriterIsRefused) {
    const std::string path = folder_.Write("f.csv", "1\n");
    const int writer = ::open(path.c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);
    TCSV_File reader;
    try {
        reader.OpenFile(path);
        ADD_FAILURE() << "no error";
    } catch (const InOutError& error) {
        EXPECT_EQ(error.Code(), 5);
        EXPECT_EQ(error.what(), offrel::W("Accès au fichier refusé"));
    }
    ::close(writer);
    // Two readers share the file.
    TCSV_File first;
    TCSV_File second;
    EXPECT_FALSE(first.OpenFile(path));
    EXPECT_FALSE(second.OpenFile(path));
}

TEST(InOutErrorText, KnownCodesHaveTheirTextOthersTheirNumber) {
    EXPECT_EQ(offrel::InOutErrorText(2), "Fichier introuvable");
    EXPECT_EQ(offrel::InOutErrorText(3), "Nom de fichier incorrect");
    EXPECT_EQ(offrel::InOutErrorText(4), "Trop de fichiers ouverts");
    EXPECT_EQ(offrel::InOutErrorText(5), W("Accès au fichier refusé"));
    EXPECT_EQ(offrel::InOutErrorText(100), W("Lecture au-delà de la fin de fichier"));
    EXPECT_EQ(offrel::InOutErrorText(101), "Disque plein");
    EXPECT_EQ(offrel::InOutErrorText(106), W("Saisie numérique incorrecte"));
    EXPECT_EQ(offrel::InOutErrorText(21), "Erreur E/S 21");
}

// Only the system errors that mean what a code of the table means take its text; a read error
// is no refusal of access.
TEST(SystemInOutError, MapsOnlyTheErrorsOfTheSameMeaning) {
    const auto text = [](int error) { return std::string(offrel::SystemInOutError(error).what()); };
    EXPECT_EQ(text(ENOENT), "Fichier introuvable");
    EXPECT_EQ(text(EACCES), W("Accès au fichier refusé"));
    EXPECT_EQ(text(EPERM), W("Accès au fichier refusé"));
    EXPECT_EQ(text(EMFILE), "Trop de fichiers ouverts");
    EXPECT_EQ(text(ENFILE), "Trop de fichiers ouverts");
    EXPECT_EQ(text(ENOSPC), "Disque plein");
    EXPECT_EQ(offrel::SystemInOutError(ENOSPC).Code(), 101);
    EXPECT_EQ(text(EIO),
              "Erreur E/S " + std::to_string(EIO) + " (" + offrel::SystemReason(EIO) + ")");
    EXPECT_EQ(text(ENAMETOOLONG).rfind("Erreur E/S ", 0), 0u);
}
