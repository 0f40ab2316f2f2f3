#include "import/SalesSheet.h"

#include <cstdint>

#include "base/Files.h"
#include "base/Windows1252.h"
#include "import/SalesSheetColumns.h"
#include "tables/Rows.h"

namespace offrel {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
constexpr char kSeparator = ';';
constexpr char kQuote = '"';

// An amount as a French spreadsheet writes it: a decimal comma, two decimals, up to four when
// the amount has them, no thousands separator ("1234,50", "0,0005", "-3,00").
std::string SheetAmount(Money amount) {
    const std::int64_t ticks = amount.Ticks();
    const std::uint64_t magnitude = ticks < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(ticks)
                                              : static_cast<std::uint64_t>(ticks);
    const auto scale = static_cast<std::uint64_t>(Money::kScale);
    std::string decimals = std::to_string(magnitude % scale + scale).substr(1);
    while (decimals.size() > 2 && decimals.back() == '0') decimals.pop_back();
    return (ticks < 0 ? "-" : "") + std::to_string(magnitude / scale) + "," + decimals;
}

std::string_view Days(Duration duration) {
    switch (duration) {
        case Duration::ThreeDays:
            return "3";
        case Duration::FiveDays:
            return "5";
        case Duration::SevenDays:
            return "7";
        default:
            return "";  // a code without a number of days: the import passes the sale over
    }
}

std::string TextCell(const std::optional<std::string>& text) {
    return text ? Windows1252ToUtf8(*text) : std::string();
}

std::string NumberCell(const std::optional<std::int32_t>& number) {
    return number ? std::to_string(*number) : std::string();
}

std::string MarkCell(bool yes) {
    return yes ? SalesSheetColumn::kMark : "";
}

}  // namespace

SalesSheet::SalesSheet() : text_(kByteOrderMark) {
    std::copy(SalesSheetColumn::kNames.begin(), SalesSheetColumn::kNames.end(), cells_.begin());
    WriteLine();
}

void SalesSheet::Add(const Sale& sale) {
    namespace column = SalesSheetColumn;
    cells_[column::kCategorie] = NumberCell(sale.categorie[0]);
    cells_[column::kLibelle] = TextCell(sale.libelle);
    cells_[column::kReference] = TextCell(sale.reference);
    cells_[column::kDescription] = TextCell(sale.description);
    for (int k = 0; k < 3; ++k) cells_[column::kPhoto1 + k] = TextCell(sale.photo[k]);
    cells_[column::kPrix] = sale.prix ? SheetAmount(*sale.prix) : "";
    cells_[column::kPrixNet] = MarkCell(sale.typeVente == SaleType::FixedPrice);
    cells_[column::kDuree] = sale.dureeTypeVente ? Days(*sale.dureeTypeVente) : std::string_view();
    cells_[column::kRenouvelable] = MarkCell(sale.renouvelable.value_or(false));
    for (std::size_t k = 0; k < column::kOptionOfColumn.size(); ++k)
        cells_[column::kFirstOption + k] =
            MarkCell(sale.option[column::kOptionOfColumn[k]].value_or(false));
    for (int k = 1; k < 3; ++k) cells_[column::kCategorie2 + k - 1] = NumberCell(sale.categorie[k]);
    for (int k = 3; k < 8; ++k) cells_[column::kPhoto4 + k - 3] = TextCell(sale.photo[k]);
    cells_[column::kQuantite] = NumberCell(sale.quantite);
    cells_[column::kPrixBoutique] = sale.prixBoutique ? SheetAmount(*sale.prixBoutique) : "";
    cells_[column::kOption8] = MarkCell(sale.option[7].value_or(false));
    WriteLine();
}

void SalesSheet::WriteLine() {
    for (std::size_t k = 0; k < cells_.size(); ++k) {
        if (k > 0) text_ += kSeparator;
        const std::string& cell = cells_[k];
        if (cell.find_first_of(";\"\r\n") == std::string::npos) {
            text_ += cell;
            continue;
        }
        text_ += kQuote;
        for (const char c : cell) {
            if (c == kQuote) text_ += kQuote;
            text_ += c;
        }
        text_ += kQuote;
    }
    text_ += kLineEnd;
}

void SalesSheet::Save(const std::string& path) const {
    WriteFileAtomically(path, std::vector<std::uint8_t>(text_.begin(), text_.end()));
}

void ExportSales(const Table& cdsVente, const std::vector<int>& positions,
                 const std::string& path) {
    SalesSheet sheet;
    if (positions.empty()) {
        for (int position = 0; position < cdsVente.RecordCount(); ++position)
            sheet.Add(ReadSale(cdsVente, position));
    } else {
        for (const int position : positions) sheet.Add(ReadSale(cdsVente, position));
    }
    sheet.Save(path);
}

}  // namespace offrel
