#include "import/SalesImport.h"

#include <array>
#include <filesystem>

#include "base/Conversions.h"
#include "base/Error.h"
#include "base/FileNames.h"
#include "base/Windows1252.h"
#include "import/SalesFileRecords.h"
#include "import/SalesSheetColumns.h"
#include "import/SheetPhotos.h"
#include "import/SpreadsheetPrice.h"
#include "tables/Rows.h"

namespace offrel {

namespace {

using namespace SalesSheetColumn;

struct RequiredColumn {
    int column;
    const char* whenEmpty;
};

// The columns that a sale cannot do without, in the order they are tested.
constexpr std::array<RequiredColumn, 6> kRequiredColumns = {{
    {kCategorie, "la catégorie est vide"},
    {kLibelle, "le titre est vide"},
    {kDescription, "la description est vide"},
    {kPhoto1, "la première photo est vide"},
    {kPrix, "le prix est vide"},
    {kDuree, "la durée est vide"},
}};

const char* const kHeaderTaken =
    "cette ligne se lit comme une vente entière : elle a été prise pour la ligne d'en-tête et "
    "n'a pas été importée";

// A cell as the seller wrote it: UTF-8 when its bytes decode as such, Windows-1252 otherwise.
// Its stored form is made straight from the bytes: the 16-bit text is only built for a message
// or a price.
struct Cell {
    std::string_view bytes;
    bool utf8 = false;
    bool lost = false;  // a character that Windows-1252 lacks became "?"
    std::string stored;

