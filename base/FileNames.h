#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace offrel {

// A path is Windows-1252 text in the tables, in the messages and on the wire (the photo part's
// filename); the file system of this platform names files in UTF-8. Every access to a file whose
// path the core holds as text goes through FileSystemName.
std::string FileSystemName(std::string_view path);

// The path, as the tables hold it, of a file-system name; nothing when the name is not UTF-8 or
// holds a character that Windows-1252 cannot write (a letter of another script): such a path
// could not name its file again once stored.
std::optional<std::string> PathFromFileSystemName(std::string_view name);

// A file-system name inside a message; a character that Windows-1252 lacks shows as "?".
std::string ShownFileSystemName(std::string_view name);

}  // namespace offrel
