#include "base/FileNames.h"

#include "base/Windows1252.h"

namespace offrel {

std::string FileSystemName(std::string_view path) {
    return Windows1252ToUtf8(path);
}

std::optional<std::string> PathFromFileSystemName(std::string_view name) {
    return Utf8ToWindows1252Exactly(name);
}

std::string ShownFileSystemName(std::string_view name) {
    return Utf8ToWindows1252(name);
}

}  // namespace offrel
