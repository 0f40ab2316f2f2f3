#include "history/SentSalesList.h"

#include <string.h>

#include <algorithm>

#include "sale/SearchText.h"
#include "tables/LargeBuffer.h"
#include "tables/Rows.h"

namespace offrel {

namespace {

// Keeps the title, the reference and the description apart, so that a word never spans two.
constexpr char kFieldBreak = '\n';

bool Holds(std::string_view text, const std::string& word) {
    return text.size() >= word.size() &&
           ::memmem(text.data(), text.size(), word.data(), word.size()) != nullptr;
}

}  // namespace

std::string FoldedSearchText(std::string_view libelle, std::string_view reference,
                             std::string_view description) {
    return FoldForSearch(libelle) + kFieldBreak + FoldForSearch(reference) + kFieldBreak +
           FoldForSearch(description);
}

void FoldedTexts::Reserve(std::size_t sales, std::size_t bytes) {
    ids_.reserve(sales);
    ends_.reserve(sales);
    ReserveLarge(bytes_, bytes);
}

void FoldedTexts::Append(std::int64_t id, std::string_view folded) {
    if (bytes_.capacity() - bytes_.size() < folded.size())
        ReserveLarge(bytes_, std::max(bytes_.size() + folded.size(), 2 * bytes_.capacity()));
    bytes_.insert(bytes_.end(), folded.begin(), folded.end());
    ids_.push_back(id);
    ends_.push_back(bytes_.size());
}

std::string_view FoldedTexts::Text(std::size_t k) const {
    const std::size_t begin = k == 0 ? 0 : ends_[k - 1];
    return {reinterpret_cast<const char*>(bytes_.data()) + begin, ends_[k] - begin};
}

void SentSalesList::Append(const SentSaleLine& line) {
    Entry entry{};
    entry.id = line.id;
    entry.answeredAt = line.answeredAt;
    entry.prix = line.prix;
    entry.text = texts_.size();
    entry.loginLength = static_cast<std::uint32_t>(line.login.size());
    entry.libelleLength = static_cast<std::uint32_t>(line.libelle.size());
    entry.referenceLength = static_cast<std::uint32_t>(line.reference.size());
    texts_.append(line.login).append(line.libelle).append(line.reference);
    for (std::size_t k = 0; k < entry.categorie.size(); ++k)
        entry.categorie[k] = line.categorie[k].value_or(0);
    entries_.push_back(entry);
}

void SentSalesList::SetSearchTexts(FoldedTexts texts) {
    searchTexts_ = std::move(texts);
    // Both in the order of their numbers, then side by side.
    std::vector<std::pair<std::int64_t, std::size_t>> byId;
    byId.reserve(entries_.size());
    for (std::size_t position = 0; position < entries_.size(); ++position)
        byId.emplace_back(entries_[position].id, position);
    std::sort(byId.begin(), byId.end());
    std::vector<std::size_t> order(searchTexts_.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return searchTexts_.Id(a) < searchTexts_.Id(b);
    });
    auto text = order.begin();
    for (const auto& [id, position] : byId) {
        while (text != order.end() && searchTexts_.Id(*text) < id) ++text;
        entries_[position].folded = text != order.end() && searchTexts_.Id(*text) == id
                                        ? searchTexts_.Text(*text)
                                        : std::string_view();
    }
}

void SentSalesList::SortLatestFirst() {
    const auto later = [](const Entry& a, const Entry& b) {
        return a.answeredAt != b.answeredAt ? a.answeredAt > b.answeredAt : a.id > b.id;
    };
    // Sales are added as their answers come, so the order is nearly always right already.
    if (!std::is_sorted(entries_.begin(), entries_.end(), later))
        std::sort(entries_.begin(), entries_.end(), later);
}

SentSaleLine SentSalesList::operator[](std::size_t position) const {
    const Entry& entry = entries_[position];
    const std::string_view text(texts_);
    SentSaleLine line;
    line.id = entry.id;
    line.answeredAt = entry.answeredAt;
    line.prix = entry.prix;
    line.login = text.substr(entry.text, entry.loginLength);
    line.libelle = text.substr(entry.text + entry.loginLength, entry.libelleLength);
    line.reference =
        text.substr(entry.text + entry.loginLength + entry.libelleLength, entry.referenceLength);
    for (std::size_t k = 0; k < entry.categorie.size(); ++k)
        if (entry.categorie[k] != 0) line.categorie[k] = entry.categorie[k];
    return line;
}

void SentSalesList::SetCategoryNames(const Table& cdsCategorie) {
    foldedCategoryNames_.clear();
    for (int row = 0; row < cdsCategorie.RecordCount(); ++row) {
        const CategoryRow category = ReadCategory(cdsCategorie, row);
        if (category.id && category.libelle)
            foldedCategoryNames_.try_emplace(*category.id, FoldForSearch(*category.libelle));
    }
}

bool SentSalesList::InCategoryNamed(const Entry& entry,
                                    const std::vector<std::int32_t>& named) const {
    return std::any_of(entry.categorie.begin(), entry.categorie.end(), [&](std::int32_t id) {
        return id != 0 && std::binary_search(named.begin(), named.end(), id);
    });
}

std::vector<std::size_t> SentSalesList::Find(std::string_view typed) const {
    return Search(typed, nullptr);
}

std::vector<std::size_t> SentSalesList::FindAmong(std::string_view typed,
                                                  const std::vector<std::size_t>& positions) const {
    return Search(typed, &positions);
}

std::vector<std::size_t> SentSalesList::Search(std::string_view typed,
                                               const std::vector<std::size_t>* among) const {
    const std::vector<std::string> words = SearchWords(typed);
    // For each word, the categories whose names hold it, sorted.
    std::vector<std::vector<std::int32_t>> named(words.size());
    for (std::size_t w = 0; w < words.size(); ++w) {
        for (const auto& [id, name] : foldedCategoryNames_)
            if (Holds(name, words[w])) named[w].push_back(id);
        std::sort(named[w].begin(), named[w].end());
    }
    std::vector<std::size_t> found;
    const auto look = [&](std::size_t position) {
        const Entry& entry = entries_[position];
        bool holdsAll = true;
        for (std::size_t w = 0; w < words.size() && holdsAll; ++w)
            holdsAll = Holds(entry.folded, words[w]) || InCategoryNamed(entry, named[w]);
        if (holdsAll) found.push_back(position);
    };
    if (among) {
        for (const std::size_t position : *among) look(position);
    } else {
        for (std::size_t position = 0; position < entries_.size(); ++position) look(position);
    }
    return found;
}

}  // namespace offrel
