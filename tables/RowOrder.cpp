#include "tables/RowOrder.h"

#include <algorithm>

namespace offrel {

void RowOrder::MoveGap(std::size_t position) {
    if (position < gapStart_) {
        const std::size_t count = gapStart_ - position;
        std::move_backward(slots_.begin() + position, slots_.begin() + gapStart_,
                           slots_.begin() + gapEnd_);
        gapStart_ -= count;
        gapEnd_ -= count;
    } else if (position > gapStart_) {
        const std::size_t count = position - gapStart_;
        std::move(slots_.begin() + gapEnd_, slots_.begin() + gapEnd_ + count,
                  slots_.begin() + gapStart_);
        gapStart_ += count;
        gapEnd_ += count;
    }
}

void RowOrder::Reserve(std::size_t count) {
    if (count <= slots_.size()) return;
    // The gap takes the room that is added.
    const std::size_t tail = slots_.size() - gapEnd_;
    const std::size_t oldSize = slots_.size();
    slots_.resize(count);
    std::move_backward(slots_.begin() + gapEnd_, slots_.begin() + oldSize, slots_.end());
    gapEnd_ = slots_.size() - tail;
}

void RowOrder::Insert(int position, std::uint32_t version) {
    if (gapStart_ == gapEnd_) Reserve(std::max<std::size_t>(16, slots_.size() * 2));
    MoveGap(static_cast<std::size_t>(position));
    slots_[gapStart_++] = version;
}

void RowOrder::Erase(int position) {
    MoveGap(static_cast<std::size_t>(position));
    ++gapEnd_;
}

void RowOrder::Clear() {
    slots_.clear();
    gapStart_ = gapEnd_ = 0;
}

}  // namespace offrel
