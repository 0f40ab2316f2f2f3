#include "photo/AreaScaler.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace offrel {

namespace {

constexpr std::size_t kChannels = 4;

// Positions are counted in units of 1 / (from x to): source pixel i spans [i * to, (i + 1) * to)
// and result pixel j spans [j * from, (j + 1) * from), so every overlap is a whole number.
long long Overlap(long long sourceIndex, long long resultIndex, long long from, long long to) {
    const long long start = std::max(sourceIndex * to, resultIndex * from);
    const long long end = std::min((sourceIndex + 1) * to, (resultIndex + 1) * from);
    return end - start;
}

}  // namespace

AreaScaler::AreaScaler(PictureSize from, PictureSize to) : from_(from), to_(to) {
    if (to.width < 1 || to.height < 1 || to.width > from.width || to.height > from.height)
        throw std::invalid_argument("AreaScaler: the result must be smaller than the source");
    const long long sourceWidth = from.width;
    const long long resultWidth = to.width;
    for (long long x = 0; x < resultWidth; ++x) {
        const long long first = x * sourceWidth / resultWidth;
        const long long last = ((x + 1) * sourceWidth - 1) / resultWidth;
        first_.push_back(static_cast<int>(first));
        count_.push_back(static_cast<int>(last - first + 1));
        weightsAt_.push_back(static_cast<int>(weights_.size()));
        for (long long i = first; i <= last; ++i) {
            weights_.push_back(static_cast<float>(Overlap(i, x, sourceWidth, resultWidth)) /
                               static_cast<float>(sourceWidth));
        }
    }
    const std::size_t rowValues = static_cast<std::size_t>(to.width) * kChannels;
    across_.resize(rowValues);
    sums_.assign(2 * rowValues, 0.0f);
    picture_.width = to.width;
    picture_.height = to.height;
    picture_.pixels.resize(rowValues * static_cast<std::size_t>(to.height));
}

void AreaScaler::AddRow(const std::uint8_t* row) {
    if (sourceRow_ >= from_.height) return;
    // The four channels of a pixel are summed together, in one vector register.
    using Channels = float __attribute__((vector_size(4 * sizeof(float))));
    for (int x = 0; x < to_.width; ++x) {
        Channels sum = {};
        const std::uint8_t* pixel = row + static_cast<std::size_t>(first_[x]) * kChannels;
        const float* weight = weights_.data() + weightsAt_[x];
        for (int k = 0; k < count_[x]; ++k, pixel += kChannels) {
            const Channels levels = {static_cast<float>(pixel[0]), static_cast<float>(pixel[1]),
                                     static_cast<float>(pixel[2]), static_cast<float>(pixel[3])};
            sum += weight[k] * levels;
        }
        std::memcpy(&across_[static_cast<std::size_t>(x) * kChannels], &sum, sizeof sum);
    }
    // A source row falls into one result row or, across a boundary, into two neighbours.
    const long long sourceHeight = from_.height;
    const long long resultHeight = to_.height;
    const long long firstRow = sourceRow_ * resultHeight / sourceHeight;
    const long long lastRow = ((sourceRow_ + 1) * resultHeight - 1) / sourceHeight;
    while (outputRow_ < firstRow) FinishRow();
    const std::size_t rowValues = across_.size();
    for (long long y = firstRow; y <= lastRow; ++y) {
        const float weight =
            static_cast<float>(Overlap(sourceRow_, y, sourceHeight, resultHeight)) /
            static_cast<float>(sourceHeight);
        float* sum = sums_.data() + static_cast<std::size_t>(y - outputRow_) * rowValues;
        for (std::size_t k = 0; k < rowValues; ++k) sum[k] += weight * across_[k];
    }
    ++sourceRow_;
}

void AreaScaler::FinishRow() {
    const std::size_t rowValues = across_.size();
    std::uint8_t* out = picture_.pixels.data() + static_cast<std::size_t>(outputRow_) * rowValues;
    for (std::size_t k = 0; k < rowValues; ++k)
        out[k] = static_cast<std::uint8_t>(std::min(sums_[k] + 0.5f, 255.0f));
    std::copy(sums_.begin() + static_cast<std::ptrdiff_t>(rowValues), sums_.end(), sums_.begin());
    std::fill(sums_.begin() + static_cast<std::ptrdiff_t>(rowValues), sums_.end(), 0.0f);
    ++outputRow_;
}

RgbImage AreaScaler::Take() {
    while (outputRow_ < to_.height) FinishRow();
    return std::move(picture_);
}

}  // namespace offrel
