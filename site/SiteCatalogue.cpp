#include "site/SiteCatalogue.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string_view>

namespace offrel::site {

namespace {

std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The identifier is the first field of each line; a line without one names no category.
std::unordered_set<int> CategoryIds(std::string_view file) {
    std::unordered_set<int> ids;
    while (!file.empty()) {
        std::size_t end = file.find('\n');
        std::string_view line = file.substr(0, end);
        file = end == std::string_view::npos ? std::string_view() : file.substr(end + 1);
        std::string_view field = line.substr(0, line.find(';'));
        int id = 0;
        auto [last, error] = std::from_chars(field.data(), field.data() + field.size(), id);
        if (error == std::errc() && last == field.data() + field.size()) ids.insert(id);
    }
    return ids;
}

}  // namespace

SiteCatalogue SiteCatalogue::Load(const std::filesystem::path& dir) {
    SiteCatalogue catalogue;
    catalogue.options_ = ReadWholeFile(dir / "Options.csv");
    catalogue.categories_ = ReadWholeFile(dir / "Categories.csv");
    catalogue.categoryIds_ = CategoryIds(catalogue.categories_);
    return catalogue;
}

std::filesystem::path SiteCatalogue::ShippedDirectory() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::current_path() : exe.parent_path()) / "site-catalogue";
}

}  // namespace offrel::site
