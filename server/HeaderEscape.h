#pragma once

#include <string>
#include <string_view>

namespace offrel {

// A part name or a file name as it may stand between the double quotes of a part's header: a
// double quote, CR or LF would end the header early, so they are written %22, %0D and %0A, as
// browsers do; every other byte stays as it is.
std::string EscapeHeaderQuoted(std::string_view text);

}  // namespace offrel
