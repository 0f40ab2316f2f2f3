#include "sale/RecentCategories.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <string_view>

#include "base/Error.h"
#include "base/Files.h"

namespace offrel {

namespace {

std::string FilePath(const std::string& folder) {
    return (std::filesystem::path(folder) / kRecentCategoriesFile).string();
}

// A category ID as the file writes it: decimal digits without a leading zero, 1 or more.
bool ParseId(std::string_view line, std::int32_t& id) {
    if (line.empty() || line.front() == '0') return false;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), id);
    return error == std::errc() && end == line.data() + line.size() && id >= 1;
}

std::vector<std::int32_t> Parse(std::string_view text) {
    std::vector<std::int32_t> ids;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::int32_t id = 0;
        if (end == std::string_view::npos || !ParseId(text.substr(0, end), id) ||
            ids.size() == kRecentCategoryCount ||
            std::find(ids.begin(), ids.end(), id) != ids.end())
            return {};
        ids.push_back(id);
        text.remove_prefix(end + 1);
    }
    return ids;
}

}  // namespace

std::vector<std::int32_t> LoadRecentCategories(const std::string& folder) {
    try {
        const std::vector<std::uint8_t> bytes = ReadWholeFile(FilePath(folder));
        return Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const Error&) {
        return {};
    }
}

void KeepRecentCategories(const std::string& folder, const std::array<std::int32_t, 3>& slots) {
    std::vector<std::int32_t> recent;
    for (std::int32_t id : slots)
        if (id >= 1 && std::find(recent.begin(), recent.end(), id) == recent.end())
            recent.push_back(id);
    if (recent.empty()) return;
    for (std::int32_t id : LoadRecentCategories(folder))
        if (recent.size() < kRecentCategoryCount &&
            std::find(recent.begin(), recent.end(), id) == recent.end())
            recent.push_back(id);
    std::string text;
    for (std::int32_t id : recent) text += std::to_string(id) + '\n';
    try {
        WriteFileAtomically(FilePath(folder), std::vector<std::uint8_t>(text.begin(), text.end()));
    } catch (const Error&) {
        // The former list stays: see the header.
    }
}

}  // namespace offrel
