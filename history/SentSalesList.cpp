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
    return ::memmem(text.data(), text.size(), word.data(), word.size()) != nullptr;
}

}  // namespace

std::string FoldedSearchText(std::string_view libelle, std::string_view reference,
                             std::string_view description) {
    return FoldForSearch(libelle) + kFieldBreak + FoldForSearch(reference) + kFieldBreak +
           FoldForSearch(description);
}

void SentSalesList::Reserve(std::size_t sales, std::size_t foldedBytes) {
    entries_.reserve(sales);
    ReserveLarge(folded_, foldedBytes);
}

void SentSalesList::Append(const SentSaleLine& line, std::string_view folded) {
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
    entry.folded = folded_.size();
    entry.foldedLength = folded.size();
    if (folded_.capacity() - folded_.size() < folded.size())
        ReserveLarge(folded_, std::max(folded_.size() + folded.size(), 2 * folded_.capacity()));
    folded_.insert(folded_.end(), folded.begin(), folded.end());
    entries_.push_back(entry);
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
    const std::vector<std::string> words = SearchWords(typed);
    // For each word, the categories whose names hold it, sorted.
    std::vector<std::vector<std::int32_t>> named(words.size());
    for (std::size_t w = 0; w < words.size(); ++w) {
        for (const auto& [id, name] : foldedCategoryNames_)
            if (Holds(name, words[w])) named[w].push_back(id);
        std::sort(named[w].begin(), named[w].end());
    }
    std::vector<std::size_t> found;
    for (std::size_t position = 0; position < entries_.size(); ++position) {
        const Entry& entry = entries_[position];
        const std::string_view text(reinterpret_cast<const char*>(folded_.data()) + entry.folded,
                                    entry.foldedLength);
        bool holdsAll = true;
        for (std::size_t w = 0; w < words.size() && holdsAll; ++w)
            holdsAll = Holds(text, words[w]) || InCategoryNamed(entry, named[w]);
        if (holdsAll) found.push_back(position);
    }
    return found;
}

}  // namespace offrel
