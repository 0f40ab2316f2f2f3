#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/Money.h"
#include "tables/Table.h"

namespace offrel {

// The texts of a sale that the search compares, folded as the category search folds them: the
// title, the reference and the description, kept apart so that a word never spans two.
std::string FoldedSearchText(std::string_view libelle, std::string_view reference,
                             std::string_view description);

// What the list of sent sales shows of a sale. Texts are Windows-1252, empty when the sale has
// none.
struct SentSaleLine {
    std::int64_t id = 0;          // the sale's number in the history
    std::int64_t answeredAt = 0;  // when the site accepted it: seconds since 1970
    std::string_view login;
    std::string_view libelle;
    std::string_view reference;
    std::optional<Money> prix;
    std::array<std::optional<std::int32_t>, 3> categorie;  // also searched, by their names
};

// The folded texts of sales (FoldedSearchText), each with its sale's number in the history. They
// are read apart from the lines, which are far smaller: the list shows first, its search waits.
class FoldedTexts {
public:
    // Makes room for about that many sales and bytes: filling a large buffer in fresh memory
    // otherwise costs more than reading it.
    void Reserve(std::size_t sales, std::size_t bytes);
    void Append(std::int64_t id, std::string_view folded);

    std::size_t size() const { return ids_.size(); }
    std::int64_t Id(std::size_t k) const { return ids_[k]; }
    std::string_view Text(std::size_t k) const;

private:
    std::vector<std::int64_t> ids_;
    std::vector<std::size_t> ends_;  // where each text ends in bytes_
    std::vector<std::uint8_t> bytes_;
};

// The sales of the history, latest first, held in memory with their folded texts so that the
// list fills and searches without reading the file again.
class SentSalesList {
public:
    // Moved, never copied: each sale's search text is a view into the list's own texts.
    SentSalesList() = default;
    SentSalesList(SentSalesList&&) = default;
    SentSalesList& operator=(SentSalesList&&) = default;

    void Reserve(std::size_t sales) { entries_.reserve(sales); }
    void Append(const SentSaleLine& line);
    // Puts the sales in order, latest answer first, the last added first among equal times.
    void SortLatestFirst();

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    SentSaleLine operator[](std::size_t position) const;

    // The texts that Find looks at, matched to the sales by their numbers; until they are
    // given, a sale's texts are taken as empty.
    void SetSearchTexts(FoldedTexts texts);
    // Those texts, taken from a list that is replaced: a list read again after sales left the
    // history takes them over, since they are matched by number.
    FoldedTexts SearchTexts() && { return std::move(searchTexts_); }
    // The category names that Find looks at: those of cdsCategorie, by ID.
    void SetCategoryNames(const Table& cdsCategorie);

    // The positions, in order, of the sales whose title, reference, description or one of
    // whose categories' names hold every word typed, case and accents ignored, as the category
    // search compares them; every position when no word is typed.
    std::vector<std::size_t> Find(std::string_view typed) const;
    // Find among these positions only, in their order.
    std::vector<std::size_t> FindAmong(std::string_view typed,
                                       const std::vector<std::size_t>& positions) const;

private:
    struct Entry {
        std::int64_t id;
        std::int64_t answeredAt;
        std::optional<Money> prix;
        std::size_t text;  // in texts_: the login, the title and the reference one after another
        std::uint32_t loginLength, libelleLength, referenceLength;
        std::array<std::int32_t, 3> categorie;  // 0 for none
        std::string_view folded;                // in searchTexts_
    };

    std::vector<std::size_t> Search(std::string_view typed,
                                    const std::vector<std::size_t>* among) const;
    bool InCategoryNamed(const Entry& entry, const std::vector<std::int32_t>& named) const;

    std::vector<Entry> entries_;
    std::string texts_;
    FoldedTexts searchTexts_;
    std::unordered_map<std::int32_t, std::string> foldedCategoryNames_;
};

}  // namespace offrel
