#pragma once

#include <map>
#include <string>
#include <vector>

#include "server/MultipartBody.h"
#include "tables/Sale.h"

namespace offrel {

// One part of a "putVente" request that comes from the sale itself (everything after the
// account); a photo part's value is the path of its file.
struct SalePart {
    std::string name;
    std::string value;
    bool photo = false;
};

// The sale's parts, in the order the site reads them.
std::vector<SalePart> SaleParts(const Sale& sale);

// The photos that go reduced: the bytes sent in each one's place, by its path.
using ReducedPhotos = std::map<std::string, std::string>;

// The parts of a "putVente" request for the sale, in the order the site reads them. Each photo
// file is opened as its part is added, but for a photo that goes reduced: its bytes go under its
// file's name.
void AddSaleFields(TMultipartBody& body, const Sale& sale, const std::string& login,
                   const std::string& password, ReducedPhotos reduced = {});

}  // namespace offrel
