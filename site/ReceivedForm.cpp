#include "site/ReceivedForm.h"

#include <algorithm>

#include "base/Windows1252.h"

namespace offrel::site {

namespace {

bool IsPhotoPart(const std::string& name) {
    return name.size() == 6 && name.starts_with("photo") && name[5] >= '1' && name[5] <= '8';
}

bool Received(const ReceivedSale& sale, const std::string& name) {
    if (sale.Field(name)) return true;
    for (const ReceivedPhoto& photo : sale.photos)
        if (photo.part == name) return true;
    return false;
}

}  // namespace

void ReceivedForm::BeginPart(const std::string& name, const std::string& filename) {
    Finish();
    if (problem_) return;  // the rest of the body is read and dropped
    if (++parts_ > kMaxParts) {
        problem_ = W("Le formulaire contient trop de champs");
    } else if (Received(sale_, name)) {
        problem_ = W("Le champ ") + name + W(" est envoyé plusieurs fois");
    } else if (IsPhotoPart(name)) {
        if (!pending_) pending_ = store_.Begin();
        sale_.photos.push_back({name, filename, name + ".jpg", 0, false});
        photo_ = &sale_.photos.back();
        pending_->Open(photo_->file);
    } else {
        sale_.fields.emplace_back(name, std::string());
        field_ = &sale_.fields.back().second;
    }
}

void ReceivedForm::Append(const char* data, std::size_t size) {
    if (photo_) {
        head_.append(data, std::min(size, 3 - std::min<std::size_t>(head_.size(), 3)));
        pending_->Write(data, size);
        photo_->size += size;
    } else if (field_) {
        if (field_->size() + size > kMaxFieldSize) {
            problem_ =
                W("Le champ ") + sale_.fields.back().first + W(" est trop long (1 Mo au plus)");
            field_ = nullptr;
            return;
        }
        field_->append(data, size);
    }
}

void ReceivedForm::Finish() {
    if (photo_) photo_->jpeg = head_ == "\xFF\xD8\xFF";
    head_.clear();
    if (pending_) pending_->Close();
    field_ = nullptr;
    photo_ = nullptr;
}

}  // namespace offrel::site
