#include "sale/CategorySearch.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>
#include <unordered_set>

#include "sale/SearchText.h"
#include "tables/Rows.h"

namespace offrel {

namespace {

constexpr int kSeventhList = 6;  // the depth of the deepest drop-down list
// The site's tree has nine levels; a damaged catalogue may chain thousands, and the paths of a
// walk down such a chain would grow with the square of its length. Nothing below this depth is
// walked.
constexpr std::size_t kDeepestWalked = 64;
constexpr std::uint32_t kNone = UINT32_MAX;

// A word of the search: a piece of a name, or a category's number as the results show it,
// "#11095", or plainly "11095", which may also stand in a name.
struct Word {
    std::string text;
    std::optional<std::int32_t> number;
    bool numberOnly = false;  // written with "#"

    explicit Word(std::string folded) : text(std::move(folded)) {
        numberOnly = text.size() > 1 && text[0] == '#';
        const std::string_view digits = std::string_view(text).substr(numberOnly ? 1 : 0);
        std::int32_t value = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error == std::errc() && end == digits.data() + digits.size() && !digits.empty() &&
            digits[0] != '-' && digits[0] != '+')
            number = value;
        else
            numberOnly = false;
    }

    bool Finds(std::string_view folded, std::int32_t id) const {
        if (number && *number == id) return true;
        return !numberOnly && folded.find(text) != std::string_view::npos;
    }
};

bool HoldsEvery(std::string_view folded, std::int32_t id, const std::vector<Word>& words) {
    return std::all_of(words.begin(), words.end(),
                       [folded, id](const Word& word) { return word.Finds(folded, id); });
}

// The rows of cdsCategorie as the drop-down lists see them.
struct Rows {
    std::vector<std::int32_t> ids;
    std::vector<std::string> names;
    std::vector<std::uint32_t> firstChild, nextSibling;  // kNone: none
    std::vector<std::uint32_t> tops;
    std::unordered_set<std::int32_t> parentIds;  // the ParentID of every row after the first

    explicit Rows(const Table& table) {
        const auto count = static_cast<std::uint32_t>(table.RecordCount());
        ids.resize(count);
        names.resize(count);
        firstChild.assign(count, kNone);
        nextSibling.assign(count, kNone);
        std::vector<std::int32_t> parents(count);
        std::unordered_map<std::int32_t, std::uint32_t> rowOfId;
        for (std::uint32_t row = 0; row < count; ++row) {
            const int at = static_cast<int>(row);
            ids[row] = ValueAs<std::int32_t>(table.ValueAt(at, CategoryColumn::kId));
            parents[row] = ValueAs<std::int32_t>(table.ValueAt(at, CategoryColumn::kParentId));
            names[row] = ValueAs<std::string>(table.ValueAt(at, CategoryColumn::kLibelle));
            rowOfId.emplace(ids[row], row);
        }
        // Each parent chains its children in the order of the rows, as its list shows them.
        std::vector<std::uint32_t> lastChild(count, kNone);
        for (std::uint32_t row = 0; row < count; ++row) {
            if (row == 0 || parents[row] == 0) {
                tops.push_back(row);
                continue;
            }
            parentIds.insert(parents[row]);
            const auto parent = rowOfId.find(parents[row]);
            if (parent == rowOfId.end()) continue;
            const std::uint32_t p = parent->second;
            if (lastChild[p] == kNone)
                firstChild[p] = row;
            else
                nextSibling[lastChild[p]] = row;
            lastChild[p] = row;
        }
    }

    bool MayBeAdded(std::uint32_t row, std::size_t depth) const {
        if (ids[row] < 1 || depth == 0) return false;
        return depth == kSeventhList || !parentIds.contains(ids[row]);
    }
};

}  // namespace

CategorySearch::CategorySearch(const Table& cdsCategorie) {
    const Rows rows(cdsCategorie);
    // A walk down the tree that keeps the path of the category it stands on.
    struct Step {
        std::uint32_t row;
        std::uint32_t nextChild;
        std::size_t pathLength, foldedLength;  // of the parent's path
    };
    std::vector<Step> walk;
    std::string path, folded;
    auto enter = [&](std::uint32_t row) {
        const bool deeper = walk.size() < kDeepestWalked;
        walk.push_back({row, deeper ? rows.firstChild[row] : kNone, path.size(), folded.size()});
        if (walk.size() > 1) {
            path += " > ";
            folded += '\n';
        }
        const std::size_t foldedStart = folded.size();
        path += rows.names[row];
        folded += FoldForSearch(rows.names[row]);
        if (!rows.MayBeAdded(row, walk.size() - 1)) return;
        entries_.push_back({rows.ids[row], static_cast<std::uint32_t>(paths_.size()),
                            static_cast<std::uint32_t>(path.size()),
                            static_cast<std::uint32_t>(rows.names[row].size()),
                            static_cast<std::uint32_t>(folded_.size()),
                            static_cast<std::uint32_t>(folded.size()),
                            static_cast<std::uint32_t>(folded.size() - foldedStart)});
        paths_ += path;
        folded_ += folded;
    };
    for (std::uint32_t top : rows.tops) {
        enter(top);
        while (!walk.empty()) {
            Step& step = walk.back();
            if (step.nextChild != kNone) {
                const std::uint32_t child = step.nextChild;
                step.nextChild = rows.nextSibling[child];
                enter(child);
            } else {
                path.resize(step.pathLength);
                folded.resize(step.foldedLength);
                walk.pop_back();
            }
        }
    }
}

CategorySearch::Category CategorySearch::At(const Entry& entry) const {
    std::string path = paths_.substr(entry.path, entry.pathLength);
    std::string libelle = path.substr(path.size() - entry.nameLength);
    return {entry.id, std::move(libelle), std::move(path)};
}

std::vector<CategorySearch::Category> CategorySearch::Find(std::string_view typed) const {
    std::vector<Word> words;
    for (std::string& word : SearchWords(typed)) words.emplace_back(std::move(word));
    std::vector<const Entry*> ownName, pathOnly;
    if (!words.empty()) {
        for (const Entry& entry : entries_) {
            const std::string_view path(folded_.data() + entry.folded, entry.foldedLength);
            if (!HoldsEvery(path, entry.id, words)) continue;
            if (HoldsEvery(path.substr(path.size() - entry.foldedNameLength), entry.id, words)) {
                ownName.push_back(&entry);
                if (ownName.size() == kMaxResults) break;
            } else if (pathOnly.size() < kMaxResults) {
                pathOnly.push_back(&entry);
            }
        }
    }
    std::vector<Category> found;
    for (const auto* group : {&ownName, &pathOnly})
        for (const Entry* entry : *group)
            if (found.size() < kMaxResults) found.push_back(At(*entry));
    return found;
}

std::optional<CategorySearch::Category> CategorySearch::ById(std::int32_t id) const {
    for (const Entry& entry : entries_)
        if (entry.id == id) return At(entry);
    return std::nullopt;
}

std::string ResultText(const CategorySearch::Category& category) {
    return category.path + " (#" + std::to_string(category.id) + ")";
}

}  // namespace offrel
