#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tables/RowOrder.h"
#include "tables/Table.h"

namespace offrel {

// Row status bits of a row version.
inline constexpr std::uint8_t kStatusReplaced = 1;
inline constexpr std::uint8_t kStatusDeleted = 2;
inline constexpr std::uint8_t kStatusInserted = 4;
inline constexpr std::uint8_t kStatusModified = 8;

inline bool IsLive(std::uint8_t status) {
    return (status & (kStatusReplaced | kStatusDeleted)) == 0;
}

// Every row version of a table in its packet form, one after another as in the row section of
// its packet, with the change log and the order of the live rows. Version v (from 0) has the
// record number v + 1. Values are decoded when they are read; a changed row gets a new version.
class RowStore {
public:
    explicit RowStore(std::vector<ColumnDef> columns);
    // From a packet's row section whose rows were measured: versionStarts[v] is where version v
    // starts in section.
    RowStore(std::vector<ColumnDef> columns, std::vector<std::uint8_t> section,
             std::vector<std::size_t> versionStarts, std::vector<std::uint32_t> log);

    const std::vector<ColumnDef>& Columns() const { return columns_; }

    int LiveCount() const { return live_.Size(); }
    Value ValueAt(int position, int column) const;
    std::vector<Value> RowValues(int position) const;

    // Each change adds its versions and log entries.
    void Insert(int position, const std::vector<Value>& values);
    void Modify(int position, const std::vector<Value>& values);
    void Delete(int position);
    // The same changes with a row as AppendImage copied it: its values exactly as they were.
    void InsertImage(int position, const std::uint8_t* image, std::size_t size);
    void ModifyImage(int position, const std::uint8_t* image, std::size_t size);
    // Appends the stored bytes of the live row at position: its values as they are now.
    void AppendImage(int position, std::vector<std::uint8_t>& out) const;
    // Discards every version and the log; numbering starts again at 1.
    void Clear();

    // The record number of the first version of the live row at position: a modification keeps
    // it, so it names one row through its changes, and through a write and a read of its file.
    std::uint32_t Origin(int position) const { return origins_[live_.At(position)]; }

    std::size_t VersionCount() const { return versionStarts_.size(); }
    std::uint8_t Status(std::size_t version) const { return section_[versionStarts_[version]]; }
    const std::uint8_t* VersionData(std::size_t version) const {
        return section_.data() + versionStarts_[version];
    }
    std::size_t VersionSize(std::size_t version) const {
        const std::size_t end =
            version + 1 < versionStarts_.size() ? versionStarts_[version + 1] : section_.size();
        return end - versionStarts_[version];
    }
    const std::vector<std::uint8_t>& Section() const { return section_; }
    const std::vector<std::uint32_t>& Log() const { return log_; }

private:
    std::uint32_t AddVersion(const std::vector<Value>& values, std::uint8_t status);
    std::uint32_t AddVersion(const std::uint8_t* image, std::size_t size, std::uint8_t status);
    // The new version stands for the live row at position, which it replaces.
    void Replace(int position, std::uint32_t version);
    void AddLogEntry(std::uint32_t record, std::uint32_t replaced, std::uint32_t action);

    std::vector<ColumnDef> columns_;
    std::vector<std::uint8_t> section_;
    std::vector<std::size_t> versionStarts_;
    std::vector<std::uint32_t> log_;      // (record number, replaced record number, action) triples
    std::vector<std::uint32_t> origins_;  // of each version
    RowOrder live_;
};

}  // namespace offrel
