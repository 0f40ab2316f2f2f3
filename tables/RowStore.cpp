#include "tables/RowStore.h"

#include "tables/RowCodec.h"

namespace offrel {

RowStore::RowStore(std::vector<ColumnDef> columns) : columns_(std::move(columns)) {}

RowStore::RowStore(std::vector<ColumnDef> columns, std::vector<std::uint8_t> section,
                   std::vector<std::size_t> versionStarts, std::vector<std::uint32_t> log)
    : columns_(std::move(columns)),
      section_(std::move(section)),
      versionStarts_(std::move(versionStarts)),
      log_(std::move(log)) {
    // A modification logged as replacing an earlier version carries that version's origin; a log
    // that names versions it does not hold, or a later one, is not followed there.
    origins_.resize(versionStarts_.size());
    for (std::size_t v = 0; v < origins_.size(); ++v)
        origins_[v] = static_cast<std::uint32_t>(v + 1);
    for (std::size_t entry = 0; entry + 2 < log_.size(); entry += 3) {
        const std::uint32_t record = log_[entry];
        const std::uint32_t replaced = log_[entry + 1];
        if (log_[entry + 2] == kStatusModified && replaced >= 1 && replaced < record &&
            record <= origins_.size())
            origins_[record - 1] = origins_[replaced - 1];
    }
    std::size_t liveCount = 0;
    for (std::size_t v = 0; v < versionStarts_.size(); ++v) liveCount += IsLive(Status(v));
    live_.Reserve(liveCount);
    for (std::size_t v = 0; v < versionStarts_.size(); ++v)
        if (IsLive(Status(v))) live_.Insert(live_.Size(), static_cast<std::uint32_t>(v));
}

Value RowStore::ValueAt(int position, int column) const {
    return DecodeValue(columns_, VersionData(live_.At(position)), column);
}

std::vector<Value> RowStore::RowValues(int position) const {
    std::vector<Value> values;
    values.reserve(columns_.size());
    for (std::size_t j = 0; j < columns_.size(); ++j)
        values.push_back(ValueAt(position, static_cast<int>(j)));
    return values;
}

std::uint32_t RowStore::AddVersion(const std::vector<Value>& values, std::uint8_t status) {
    versionStarts_.push_back(section_.size());
    EncodeRow(columns_, values, status, section_);
    origins_.push_back(static_cast<std::uint32_t>(versionStarts_.size()));
    return static_cast<std::uint32_t>(versionStarts_.size() - 1);
}

std::uint32_t RowStore::AddVersion(const std::uint8_t* image, std::size_t size,
                                   std::uint8_t status) {
    versionStarts_.push_back(section_.size());
    section_.insert(section_.end(), image, image + size);
    section_[versionStarts_.back()] = status;
    origins_.push_back(static_cast<std::uint32_t>(versionStarts_.size()));
    return static_cast<std::uint32_t>(versionStarts_.size() - 1);
}

void RowStore::AppendImage(int position, std::vector<std::uint8_t>& out) const {
    const std::uint32_t version = live_.At(position);
    const std::uint8_t* data = VersionData(version);
    out.insert(out.end(), data, data + VersionSize(version));
}

void RowStore::AddLogEntry(std::uint32_t record, std::uint32_t replaced, std::uint32_t action) {
    log_.insert(log_.end(), {record, replaced, action});
}

void RowStore::Insert(int position, const std::vector<Value>& values) {
    const std::uint32_t version = AddVersion(values, kStatusInserted);
    live_.Insert(position, version);
    AddLogEntry(version + 1, 0, kStatusInserted);
}

void RowStore::InsertImage(int position, const std::uint8_t* image, std::size_t size) {
    const std::uint32_t version = AddVersion(image, size, kStatusInserted);
    live_.Insert(position, version);
    AddLogEntry(version + 1, 0, kStatusInserted);
}

void RowStore::Modify(int position, const std::vector<Value>& values) {
    const std::uint8_t inherited = Status(live_.At(position)) & kStatusInserted;
    Replace(position, AddVersion(values, kStatusModified | inherited));
}

void RowStore::ModifyImage(int position, const std::uint8_t* image, std::size_t size) {
    const std::uint8_t inherited = Status(live_.At(position)) & kStatusInserted;
    Replace(position, AddVersion(image, size, kStatusModified | inherited));
}

void RowStore::Replace(int position, std::uint32_t version) {
    const std::uint32_t replaced = live_.At(position);
    section_[versionStarts_[replaced]] |= kStatusReplaced;
    origins_[version] = origins_[replaced];
    live_.Set(position, version);
    AddLogEntry(version + 1, replaced + 1, kStatusModified);
}

void RowStore::Delete(int position) {
    const std::uint32_t version = live_.At(position);
    section_[versionStarts_[version]] |= kStatusDeleted;
    live_.Erase(position);
    AddLogEntry(version + 1, 0, kStatusDeleted);
}

void RowStore::Clear() {
    section_ = {};
    versionStarts_ = {};
    log_ = {};
    origins_ = {};
    live_.Clear();
}

}  // namespace offrel
