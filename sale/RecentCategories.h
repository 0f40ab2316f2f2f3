#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace offrel {

// The categories most recently kept in a saved sale, latest first, so that the search field
// offers them before anything is typed. They live across runs in a small file of the data
// folder, one category ID a line.
constexpr std::size_t kRecentCategoryCount = 10;
constexpr char kRecentCategoriesFile[] = "CategoriesRecentes.txt";

// The IDs kept in the folder (file-system bytes). A missing, unreadable or damaged file (a line
// that is not an ID, an ID twice, more than ten, a cut last line) gives none: the list is a
// convenience, never worth a message.
std::vector<std::int32_t> LoadRecentCategories(const std::string& folder);

// Puts the categories of a saved sale (its three slots; below 1 holds none) at the head of the
// list, slot 1 first, drops what falls beyond ten and writes the file atomically. A file that
// cannot be written keeps its former list: this must never stand in the way of a saved sale.
void KeepRecentCategories(const std::string& folder, const std::array<std::int32_t, 3>& slots);

}  // namespace offrel
