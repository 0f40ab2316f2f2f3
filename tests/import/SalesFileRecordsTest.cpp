#include "import/SalesFileRecords.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tables/CsvFile.h"
#include "tests/common/TempFolder.h"

using offrel::SalesFileRecords;
using Record = std::vector<std::string>;

namespace {

struct Numbered {
    int line;
    Record fields;
    friend bool operator==(const Numbered&, const Numbered&) = default;
};

std::vector<Numbered> Read(const std::string& text) {
    SalesFileRecords records(text);
    std::vector<Numbered> all;
    while (records.Next()) {
        Numbered record{records.Line(), {}};
        for (int i = 0; i < records.FieldCount(); ++i) record.fields.emplace_back(records.Field(i));
        all.push_back(std::move(record));
    }
    return all;
}

std::vector<Record> Fields(const std::string& text) {
    std::vector<Record> fields;
    for (Numbered& record : Read(text)) fields.push_back(std::move(record.fields));
    return fields;
}

}  // namespace

TEST(SalesFileRecords, QuotedFieldsKeepTheirSeparatorsQuotesAndLineBreaks) {
    const struct {
        const char* text;
        std::vector<Record> fields;
    } cases[] = {
        {"\"a;b\";c\n", {{"a;b", "c"}}},
        {"\"dit \"\"oui\"\"\";x\n", {{"dit \"oui\"", "x"}}},
        {"1;\"deux\nlignes\";3\n", {{"1", "deux\r\nlignes", "3"}}},
        {"1;\"deux\r\nlignes\";3\r\n4\r\n", {{"1", "deux\r\nlignes", "3"}, {"4"}}},
        {"\"\";\"\"\n", {{"", ""}}},
        {"\"\"\"\"\n", {{"\""}}},
        // What follows the closing quote belongs to the field, up to the next ";".
        {"\"ab\"cd;e\n", {{"abcd", "e"}}},
        // A quote inside a field that does not begin with one is an ordinary character.
        {"a\"b;c\"d\n", {{"a\"b", "c\"d"}}},
        {" \"a;b\"\n", {{" \"a", "b\""}}},
        // A ";" right after a quoted field at the end of the line opens no last field.
        {"\"a\";\n", {{"a"}}},
        // A lone carriage return inside quotes is dropped, as it is outside.
        {"\"a\rb\"\n", {{"ab"}}},
        // The last record needs no line end.
        {"\"a\nb\"", {{"a\r\nb"}}},
    };
    for (const auto& c : cases) EXPECT_EQ(Fields(c.text), c.fields) << c.text;
}

TEST(SalesFileRecords, AQuoteThatNothingClosesOpensNoQuotedField) {
    // Read as the record reader reads it, so a stray quote loses no following line.
    EXPECT_EQ(Fields("\"12 pouces;b\nc;d\n"),
              (std::vector<Record>{{"\"12 pouces", "b"}, {"c", "d"}}));
    EXPECT_EQ(Fields("a;\"x\"\"y\n"), (std::vector<Record>{{"a", "\"x\"\"y"}}));
}

TEST(SalesFileRecords, LinesAreNumberedAsTheSpreadsheetNumbersItsRows) {
    const std::vector<Numbered> records = Read("entete\n1;\"a\nb\nc\";x\n\n2;y\r\n\"p\r\nq\"\n3\n");
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[0], (Numbered{1, {"entete"}}));
    EXPECT_EQ(records[1], (Numbered{2, {"1", "a\r\nb\r\nc", "x"}}));
    EXPECT_EQ(records[2], (Numbered{3, {}}));
    EXPECT_EQ(records[3], (Numbered{4, {"2", "y"}}));
    EXPECT_EQ(records[4], (Numbered{5, {"p\r\nq"}}));
    EXPECT_EQ(records[5], (Numbered{6, {"3"}}));
}

TEST(SalesFileRecords, AByteOrderMarkAtTheStartIsDroppedAndCtrlZEndsTheText) {
    EXPECT_EQ(Fields("\xEF\xBB\xBF\"a\";b\n"), (std::vector<Record>{{"a", "b"}}));
    // Only at the very start.
    EXPECT_EQ(Fields("x\n\xEF\xBB\xBFy\n"), (std::vector<Record>{{"x"}, {"\xEF\xBB\xBFy"}}));
    EXPECT_EQ(Fields("a;b\n\x1A"
                     "c;d\n"),
              (std::vector<Record>{{"a", "b"}}));
    EXPECT_EQ(Fields(""), std::vector<Record>{});
    EXPECT_EQ(Fields("\xEF\xBB\xBF"), std::vector<Record>{});
}

// Without a quote at the start of a field, every text reads as the record reader reads it:
// random texts made of the bytes that matter to either reader.
TEST(SalesFileRecords, FieldsWithoutALeadingQuoteReadAsTheRecordReaderReadsThem) {
    offrel::testing::TempFolder folder;
    std::mt19937 random(11);
    const std::string alphabet = "ab;;\r\n\n \"\x1A";
    for (int round = 0; round < 500; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 60);
        for (int i = 0; i < length; ++i) {
            char c = alphabet[random() % alphabet.size()];
            const bool fieldStart =
                text.empty() || text.back() == ';' || text.back() == '\n' || text.back() == '\r';
            if (c == '"' && fieldStart) c = 'q';
            text.push_back(c);
        }
        // A lone carriage return in front of a quote is dropped, which would bring the quote to
        // the start of its field.
        if (text.find("\r\"") != std::string::npos) continue;

        offrel::TCSV_File reader;
        ASSERT_FALSE(reader.OpenFile(folder.Write("t.csv", text)));
        std::vector<Record> expected;
        while (!reader.EndOfFile()) {
            const int count = reader.ReadLine();
            Record record;
            for (int i = 0; i < count; ++i) record.push_back(reader.GetField(i));
            expected.push_back(std::move(record));
        }
        reader.CloseFile();
        ASSERT_EQ(Fields(text), expected) << ::testing::PrintToString(text);
    }
}
