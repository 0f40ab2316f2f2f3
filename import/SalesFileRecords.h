#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace offrel {

// The records of a sales file as a spreadsheet saves it ("CSV, séparateur point-virgule"):
// fields separated by ";", records by line ends. A field that begins with a double quote is
// quoted: it ends at the next double quote that is not doubled, "" inside it stands for one ",
// and a ";" or a line break inside it belongs to the field; the line break is kept as CR LF, as
// the editor keeps a description's lines. What follows the closing quote up to the next ";"
// belongs to the field too. A quote that no other closes before the end of the text opens no
// quoted field. Any other field reads exactly as the record reader (TCSV_File) reads it: a lone
// carriage return is dropped, a ";" at the end of a line opens no last field, an empty line has
// no field. A UTF-8 byte-order mark at the very start is dropped; a Ctrl+Z ends the text.
class SalesFileRecords {
public:
    explicit SalesFileRecords(std::string text);

    // Reads the next record; false when no text is left.
    bool Next();
    // The record's line number in the file: the first record is line 1, and a line break inside
    // a quoted field is part of its line, as the spreadsheet numbers its rows.
    int Line() const { return line_; }
    int FieldCount() const { return count_; }
    // "" past the last field.
    std::string_view Field(int index) const;

private:
    std::string& NewField();
    void ReadQuoted(std::string& field);
    void ReadPlain(std::string& field);
    bool AtLineEnd() const;
    void SkipLineEnd();

    std::string text_;
    std::size_t at_ = 0;
    int line_ = 0;
    int count_ = 0;
    std::vector<std::string> fields_;  // the first count_ are the record's; the rest keep storage
};

// The whole content of a sales file; nothing when no file exists at the path (file-system
// name). An existing file that cannot be read throws the record reader's I/O error.
std::optional<std::string> ReadSalesFile(const std::string& path);

}  // namespace offrel