    std::u16string Text() const { return utf8 ? *DecodeLaxUtf8(bytes) : Windows1252ToUtf16(bytes); }
    std::string Shown() const {  // for the report
        return IsAscii(bytes) ? std::string(bytes) : Utf16ToUtf8(Text());
    }
    const std::string& Stored() const { return stored; }
};

Cell Decoded(std::string_view bytes) {
    Cell cell;
    cell.bytes = bytes;
    if (std::optional<std::string> stored = LaxUtf8ToWindows1252(bytes, cell.lost)) {
        cell.utf8 = true;
        cell.stored = std::move(*stored);
    } else {
        cell.lost = false;
        cell.stored = bytes;
    }
    return cell;
}

// What a line of the sheet gives: a sale with what it does not keep as written, or the reason
// the line gives none.
struct LineSale {
    std::optional<Sale> sale;
    std::string reason;
    std::vector<std::string> notes;
};

// A text column as stored, noting the characters that the site cannot receive and a cut.
std::string StoredText(const SalesFileRecords& line, int column, const char* name, int width,
                       std::vector<std::string>& notes) {
    Cell cell = Decoded(line.Field(column));
    if (cell.lost) {
        notes.push_back(FormatMessage(
            "%s contient des caractères que le site ne peut pas recevoir, remplacés par « ? » : %s",
            {name, CharactersBeyondWindows1252(cell.Text())}));
    }
    std::string stored = std::move(cell.stored);
    if (stored.size() > static_cast<std::size_t>(width)) {
        notes.push_back(
            FormatMessage("%s a %s caractères : seuls les %s premiers sont gardés",
                          {name, std::to_string(stored.size()), std::to_string(width)}));
    }
    return stored;
}

std::string UnwritablePhoto(const char* photo, const Cell& cell) {
    return FormatMessage(
        "le chemin de %s « %s » contient des caractères que l'application ne sait pas enregistrer",
        {photo, cell.Shown()});
}

// Photo 2 to 8 (number, from 1): kept when its file exists, otherwise left out with a note.
std::optional<std::string> OptionalPhoto(const SalesFileRecords& line, int column, int number,
                                         SheetPhotos& photos, std::vector<std::string>& notes) {
    if (line.Field(column).empty()) return std::nullopt;
    const Cell cell = Decoded(line.Field(column));
    const std::string photo = "la photo " + std::to_string(number);
    const std::optional<std::string> path = photos.Path(cell.Shown());
    if (path && photos.Exists(*path)) return path;
    notes.push_back((path ? FormatMessage("%s « %s » est introuvable", {photo, cell.Shown()})
                          : UnwritablePhoto(photo.c_str(), cell)) +
                    " ; la vente est importée sans elle");
    return std::nullopt;
}

// Any number of days other than 3 and 5 is a sale of 7 days.
Duration DureeTypeVente(std::int32_t days) {
    switch (days) {
        case 3:
            return Duration::ThreeDays;
        case 5:
            return Duration::FiveDays;
        default:
            return Duration::SevenDays;
    }
}

std::string MarkColumnName(int column) {
    if (column == kPrixNet) return "prix net";
    if (column == kRenouvelable) return "renouvellement";
    if (column == kOption8) return "option 8";
    return "option " + std::to_string(kOptionOfColumn[column - kFirstOption] + 1);
}

// A mark sets its field; no mark leaves it empty, and any other text is noted.
std::optional<bool> Mark(const SalesFileRecords& line, int column,
                         std::vector<std::string>& notes) {
    const std::string_view bytes = line.Field(column);
    if (bytes == kMark) return true;
    if (!bytes.empty()) {
        notes.push_back(FormatMessage("marque « %s » : seul « Y » compte (%s)",
                                      {Decoded(bytes).Shown(), MarkColumnName(column)}));
    }
    return std::nullopt;
}

// A whole number of the further columns, from low up. Since these columns never stopped an
// import, a text that is not one is noted with what becomes of it, and gives nothing.
std::optional<std::int32_t> FurtherNumber(const SalesFileRecords& line, int column,
                                          std::int32_t low, const std::string& name,
                                          const char* otherwise, std::vector<std::string>& notes) {
    if (line.Field(column).empty()) return std::nullopt;
    const Cell cell = Decoded(line.Field(column));
    try {
        const std::int32_t number = StrToInt(cell.Stored());
        if (number >= low) return number;
    } catch (const Error&) {
    }
    notes.push_back(FormatMessage("%s « %s » n'est pas un nombre entier d'au moins %s ; %s",
                                  {name, cell.Shown(), std::to_string(low), otherwise}));
    return std::nullopt;
}

// The columns after the 18 that the sales file has always had, which an exported sheet fills:
// an empty or missing one leaves the sale as those 18 columns made it, one that does not read
// is noted and left out.
void ReadFurtherColumns(const SalesFileRecords& line, SheetPhotos& photos, Sale& sale,
                        std::vector<std::string>& notes) {
    for (int k = 1; k < 3; ++k)
        sale.categorie[k] =
            FurtherNumber(line, kCategorie2 + k - 1, 1, "la catégorie " + std::to_string(k + 1),
                          "la vente est importée sans elle", notes);
    for (int k = 3; k < 8; ++k)
        sale.photo[k] = OptionalPhoto(line, kPhoto4 + k - 3, k + 1, photos, notes);
    if (const auto quantite =
            FurtherNumber(line, kQuantite, 1, "la quantité", "elle est lue comme 1", notes))
        sale.quantite = quantite;
    if (!line.Field(kPrixBoutique).empty()) {
        const Cell cell = Decoded(line.Field(kPrixBoutique));
        sale.prixBoutique = SpreadsheetPrice(cell.Text());
        if (!sale.prixBoutique)
            notes.push_back(FormatMessage(
                "le prix boutique « %s » ne se lit pas comme un montant ; il est laissé vide",
                {cell.Shown()}));
    }
    sale.option[7] = Mark(line, kOption8, notes);
}

bool NoText(const SalesFileRecords& line) {
    for (int column = 0; column < line.FieldCount(); ++column)
        if (!line.Field(column).empty()) return false;
    return true;
}

// Reads one line in the order of the designed checks. A category or a duration that does not
// convert throws its conversion message.
LineSale ReadLineSale(const SalesFileRecords& line, SheetPhotos& photos) {
    LineSale read;
    for (const RequiredColumn& required : kRequiredColumns) {
        if (line.Field(required.column).empty()) {
            read.reason = required.whenEmpty;
            return read;
        }
    }
    const Cell categorieCell = Decoded(line.Field(kCategorie));
    const std::int32_t categorie = StrToInt(categorieCell.Stored());
    if (categorie < 1) {
        read.reason =
            FormatMessage("la catégorie « %s » est inférieure à 1", {categorieCell.Shown()});
        return read;
    }
    const Cell photo1Cell = Decoded(line.Field(kPhoto1));
    const std::optional<std::string> photo1 = photos.Path(photo1Cell.Shown());
    if (!photo1) {
        read.reason = UnwritablePhoto("la photo", photo1Cell);
        return read;
    }
    if (!photos.Exists(*photo1)) {
        read.reason = FormatMessage("la photo « %s » est introuvable", {photo1Cell.Shown()});
        return read;
    }
    const Cell prixCell = Decoded(line.Field(kPrix));
    const std::optional<Money> prix = SpreadsheetPrice(prixCell.Text());
    if (!prix) {
        read.reason =
            FormatMessage("le prix « %s » ne se lit pas comme un montant", {prixCell.Shown()});
        return read;
    }
    if (*prix <= Money()) {
        read.reason =
            FormatMessage("le prix « %s » n'est pas supérieur à zéro", {prixCell.Shown()});
        return read;
    }

    std::vector<std::string>& notes = read.notes;
    Sale sale;
    sale.libelle = StoredText(line, kLibelle, "le titre", SaleWidth::kLibelle, notes);
    sale.reference = StoredText(line, kReference, "la référence", SaleWidth::kReference, notes);
    sale.description =
        StoredText(line, kDescription, "la description", SaleWidth::kDescription, notes);
    sale.photo[0] = *photo1;
    for (int k = 1; k < 3; ++k)
        sale.photo[k] = OptionalPhoto(line, kPhoto1 + k, k + 1, photos, notes);
    sale.prix = *prix;
    sale.typeVente = Mark(line, kPrixNet, notes) ? SaleType::FixedPrice : SaleType::Auction;
    const Cell dureeCell = Decoded(line.Field(kDuree));
    const std::int32_t days = StrToInt(dureeCell.Stored());
    sale.dureeTypeVente = DureeTypeVente(days);
    if (days != 3 && days != 5 && days != 7)
        notes.push_back(FormatMessage("durée %s : lue comme 7 jours", {dureeCell.Shown()}));
    sale.renouvelable = Mark(line, kRenouvelable, notes);
    sale.categorie[0] = categorie;
    for (std::size_t k = 0; k < kOptionOfColumn.size(); ++k)
        sale.option[kOptionOfColumn[k]] = Mark(line, kFirstOption + static_cast<int>(k), notes);
    sale.quantite = 1;
    ReadFurtherColumns(line, photos, sale, notes);
    read.sale = std::move(sale);
    return read;
}

// A sheet saved without its header line starts with a sale, which the header's place loses.
bool ReadsAsASale(const SalesFileRecords& line, SheetPhotos& photos) {
    if (NoText(line)) return false;
    try {
        return ReadLineSale(line, photos).sale.has_value();
    } catch (const Error&) {
        return false;
    }
}

// The folder of the sheet, as a whole file-system name.
std::string SheetFolder(const std::string& path) {
    std::error_code error;
    const std::filesystem::path whole = std::filesystem::absolute(path, error);
    return (error ? std::filesystem::path(path) : whole).parent_path().string();
}

std::string Counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count > 1 ? many : one);
}

}  // namespace

