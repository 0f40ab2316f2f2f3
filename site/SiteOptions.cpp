#include "site/SiteOptions.h"

#include <charconv>
#include <stdexcept>
#include <string_view>

#include "base/Windows1252.h"

namespace offrel::site {

const char* const kSiteUsage =
    "usage: offrel-site [--port N] [--catalogue DIR] [--store DIR] [--login L] [--password P]\n"
    "                   [--delay MS] [--throttle KBPS]";

namespace {

int ParseNumber(std::string_view name, std::string_view text, int maximum) {
    int number = -1;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number < 0 || number > maximum)
        throw std::invalid_argument(std::string(name) + " needs a number from 0 to " +
                                    std::to_string(maximum) + ", not '" + std::string(text) + "'");
    return number;
}

}  // namespace

SiteOptions ParseSiteOptions(int argc, const char* const* argv) {
    SiteOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string_view name = argv[i];
        if (i + 1 >= argc) throw std::invalid_argument("missing value after " + std::string(name));
        std::string_view value = argv[++i];
        if (name == "--port") {
            options.port = ParseNumber(name, value, 65535);
        } else if (name == "--catalogue") {
            options.catalogue = std::filesystem::path(value);
        } else if (name == "--store") {
            options.store = std::filesystem::path(value);
        } else if (name == "--login") {
            options.login = Utf8ToWindows1252(value);  // the terminal speaks UTF-8, the wire not
        } else if (name == "--password") {
            options.password = Utf8ToWindows1252(value);
        } else if (name == "--delay") {
            options.delay = std::chrono::milliseconds(ParseNumber(name, value, 60000));
        } else if (name == "--throttle") {
            options.throttle = ParseNumber(name, value, 1 << 20);
        } else {
            throw std::invalid_argument("unknown option " + std::string(name));
        }
    }
    return options;
}

}  // namespace offrel::site
