#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace offrel {

// Windows-1252 text as the category search compares it: lower case and without accents, so
// that "Vélos" and "VELOS" both read "velos"; ligatures are spelt out ("œ" gives "oe", "ß"
// "ss"); typographic apostrophes and quotes are the typewriter's (’ gives ', « and “ give ").
// Every other byte stays as it is.
std::string FoldForSearch(std::string_view text);

// The words of a typed text, folded: the pieces between blanks (space, tab, no-break space).
std::vector<std::string> SearchWords(std::string_view typed);

}  // namespace offrel
