#pragma once

#include <string>
#include <vector>

#include "server/MultipartBody.h"
#include "tables/Table.h"

namespace offrel {

// One part of a "putVente" request that comes from the sale itself (everything after the
// account); a photo part's value is the path of its file.
struct SalePart {
    std::string name;
    std::string value;
    bool photo = false;
};

// The sale's parts for the row at position in cdsVente, in the order the site reads them.
std::vector<SalePart> SaleParts(const Table& cdsVente, int position);

// The parts of a "putVente" request for the current sale of cdsVente, in the order the site
// reads them. Each photo file is opened as its part is added.
void AddSaleFields(TMultipartBody& body, Table& cdsVente, const std::string& login,
                   const std::string& password);

}  // namespace offrel
