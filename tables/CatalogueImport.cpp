#include "tables/CatalogueImport.h"

#include <functional>

#include "base/Conversions.h"
#include "tables/CsvFile.h"
#include "tables/Rows.h"

namespace offrel {

namespace {

// One catalogue line into one appended row. The fields are converted in the order of the
// file, so a bad field stops the line where it stands; the row begun for that line is then
// dropped and the rows of earlier lines stay.
void ReadCatalogue(Table& table, const std::string& path,
                   const std::function<void(Table&, const TCSV_File&)>& storeLine) {
    TCSV_File reader;
    reader.OpenFile(path);  // a missing file shows itself at the first EndOfFile
    SetDecimalSeparator('.');
    while (!reader.EndOfFile()) {
        reader.ReadLine();
        table.Append();
        try {
            storeLine(table, reader);
        } catch (...) {
            table.Cancel();
            throw;
        }
        table.Post();
    }
    reader.CloseFile();
}

}  // namespace

void ReadOptionsFromCSV(Table& cdsOption, const std::string& path) {
    ReadCatalogue(cdsOption, path, [](Table& table, const TCSV_File& line) {
        OptionRow option;
        option.id = StrToInt(line.GetField(0));
        option.prix = StrToCurr(line.GetField(1));
        option.prixBoutique = StrToCurr(line.GetField(2));
        option.libelle = line.GetField(3);
        WriteOption(table, option);
    });
}

void ReadCategoriesFromCSV(Table& cdsCategorie, const std::string& path) {
    ReadCatalogue(cdsCategorie, path, [](Table& table, const TCSV_File& line) {
        CategoryRow category;
        category.id = StrToInt(line.GetField(0));
        category.parentId = StrToInt(line.GetField(1));
        category.prix = StrToCurr(line.GetField(2));
        category.prixBoutique = StrToCurr(line.GetField(3));
        category.libelle = line.GetField(4);
        WriteCategory(table, category);
    });
}

}  // namespace offrel
