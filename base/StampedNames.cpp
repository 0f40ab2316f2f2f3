#include "base/StampedNames.h"

#include <ctime>
#include <filesystem>

namespace offrel {

std::string FreeStampedName(const std::string& folder, const StampedName& name, std::int64_t time) {
    const std::time_t when = static_cast<std::time_t>(time);
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[64];
    std::strftime(stamp, sizeof stamp, name.stampFormat, &local);
    const std::string base = name.stem + stamp;
    std::filesystem::path path = std::filesystem::path(folder) / (base + name.extension);
    std::error_code error;
    for (int rank = 2; std::filesystem::exists(std::filesystem::symlink_status(path, error));
         ++rank) {
        path = std::filesystem::path(folder) /
               (base + name.rankOpen + std::to_string(rank) + name.rankClose + name.extension);
    }
    return path.string();
}

}  // namespace offrel
