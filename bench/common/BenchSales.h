#pragma once

#include <string>
#include <vector>

#include "tables/Sale.h"
#include "tests/common/RandomSales.h"

namespace offrel::bench {

// Sales as a seller lists them: every field filled, with accents, and a description of about a
// thousand characters.
inline std::vector<Sale> BenchSales(int count) {
    std::vector<std::string> photos;
    for (int k = 0; k < 8; ++k)
        photos.push_back("/home/vendeur/Images/vente " + std::to_string(k) + ".jpg");
    std::vector<Sale> sales = testing::RandomSales(count, 2024, photos);
    const std::string more =
        W(" Très bon état, envoi soigné sous 48 h ; remise en main propre "
          "possible. Frais de port calculés à l'achat, paiement sécurisé.");
    for (Sale& sale : sales)
        while (sale.description->size() < 1000) *sale.description += more;
    return sales;
}

}  // namespace offrel::bench
