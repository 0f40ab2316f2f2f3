#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace offrel::site {

struct ReceivedPhoto {
    std::string part;      // "photo1" .. "photo8"
    std::string filename;  // as sent, Windows-1252
    std::string file;      // the stored file's name, "photo1.jpg"
    std::uint64_t size = 0;
    bool jpeg = false;  // the bytes start like a JPEG file (FF D8 FF)
};

// The parts of one request as received: the text fields in their order, then the photos.
struct ReceivedSale {
    std::vector<std::pair<std::string, std::string>> fields;
    std::vector<ReceivedPhoto> photos;

    // The value of the named field, or null when it was not sent.
    const std::string* Field(std::string_view name) const {
        for (const auto& [fieldName, value] : fields)
            if (fieldName == name) return &value;
        return nullptr;
    }
};

}  // namespace offrel::site
