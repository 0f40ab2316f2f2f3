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

using Levels = std::uint8_t __attribute__((vector_size(kChannels)));
using Whole = std::int32_t __attribute__((vector_size(kChannels * sizeof(std::int32_t))));

AreaScaler::Channels Light(const std::uint8_t* pixel) {
    Levels levels;
    std::memcpy(&levels, pixel, sizeof levels);
    return __builtin_convertvector(levels, AreaScaler::Channels);
}

}  // namespace

AreaScaler::AreaScaler(PictureSize from, PictureSize to) : from_(from), to_(to) {
    if (to.width < 1 || to.height < 1 || to.width > from.width || to.height > from.height)
        throw std::invalid_argument("AreaScaler: the result must be smaller than the source");
    picture_.width = to.width;
    picture_.height = to.height;
    picture_.pixels.resize(static_cast<std::size_t>(to.width) * to.height * kChannels);
    if (from.width == to.width && from.height == to.height) return;  // rows are copied
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
    across_.resize(static_cast<std::size_t>(to.width));
    sums_[0].assign(static_cast<std::size_t>(to.width), Channels{});
    sums_[1].assign(static_cast<std::size_t>(to.width), Channels{});
}

void AreaScaler::AddRow(const std::uint8_t* row) {
    if (sourceRow_ >= from_.height) return;
    const std::size_t width = static_cast<std::size_t>(to_.width);
    if (across_.empty()) {
        std::memcpy(
            picture_.pixels.data() + static_cast<std::size_t>(sourceRow_) * width * kChannels, row,
            width * kChannels);
        ++sourceRow_;
        return;
    }
    for (std::size_t x = 0; x < width; ++x) {
        const std::uint8_t* pixel = row + static_cast<std::size_t>(first_[x]) * kChannels;
        const float* weight = weights_.data() + weightsAt_[x];
        Channels sum = {};
        for (int k = 0; k < count_[x]; ++k, pixel += kChannels) sum += weight[k] * Light(pixel);
        across_[x] = sum;
    }
    // A source row falls into one result row or, across a boundary, into two neighbours.
    const long long sourceHeight = from_.height;
    const long long resultHeight = to_.height;
    const long long firstRow = sourceRow_ * resultHeight / sourceHeight;
    const long long lastRow = ((sourceRow_ + 1) * resultHeight - 1) / sourceHeight;
    while (outputRow_ < firstRow) FinishRow();
    for (long long y = firstRow; y <= lastRow; ++y) {
        const float weight =
            static_cast<float>(Overlap(sourceRow_, y, sourceHeight, resultHeight)) /
            static_cast<float>(sourceHeight);
        Channels* sum = sums_[y - outputRow_].data();
        for (std::size_t x = 0; x < width; ++x) sum[x] += weight * across_[x];
    }
    ++sourceRow_;
}

void AreaScaler::FinishRow() {
    const std::size_t width = static_cast<std::size_t>(to_.width);
    std::uint8_t* out =
        picture_.pixels.data() + static_cast<std::size_t>(outputRow_) * width * kChannels;
    for (std::size_t x = 0; x < width; ++x) {
        const Channels rounded = sums_[0][x] + 0.5f;
        const Levels levels = __builtin_convertvector(
            __builtin_convertvector(rounded < 255.0f ? rounded : 255.0f, Whole), Levels);
        std::memcpy(out + x * kChannels, &levels, sizeof levels);
    }
    std::swap(sums_[0], sums_[1]);
    std::fill(sums_[1].begin(), sums_[1].end(), Channels{});
    ++outputRow_;
}

RgbImage AreaScaler::Take() {
    while (!across_.empty() && outputRow_ < to_.height) FinishRow();
    return std::move(picture_);
}

}  // namespace offrel
