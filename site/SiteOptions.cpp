#include "site/SiteOptions.h"

#include <charconv>
#include <stdexcept>
#include <string_view>

#include "tables/Windows1252.h"

namespace offrel::site {

const char* const kSiteUsage =
    "usage: offrel-site [--port N] [--catalogue DIR] [--store DIR] [--login L] [--password P]";

namespace {

int ParsePort(std::string_view text) {
    int port = -1;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port < 0 || port > 65535)
        throw std::invalid_argument("--port needs a number from 0 to 65535, not '" +
                                    std::string(text) + "'");
    return port;
}

}  // namespace

SiteOptions ParseSiteOptions(int argc, const char* const* argv) {
    SiteOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string_view name = argv[i];
        if (i + 1 >= argc) throw std::invalid_argument("missing value after " + std::string(name));
        std::string_view value = argv[++i];
        if (name == "--port") {
            options.port = ParsePort(value);
        } else if (name == "--catalogue") {
            options.catalogue = std::filesystem::path(value);
        } else if (name == "--store") {
            options.store = std::filesystem::path(value);
        } else if (name == "--login") {
            options.login = Utf8ToWindows1252(value);  // the terminal speaks UTF-8, the wire not
        } else if (name == "--password") {
            options.password = Utf8ToWindows1252(value);
        } else {
            throw std::invalid_argument("unknown option " + std::string(name));
        }
    }
    return options;
}

}  // namespace offrel::site
