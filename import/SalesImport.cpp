#include "import/SalesImport.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>

#include "tables/Conversions.h"
#include "tables/CsvFile.h"
#include "tables/Error.h"
#include "tables/Windows1252.h"

namespace offrel {

namespace {

enum Column {
    kCategorie = 0,
    kLibelle = 1,
    kReference = 2,
    kDescription = 3,
    kPhoto1 = 4,
    kPhoto2 = 5,
    kPhoto3 = 6,
    kPrix = 7,
    kPrixNet = 8,
    kDuree = 9,
    kRenouvelable = 10,
};

// The columns that a sale cannot do without, in the order they are tested.
constexpr std::array<int, 6> kRequiredColumns = {kCategorie, kLibelle, kDescription,
                                                 kPhoto1,    kPrix,    kDuree};

// The option fields fed by columns 11 to 17; the fourth and fifth options are crossed over in
// the file.
constexpr std::array<const char*, 7> kOptionOfColumn = {"Option1", "Option2", "Option3", "Option5",
                                                        "Option4", "Option6", "Option7"};
constexpr int kFirstOptionColumn = 11;

constexpr char kMark[] = "Y";

// A stored path is Windows-1252 text like every text of the core; the file system names it in
// UTF-8. A relative path is taken from the working directory.
bool PhotoExists(const std::string& path) {
    struct stat status {};
    return ::stat(Windows1252ToUtf8(path).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// Title and description: UTF-8 when the bytes decode to some text, the bytes themselves
// otherwise.
std::string TextOrBytes(const std::string& bytes) {
    const std::optional<std::u16string> decoded = DecodeLaxUtf8(bytes);
    return decoded && !decoded->empty() ? Utf16ToWindows1252(*decoded) : bytes;
}

// Reference: UTF-8 only; bytes that do not decode give an empty reference.
std::string TextOrNothing(const std::string& bytes) {
    const std::optional<std::u16string> decoded = DecodeLaxUtf8(bytes);
    return decoded ? Utf16ToWindows1252(*decoded) : std::string();
}

int DureeTypeVente(std::int32_t days) {
    switch (days) {
        case 3:
            return 1;
        case 5:
            return 2;
        default:
            return 3;
    }
}

void SetMark(Table& cdsVente, const char* field, const std::string& column) {
    if (column == kMark) cdsVente.FieldByName(field).SetAsBoolean(true);
}

// Fills the row begun for an accepted line, from the duration on; a duration that does not
// convert stops the import there.
void StoreSale(Table& cdsVente, const TCSV_File& line, std::int32_t categorie, Money prix) {
    cdsVente.FieldByName("Libelle").SetAsString(TextOrBytes(line.GetField(kLibelle)));
    cdsVente.FieldByName("Reference").SetAsString(TextOrNothing(line.GetField(kReference)));
    cdsVente.FieldByName("Description").SetAsString(TextOrBytes(line.GetField(kDescription)));
    cdsVente.FieldByName("Prix").SetAsCurrency(prix);
    cdsVente.FieldByName("TypeVente").SetAsInteger(line.GetField(kPrixNet) == kMark ? 2 : 1);
    cdsVente.FieldByName("DureeTypeVente")
        .SetAsInteger(DureeTypeVente(StrToInt(line.GetField(kDuree))));
    SetMark(cdsVente, "Renouvelable", line.GetField(kRenouvelable));
    cdsVente.FieldByName("Categorie1").SetAsInteger(categorie);
    for (const int column : {kPhoto1, kPhoto2, kPhoto3}) {
        const std::string path = line.GetField(column);
        if (!path.empty() && PhotoExists(path)) {
            cdsVente.FieldByName("Photo" + std::to_string(column - kPhoto1 + 1)).SetAsString(path);
        }
    }
    for (std::size_t k = 0; k < kOptionOfColumn.size(); ++k) {
        SetMark(cdsVente, kOptionOfColumn[k],
                line.GetField(kFirstOptionColumn + static_cast<int>(k)));
    }
    cdsVente.FieldByName("Quantite").SetAsInteger(1);
}

}  // namespace

void ReadVentesFromCSV(Table& cdsVente, const std::string& path) {
    TCSV_File reader;  // closed when it goes, whether the import ends or stops
    const bool missing = reader.OpenFile(path);
    SetDecimalSeparator('.');
    if (missing) {
        throw Error(FormatMessage("Le fichier \"%s\" n'existe pas.", {Utf8ToWindows1252(path)}));
    }
    reader.ReadLine();  // the header
    while (!reader.EndOfFile()) {
        reader.ReadLine();
        if (std::any_of(kRequiredColumns.begin(), kRequiredColumns.end(),
                        [&](int column) { return reader.GetField(column).empty(); })) {
            continue;
        }
        const std::int32_t categorie = StrToInt(reader.GetField(kCategorie));
        if (categorie < 1 || !PhotoExists(reader.GetField(kPhoto1))) continue;
        std::string price = reader.GetField(kPrix);
        std::replace(price.begin(), price.end(), ',', '.');
        const Money prix = StrToCurr(price);
        if (prix <= Money()) continue;

        cdsVente.Insert();
        try {
            StoreSale(cdsVente, reader, categorie, prix);
            cdsVente.Post();
        } catch (...) {
            // A sale that stopped half-way is not kept.
            cdsVente.Cancel();
            throw;
        }
    }
    reader.CloseFile();
}

}  // namespace offrel