SalesImportReport ReadVentesFromCSV(Table& cdsVente, const std::string& path) {
    std::optional<std::string> text = ReadSalesFile(path);
    SetDecimalSeparator('.');
    if (!text) {
        throw Error(FormatMessage("Le fichier \"%s\" n'existe pas.", {ShownFileSystemName(path)}));
    }
    SheetPhotos photos(SheetFolder(path));
    SalesFileRecords lines(std::move(*text));
    SalesImportReport report;
    if (lines.Next() && ReadsAsASale(lines, photos))
        report.passedOver.push_back({lines.Line(), kHeaderTaken});
    while (lines.Next()) {
        if (NoText(lines)) continue;
        try {
            LineSale read = ReadLineSale(lines, photos);
            if (!read.sale) {
                report.passedOver.push_back({lines.Line(), std::move(read.reason)});
                continue;
            }
            cdsVente.Insert();
            WriteSale(cdsVente, *read.sale);
            cdsVente.Post();
            ++report.imported;
            for (std::string& note : read.notes)
                report.notes.push_back({lines.Line(), std::move(note)});
        } catch (const Error& error) {
            report.stop = PassedOverLine{lines.Line(), Windows1252ToUtf8(error.what())};
            break;
        }
    }
    return report;
}

std::string ReportText(const SalesImportReport& report) {
    const int notImported = static_cast<int>(report.passedOver.size()) + (report.stop ? 1 : 0);
    std::string text = Counted(report.imported, "vente importée", "ventes importées");
    if (notImported > 0)
        text += ", " + Counted(notImported, "ligne non importée", "lignes non importées") + " :\n";
    else
        text += ".";
    const auto add = [&text](const PassedOverLine& line) {
        text += "\nLigne " + std::to_string(line.line) + " : " + line.reason;
    };
    for (const PassedOverLine& line : report.passedOver) add(line);
    if (report.stop) {
        add(*report.stop);
        text += "\n\nL'import s'est arrêté à la ligne " + std::to_string(report.stop->line) +
                " ; les lignes suivantes n'ont pas été lues.";
    }
    if (!report.notes.empty()) {
        text += "\n\nRemarques sur les ventes importées :\n";
        for (const PassedOverLine& note : report.notes) add(note);
    }
    return text;
}

}  // namespace offrel
