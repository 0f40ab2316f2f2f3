#include "history/Relisting.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/FileNames.h"
#include "tables/Rows.h"

namespace offrel {

std::vector<std::string> MissingPhotos(const std::vector<SentSale>& sales) {
    std::vector<std::string> missing;
    for (const SentSale& sent : sales) {
        for (const std::optional<std::string>& photo : sent.sale.photo) {
            if (!photo || photo->empty()) continue;
            if (std::find(missing.begin(), missing.end(), *photo) != missing.end()) continue;
            // A folder or a file that cannot be looked at is no photo the upload can send.
            std::error_code error;
            if (!std::filesystem::is_regular_file(FileSystemName(*photo), error))
                missing.push_back(*photo);
        }
    }
    return missing;
}

void Relist(Table& cdsVente, const std::vector<SentSale>& sales) {
    for (const SentSale& sent : sales) {
        cdsVente.Append();
        WriteSale(cdsVente, sent.sale);
        cdsVente.Post();
    }
}

}  // namespace offrel
