#pragma once

#include <cstdint>
#include <vector>

#include "photo/Picture.h"

namespace offrel {

// Reduces a picture given row after row to an exact size: each pixel of the result is the mean
// of the area of the source that it covers, partly covered pixels counting for their part. The
// source is never held whole: only the result and two rows of sums.
class AreaScaler {
public:
    // to: at least 1 x 1 and at most from on each side; throws std::invalid_argument otherwise.
    AreaScaler(PictureSize from, PictureSize to);

    // The next row of the source, from.width pixels laid out as in RgbImage.
    void AddRow(const std::uint8_t* row);

    // The result, once every row of the source was added.
    RgbImage Take();

    // The four channels of a pixel, summed together in one vector register.
    using Channels = float __attribute__((vector_size(4 * sizeof(float))));

private:
    void FinishRow();

    PictureSize from_;
    PictureSize to_;
    // For each pixel of a result row: its first source pixel, how many it covers, and where their
    // weights start in weights_.
    std::vector<int> first_;
    std::vector<int> count_;
    std::vector<int> weightsAt_;
    std::vector<float> weights_;
    std::vector<Channels> across_;   // the current source row reduced across; empty: same size
    std::vector<Channels> sums_[2];  // the result rows outputRow_ and outputRow_ + 1, being summed
    long long sourceRow_ = 0;
    long long outputRow_ = 0;
    RgbImage picture_;
};

}  // namespace offrel
