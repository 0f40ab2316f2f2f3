#include "base/Error.h"

#include <langinfo.h>

#include <cstring>

#include "base/Windows1252.h"

namespace offrel {

std::string SystemReason(int error) {
    char buffer[256];
    const char* text = ::strerror_r(error, buffer, sizeof buffer);
    if (std::strcmp(::nl_langinfo(CODESET), "UTF-8") == 0) return Utf8ToWindows1252(text);
    return text;
}

std::string FormatMessage(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(pattern.size() + 32);
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' &&
            next != args.end()) {
            out.append(*next++);
            ++i;
        } else {
            out.push_back(pattern[i]);
        }
    }
    return out;
}

}  // namespace offrel
