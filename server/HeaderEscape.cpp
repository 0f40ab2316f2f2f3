#include "server/HeaderEscape.h"

namespace offrel {

std::string EscapeHeaderQuoted(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '"':
                out.append("%22");
                break;
            case '\r':
                out.append("%0D");
                break;
            case '\n':
                out.append("%0A");
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

}  // namespace offrel
