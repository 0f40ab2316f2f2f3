#include "import/SalesImport.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>

#include "base/Conversions.h"
#include "base/Error.h"
#include "base/FileNames.h"
#include "base/Windows1252.h"
#include "import/SalesFileRecords.h"
#include "tables/Rows.h"

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

struct RequiredColumn {
    int column;
    const char* whenEmpty;  // the reason, in UTF-8
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

// The options (from 0) fed by columns 11 to 17; the fourth and fifth are crossed over in the
// file.
constexpr std::array<int, 7> kOptionOfColumn = {0, 1, 2, 4, 3, 5, 6};
constexpr int kFirstOptionColumn = 11;

constexpr char kMark[] = "Y";

// Title and description: UTF-8 when the bytes decode to some text, the bytes themselves
// otherwise.
std::string TextOrBytes(std::string_view bytes) {
    const std::optional<std::u16string> decoded = DecodeLaxUtf8(bytes);
    return decoded && !decoded->empty() ? Utf16ToWindows1252(*decoded) : std::string(bytes);
}

// Reference: UTF-8 only; bytes that do not decode give an empty reference.
std::string TextOrNothing(std::string_view bytes) {
    const std::optional<std::u16string> decoded = DecodeLaxUtf8(bytes);
    return decoded ? Utf16ToWindows1252(*decoded) : std::string();
}

// A photo column is decoded like the title, so that a UTF-8 and a Windows-1252 file naming the
// same photo store the same path; nothing when it names a letter that Windows-1252 cannot write.
std::optional<std::string> PhotoPath(std::string_view column) {
    const std::optional<std::u16string> decoded = DecodeLaxUtf8(column);
    if (!decoded || decoded->empty()) return std::string(column);
    return PathFromFileSystemName(column);
}

// A relative path is taken from the working directory.
bool PhotoExists(const std::string& path) {
    struct stat status {};
    return ::stat(FileSystemName(path).c_str(), &status) == 0 && S_ISREG(status.st_mode);
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

bool NoText(const SalesFileRecords& line) {
    for (int column = 0; column < line.FieldCount(); ++column)
        if (!line.Field(column).empty()) return false;
    return true;
}

// A mark sets its field; no mark leaves it empty.
std::optional<bool> Mark(std::string_view column) {
    return column == kMark ? std::optional(true) : std::nullopt;
}

// The sale of an accepted line, from the duration on; a duration that does not convert stops the
// import there.
Sale LineSale(const SalesFileRecords& line, std::int32_t categorie, Money prix,
              const std::string& photo1) {
    Sale sale;
    sale.libelle = TextOrBytes(line.Field(kLibelle));
    sale.reference = TextOrNothing(line.Field(kReference));
    sale.description = TextOrBytes(line.Field(kDescription));
    sale.prix = prix;
    sale.typeVente = line.Field(kPrixNet) == kMark ? SaleType::FixedPrice : SaleType::Auction;
    sale.dureeTypeVente = DureeTypeVente(StrToInt(line.Field(kDuree)));
    sale.renouvelable = Mark(line.Field(kRenouvelable));
    sale.categorie[0] = categorie;
    sale.photo[0] = photo1;
    for (const int column : {kPhoto2, kPhoto3}) {
        const std::optional<std::string> path = PhotoPath(line.Field(column));
        if (path && !path->empty() && PhotoExists(*path)) sale.photo[column - kPhoto1] = *path;
    }
    for (std::size_t k = 0; k < kOptionOfColumn.size(); ++k)
        sale.option[kOptionOfColumn[k]] =
            Mark(line.Field(kFirstOptionColumn + static_cast<int>(k)));
    sale.quantite = 1;
    return sale;
}

// Imports one line; the reason when it is passed over, "" when it became a sale. A number that
// does not convert throws its conversion message.
std::string ImportLine(Table& cdsVente, const SalesFileRecords& line) {
    for (const RequiredColumn& required : kRequiredColumns)
        if (line.Field(required.column).empty()) return W(required.whenEmpty);
    const std::int32_t categorie = StrToInt(line.Field(kCategorie));
    if (categorie < 1) return W("la catégorie est inférieure à 1");
    const std::optional<std::string> photo1 = PhotoPath(line.Field(kPhoto1));
    if (!photo1) {
        return FormatMessage(W("le chemin de la photo « %s » contient des caractères que "
                               "l'application ne sait pas enregistrer"),
                             {Utf8ToWindows1252(line.Field(kPhoto1))});
    }
    if (!PhotoExists(*photo1))
        return FormatMessage(W("la photo « %s » est introuvable"), {*photo1});
    std::string price(line.Field(kPrix));
    std::replace(price.begin(), price.end(), ',', '.');
    const Money prix = StrToCurr(price);
    if (prix <= Money()) return W("le prix n'est pas supérieur à zéro");

    const Sale sale = LineSale(line, categorie, prix, *photo1);
    cdsVente.Insert();
    WriteSale(cdsVente, sale);
    cdsVente.Post();
    return {};
}

std::string Counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + W(count > 1 ? many : one);
}

}  // namespace

SalesImportReport ReadVentesFromCSV(Table& cdsVente, const std::string& path) {
    std::optional<std::string> text = ReadSalesFile(path);
    SetDecimalSeparator('.');
    if (!text) {
        throw Error(FormatMessage("Le fichier \"%s\" n'existe pas.", {ShownFileSystemName(path)}));
    }
    SalesFileRecords lines(std::move(*text));
    SalesImportReport report;
    lines.Next();  // the header
    while (lines.Next()) {
        if (NoText(lines)) continue;
        try {
            std::string reason = ImportLine(cdsVente, lines);
            if (reason.empty())
                ++report.imported;
            else
                report.passedOver.push_back({lines.Line(), std::move(reason)});
        } catch (const Error& error) {
            report.stop = PassedOverLine{lines.Line(), error.what()};
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
        text += W("\n\nL'import s'est arrêté à la ligne ") + std::to_string(report.stop->line) +
                W(" ; les lignes suivantes n'ont pas été lues.");
    }
    return text;
}

}  // namespace offrel
