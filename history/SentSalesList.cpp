#include "history/SentSalesList.h"

#include <string.h>

#include <algorithm>

#include "sale/SearchText.h"
#include "tables/Rows.h"

namespace offrel {

namespace {

// Keeps the title, the reference and the description apart, so that a word never spans two.
constexpr char kFieldBreak = '\n';

bool Holds(std::string_view text, const std::string& word) {
    return ::memmem(text.data(), text.size(), word.data(), word.size()) != nullptr;
}

}  // namespace

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
    entry.folded = folded_.size();
    folded_.append(FoldForSearch(line.libelle)).push_back(kFieldBreak);
    folded_.append(FoldForSearch(line.reference)).push_back(kFieldBreak);
    folded_.append(FoldForSearch(line.description));
    entry.foldedLength = folded_.size() - entry.folded;
    for (std::size_t k = 0; k < entry.categorie.size(); ++k)
        entry.categorie[k] = line.categorie[k].value_or(0);
    entries_.push_back(entry);
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
        const std::string_view text(folded_.data() + entry.folded, entry.foldedLength);
        bool holdsAll = true;
        for (std::size_t w = 0; w < words.size() && holdsAll; ++w)
            holdsAll = Holds(text, words[w]) || InCategoryNamed(entry, named[w]);
        if (holdsAll) found.push_back(position);
    }
    return found;
}

}  // namespace offrel
