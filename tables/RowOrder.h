#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace offrel {

// The live rows of a table in display order, as version numbers, in a gap buffer: any position
// reads in constant time and repeated insertions at one place cost constant time each.
class RowOrder {
public:
    int Size() const { return static_cast<int>(slots_.size() - (gapEnd_ - gapStart_)); }
    std::uint32_t At(int position) const { return slots_[Slot(position)]; }
    void Set(int position, std::uint32_t version) { slots_[Slot(position)] = version; }
    void Insert(int position, std::uint32_t version);
    void Erase(int position);
    void Clear();
    void Reserve(std::size_t count);

private:
    std::size_t Slot(int position) const {
        const auto p = static_cast<std::size_t>(position);
        return p < gapStart_ ? p : p + (gapEnd_ - gapStart_);
    }
    void MoveGap(std::size_t position);

    std::vector<std::uint32_t> slots_;
    std::size_t gapStart_ = 0;
    std::size_t gapEnd_ = 0;
};

}  // namespace offrel
