#pragma once

#include <filesystem>
#include <string>
#include <unordered_set>

namespace offrel::site {

// The option list and the category tree that the site serves, as the bytes of their files, and
// the category identifiers that a sale may name.
class SiteCatalogue {
public:
    // Reads DIR/Options.csv and DIR/Categories.csv; throws std::runtime_error when one is missing.
    static SiteCatalogue Load(const std::filesystem::path& dir);
    // The catalogue shipped beside the executable, in site-catalogue/.
    static std::filesystem::path ShippedDirectory();

    const std::string& Options() const { return options_; }
    const std::string& Categories() const { return categories_; }
    bool HasCategory(int id) const { return categoryIds_.contains(id); }

private:
    std::string options_;
    std::string categories_;
    std::unordered_set<int> categoryIds_;
};

}  // namespace offrel::site
