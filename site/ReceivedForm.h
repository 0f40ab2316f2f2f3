#pragma once

#include <memory>
#include <optional>
#include <string>

#include "site/ReceivedSale.h"
#include "site/SaleStore.h"

namespace offrel::site {

// Collects the parts of one multipart request as the HTTP library parses them: text fields in
// memory (each one bounded), photo parts ("photo1" .. "photo8") straight into a pending sale of
// the store, so a photo is never held whole in memory.
class ReceivedForm {
public:
    static constexpr std::size_t kMaxFieldSize = 1 << 20;
    static constexpr std::size_t kMaxParts = 100;

    explicit ReceivedForm(SaleStore& store) : store_(store) {}

    void BeginPart(const std::string& name, const std::string& filename);
    void Append(const char* data, std::size_t size);
    void Finish();

    const ReceivedSale& Sale() const { return sale_; }
    // A problem of the form itself (duplicate or too long field, too many parts), in French.
    const std::optional<std::string>& Problem() const { return problem_; }
    PendingSale* Pending() { return pending_.get(); }

private:
    SaleStore& store_;
    ReceivedSale sale_;
    std::unique_ptr<PendingSale> pending_;
    std::optional<std::string> problem_;
    std::string* field_ = nullptr;    // the text part being received
    ReceivedPhoto* photo_ = nullptr;  // or the photo part
    std::string head_;                // its first three bytes
    std::size_t parts_ = 0;
};

}  // namespace offrel::site
