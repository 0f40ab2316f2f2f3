#pragma once

#include <string>

#include "server/MultipartBody.h"
#include "tables/Table.h"

namespace offrel {

// The parts of a "putVente" request for the current sale of cdsVente, in the order the site
// reads them. Each photo file is opened as its part is added.
void AddSaleFields(TMultipartBody& body, Table& cdsVente, const std::string& login,
                   const std::string& password);

}  // namespace offrel
