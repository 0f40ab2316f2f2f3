#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace offrel {

// What the site's answer to "putVente" tells of the sale.
enum class SaleAnswer {
    Accepted,       // stored
    Refused,        // answered with a reason: not stored
    NotUnderstood,  // the site may or may not have stored it
};

// The most of an answer to "putVente" that is read: a refusal's text is far shorter.
inline constexpr std::size_t kSaleAnswerLimit = 16 * 1024;

// "OK", maybe followed by blanks and line ends, accepts the sale. A refusal is a text of the
// site's: printable lines, no markup. Anything else is not understood: nothing at all, a page of
// HTML, bytes that are not text, "OK" in another case or after blanks, an answer cut at
// kSaleAnswerLimit.
SaleAnswer ReadSaleAnswer(std::string_view answer);

// The beginning of a text from the site as a message shows it: at most a few lines, each of a
// bounded length, "…" where something was left out; line ends as "\n", blank lines at either end
// dropped.
std::string ShownSiteText(std::string_view text);

}  // namespace offrel
