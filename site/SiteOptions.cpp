#include "site/SiteOptions.h"

#include <charconv>
#include <stdexcept>
#include <string_view>

#include "base/Windows1252.h"

namespace offrel::site {

const char* const kSiteUsage =
    "usage: offrel-site [--port N] [--catalogue DIR] [--store DIR] [--login L] [--password P]\n"
    "                   [--delay MS] [--throttle KBPS] [--accepted-answer TEXT]\n"
    "                   [--tls-cert PEM --tls-key PEM]";

namespace {

int ParseNumber(std::string_view name, std::string_view text, int maximum) {
    int number = -1;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number < 0 || number > maximum)
        throw std::invalid_argument(std::string(name) + " needs a number from 0 to " +
                                    std::to_string(maximum) + ", not '" + std::string(text) + "'");
    return number;
}

// The text with its escapes \r, \n and \\ written out.
std::string Unescaped(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            plain += text[i];
            continue;
        }
        const char next = i + 1 < text.size() ? text[++i] : '\0';
        if (next == 'r')
            plain += '\r';
        else if (next == 'n')
            plain += '\n';
        else if (next == '\\')
            plain += '\\';
        else
            throw std::invalid_argument(
                "--accepted-answer knows only the escapes \\r, \\n and \\\\");
    }
    return plain;
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
        } else if (name == "--accepted-answer") {
            options.acceptedAnswer = Utf8ToWindows1252(Unescaped(value));
        } else if (name == "--tls-cert") {
            options.tlsCert = std::filesystem::path(value);
        } else if (name == "--tls-key") {
            options.tlsKey = std::filesystem::path(value);
        } else {
            throw std::invalid_argument("unknown option " + std::string(name));
        }
    }
    if (options.tlsCert.empty() != options.tlsKey.empty())
        throw std::invalid_argument("--tls-cert and --tls-key go together");
    return options;
}

}  // namespace offrel::site
