#pragma once

#include <optional>
#include <string>

#include "site/ReceivedSale.h"
#include "site/SiteCatalogue.h"

namespace offrel::site {

struct Account {
    std::string login;
    std::string password;
};

// The refusal text (French, Windows-1252) naming the first problem of a "putVente" request, or
// nothing when the site accepts the sale.
std::optional<std::string> CheckSale(const ReceivedSale& sale, const Account& account,
                                     const SiteCatalogue& catalogue);

}  // namespace offrel::site
