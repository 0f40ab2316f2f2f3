#include "import/SalesSheet.h"

#include <algorithm>
#include <cstdint>

#include "base/Files.h"
#include "base/Windows1252.h"
#include "import/SalesSheetColumns.h"
#include "tables/LargeBuffer.h"
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

std::string NumberCell(const std::optional<std::int32_t>& number) {
    return number ? std::to_string(*number) : std::string();
}

std::string_view MarkCell(bool yes) {
    return yes ? SalesSheetColumn::kMark : "";
}

std::string_view TextCell(const std::optional<std::string>& text) {
    return text ? std::string_view(*text) : std::string_view();
}

}  // namespace

SalesSheet::SalesSheet() {
    Append(kByteOrderMark);
    for (const char* name : SalesSheetColumn::kNames) {
        if (name != SalesSheetColumn::kNames.front()) Append(std::string_view(&kSeparator, 1));
        Append(name);
    }
    Append(kLineEnd);
}

void SalesSheet::Add(const Sale& sale) {
    namespace column = SalesSheetColumn;
    const auto formatted = [this](int k, std::string text) {
        formatted_[k] = std::move(text);
        cells_[k] = formatted_[k];
    };
    formatted(column::kCategorie, NumberCell(sale.categorie[0]));
    cells_[column::kLibelle] = TextCell(sale.libelle);
    cells_[column::kReference] = TextCell(sale.reference);
    cells_[column::kDescription] = TextCell(sale.description);
    for (int k = 0; k < 3; ++k) cells_[column::kPhoto1 + k] = TextCell(sale.photo[k]);
    formatted(column::kPrix, sale.prix ? SheetAmount(*sale.prix) : "");
    cells_[column::kPrixNet] = MarkCell(sale.typeVente == SaleType::FixedPrice);
    cells_[column::kDuree] = sale.dureeTypeVente ? Days(*sale.dureeTypeVente) : "";
    cells_[column::kRenouvelable] = MarkCell(sale.renouvelable.value_or(false));
    for (std::size_t k = 0; k < column::kOptionOfColumn.size(); ++k)
        cells_[column::kFirstOption + k] =
            MarkCell(sale.option[column::kOptionOfColumn[k]].value_or(false));
    for (int k = 1; k < 3; ++k)
        formatted(column::kCategorie2 + k - 1, NumberCell(sale.categorie[k]));
    for (int k = 3; k < 8; ++k) cells_[column::kPhoto4 + k - 3] = TextCell(sale.photo[k]);
    formatted(column::kQuantite, NumberCell(sale.quantite));
    formatted(column::kPrixBoutique, sale.prixBoutique ? SheetAmount(*sale.prixBoutique) : "");
    cells_[column::kOption8] = MarkCell(sale.option[7].value_or(false));
    WriteLine();
}

std::string_view SalesSheet::Text() const {
    return {reinterpret_cast<const char*>(text_.data()), text_.size()};
}

void SalesSheet::Append(std::string_view bytes) {
    if (text_.capacity() - text_.size() < bytes.size())
        ReserveLarge(text_, std::max(text_.size() + bytes.size(), 2 * text_.capacity()));
    text_.insert(text_.end(), bytes.begin(), bytes.end());
}

void SalesSheet::AppendUtf8(std::string_view text) {
    constexpr std::size_t kChunk = 1024;
    char utf8[3 * kChunk];
    for (std::size_t at = 0; at < text.size(); at += kChunk) {
        const char* end = Windows1252ToUtf8(text.substr(at, kChunk), utf8);
        Append(std::string_view(utf8, static_cast<std::size_t>(end - utf8)));
    }
}

void SalesSheet::WriteLine() {
    for (std::size_t k = 0; k < cells_.size(); ++k) {
        if (k > 0) Append(std::string_view(&kSeparator, 1));
        const std::string_view cell = cells_[k];
        if (cell.find_first_of(";\"\r\n") == std::string_view::npos) {
            AppendUtf8(cell);
            continue;
        }
        // Quoted, each double quote doubled: the quote ends one piece and begins the next.
        Append(std::string_view(&kQuote, 1));
        for (std::size_t at = 0, quote; at < cell.size(); at = quote) {
            quote = cell.find(kQuote, at);
            quote = quote == std::string_view::npos ? cell.size() : quote + 1;
            AppendUtf8(cell.substr(at, quote - at));
            if (cell[quote - 1] == kQuote) Append(std::string_view(&kQuote, 1));
        }
        Append(std::string_view(&kQuote, 1));
    }
    Append(kLineEnd);
}

void SalesSheet::Save(const std::string& path) const {
    WriteFileAtomically(path, text_);
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
