#include "sale/SalesFinder.h"

#include <algorithm>
#include <numeric>

#include "sale/SearchText.h"
#include "tables/Rows.h"

namespace offrel {

namespace {

// Whether every earlier word is part of one of the new ones: each sale the new words find, the
// earlier ones found.
bool Narrows(const std::vector<std::string>& earlier, const std::vector<std::string>& words) {
    return std::all_of(earlier.begin(), earlier.end(), [&words](const std::string& old) {
        return std::any_of(words.begin(), words.end(), [&old](const std::string& word) {
            return word.find(old) != std::string::npos;
        });
    });
}

// A sort key: numbers compare as numbers, texts as folded texts (held by the finder or by the
// ranking).
struct Key {
    std::int64_t number = 0;
    std::string_view text;
    bool operator<(const Key& other) const {
        return number != other.number ? number < other.number : text < other.text;
    }
    bool operator==(const Key& other) const = default;
};

}  // namespace

SalesFinder::SalesFinder(const Table& cdsVente, SaleListCells& cells)
    : cdsVente_(cdsVente), cells_(cells) {}

void SalesFinder::Forget() {
    textsRead_ = false;
    texts_.clear();
    starts_.clear();
    titleEnds_.clear();
    lastValid_ = false;
    lastFound_.clear();
    for (std::vector<std::int32_t>& ranks : ranks_) ranks.clear();
}

void SalesFinder::ReadTexts() {
    const int count = cdsVente_.RecordCount();
    starts_.reserve(static_cast<std::size_t>(count) + 1);
    titleEnds_.reserve(static_cast<std::size_t>(count));
    for (int position = 0; position < count; ++position) {
        const Sale sale = ReadSale(cdsVente_, position);
        starts_.push_back(static_cast<std::uint32_t>(texts_.size()));
        // A line break between the parts: no typed word holds one, so none spans two parts.
        texts_ += FoldForSearch(sale.libelle.value_or(""));
        titleEnds_.push_back(static_cast<std::uint32_t>(texts_.size()));
        texts_ += '\n' + FoldForSearch(sale.reference.value_or("")) + '\n' +
                  FoldForSearch(sale.description.value_or(""));
        for (const std::optional<std::int32_t>& category : sale.categorie)
            if (category.value_or(0) > 0)
                texts_ += '\n' + FoldForSearch(cells_.CategoryName(*category));
    }
    starts_.push_back(static_cast<std::uint32_t>(texts_.size()));
    textsRead_ = true;
}

bool SalesFinder::Matches(int position, const std::vector<std::string>& words) const {
    const std::string_view text(texts_.data() + starts_[position],
                                starts_[position + 1] - starts_[position]);
    return std::all_of(words.begin(), words.end(), [text](const std::string& word) {
        return text.find(word) != std::string_view::npos;
    });
}

const std::vector<std::int32_t>& SalesFinder::Ranks(ListColumn column) {
    std::vector<std::int32_t>& ranks = ranks_[static_cast<int>(column)];
    const int count = cdsVente_.RecordCount();
    if (static_cast<int>(ranks.size()) == count) return ranks;
    std::vector<Key> keys(static_cast<std::size_t>(count));
    std::vector<std::string> folded;  // the texts of the keys of a column other than the title
    if (column == ListColumn::Reference || column == ListColumn::Categorie ||
        (column == ListColumn::Libelle && !textsRead_))
        folded.resize(static_cast<std::size_t>(count));
    for (int position = 0; position < count; ++position) {
        Key& key = keys[position];
        // The title and the price are read alone: they are the sorts of a long list.
        if (column == ListColumn::Libelle) {
            if (textsRead_) {
                key.text = std::string_view(texts_).substr(
                    starts_[position], titleEnds_[position] - starts_[position]);
            } else {
                const Value title = cdsVente_.ValueAt(position, SaleColumn::kLibelle);
                if (const auto* text = std::get_if<std::string>(&title))
                    folded[position] = FoldForSearch(*text);
                key.text = folded[position];
            }
            continue;
        }
        if (column == ListColumn::Prix) {
            // No price comes before any price.
            const Value price = cdsVente_.ValueAt(position, SaleColumn::kPrix);
            const Money* amount = std::get_if<Money>(&price);
            key.number = amount ? amount->Ticks() : INT64_MIN;
            continue;
        }
        const Sale sale = ReadSale(cdsVente_, position);
        switch (column) {
            case ListColumn::Libelle:
            case ListColumn::Prix:
                break;
            case ListColumn::Reference:
                folded[position] = FoldForSearch(sale.reference.value_or(""));
                key.text = folded[position];
                break;
            case ListColumn::Categorie: {
                const std::optional<std::int32_t> first = SaleListCells::FirstCategory(sale);
                if (first) folded[position] = FoldForSearch(cells_.CategoryName(*first));
                key.text = folded[position];
                break;
            }
            case ListColumn::Photos:
                key.number = SaleListCells::PhotoCount(sale);
                break;
            case ListColumn::Options:
                key.number = cells_.OptionsCost(sale).Ticks();
                break;
            case ListColumn::Type:
                key.number = sale.typeVente ? static_cast<std::int32_t>(*sale.typeVente) : -1;
                break;
            case ListColumn::Duree:
                key.number =
                    sale.dureeTypeVente ? static_cast<std::int32_t>(*sale.dureeTypeVente) : -1;
                break;
        }
    }
    std::vector<std::int32_t> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&keys](std::int32_t a, std::int32_t b) { return keys[a] < keys[b]; });
    ranks.assign(static_cast<std::size_t>(count), 0);
    std::int32_t rank = 0;
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (k > 0 && !(keys[order[k - 1]] == keys[order[k]])) ++rank;
        ranks[order[k]] = rank;
    }
    return ranks;
}

std::vector<int> SalesFinder::Shown(std::string_view typed, const std::optional<ListSort>& sort) {
    const std::vector<std::string> words = SearchWords(typed);
    std::vector<int> shown;
    if (words.empty()) {
        shown.resize(static_cast<std::size_t>(cdsVente_.RecordCount()));
        std::iota(shown.begin(), shown.end(), 0);
    } else {
        if (!textsRead_) ReadTexts();
        if (lastValid_ && Narrows(lastWords_, words)) {
            for (int position : lastFound_)
                if (Matches(position, words)) shown.push_back(position);
        } else {
            for (int position = 0; position < cdsVente_.RecordCount(); ++position)
                if (Matches(position, words)) shown.push_back(position);
        }
        lastWords_ = words;
        lastFound_ = shown;
        lastValid_ = true;
    }
    if (sort) {
        const std::vector<std::int32_t>& ranks = Ranks(sort->column);
        const bool descending = sort->descending;
        std::sort(shown.begin(), shown.end(), [&ranks, descending](int a, int b) {
            if (ranks[a] != ranks[b]) return descending ? ranks[a] > ranks[b] : ranks[a] < ranks[b];
            return a < b;
        });
    }
    return shown;
}

}  // namespace offrel
