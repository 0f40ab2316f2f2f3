#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace offrel {

// The photos that the lines of one sheet name: where each is, and whether it is there.
class SheetPhotos {
public:
    // folder: the sheet's folder, a whole file-system name.
    explicit SheetPhotos(const std::string& folder);

    // The stored path of a photo cell written in UTF-8: whole, a relative path taken from the
    // sheet's folder, in its lexically normal form; nothing when it holds a character that
    // Windows-1252 cannot write, since such a path could not name its file again once stored.
    std::optional<std::string> Path(std::string_view utf8) const;

    // Whether the stored path names an existing file and not a folder. The file system is asked
    // once for each path during the import: a sheet often names one photo on many lines.
    bool Exists(const std::string& path);

private:
    std::string folder_;
    std::string normalFolder_;
    std::unordered_map<std::string, bool> exists_;
};

}  // namespace offrel
