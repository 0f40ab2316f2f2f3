#include "import/SheetPhotos.h"

#include <sys/stat.h>

#include <filesystem>

#include "base/FileNames.h"

namespace offrel {

namespace {

// A path that lexical normalisation leaves as it is: no "." or ".." part and no doubled "/".
// A trailing "/" stays, as the normal form keeps it.
bool IsNormal(std::string_view path) {
    std::size_t at = path.starts_with('/') ? 1 : 0;
    while (at < path.size()) {
        const std::size_t slash = path.find('/', at);
        const std::string_view part =
            path.substr(at, slash == std::string_view::npos ? std::string_view::npos : slash - at);
        if (part.empty() || part == "." || part == "..") return false;
        if (slash == std::string_view::npos) break;
        at = slash + 1;
    }
    return true;
}

}  // namespace

SheetPhotos::SheetPhotos(const std::string& folder)
    : folder_(folder), normalFolder_(std::filesystem::path(folder).lexically_normal().string()) {}

std::optional<std::string> SheetPhotos::Path(std::string_view utf8) const {
    std::string whole;
    if (!IsNormal(utf8) || normalFolder_.empty()) {
        std::filesystem::path path(utf8);
        if (path.is_relative()) path = std::filesystem::path(folder_) / path;
        whole = path.lexically_normal().string();
    } else if (utf8.starts_with('/')) {
        whole = utf8;
    } else {
        // The normal folder joined to a normal relative path is already normal.
        whole.reserve(normalFolder_.size() + 1 + utf8.size());
        whole = normalFolder_;
        if (!whole.ends_with('/')) whole.push_back('/');
        whole += utf8;
    }
    return PathFromFileSystemName(whole);
}

bool SheetPhotos::Exists(const std::string& path) {
    const auto [known, added] = exists_.try_emplace(path, false);
    if (added) {
        struct stat status {};
        known->second =
            ::stat(FileSystemName(path).c_str(), &status) == 0 && S_ISREG(status.st_mode);
    }
    return known->second;
}

}  // namespace offrel
