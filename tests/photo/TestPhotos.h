#pragma once

// Photos made for the tests: written with libjpeg to any size and sampling, given an Exif
// orientation with exiftool, and looked at through ImageMagick, the reference of how a photo
// shows (scripts/install-deps installs both tools). A failure throws std::runtime_error. Used by
// the benchmarks too.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "photo/Picture.h"

namespace offrel::testing {

struct Rgb {
    int red, green, blue;
};

struct JpegOptions {
    int quality = 90;
    bool progressive = false;
    bool fullColour = false;  // every pixel's colour kept, where cameras keep one in four
    std::vector<std::uint8_t> colourProfile;
};

// Writes the JPEG file whose pixel (x, y) has colour(x, y).
void WriteJpeg(const std::string& path, int width, int height,
               const std::function<Rgb(int x, int y)>& colour, const JpegOptions& options = {});

// A picture with the detail of a photo: smooth shading, edges and fine grain.
Rgb PhotoLike(int x, int y);

// A phone's photo: PhotoLike with a sensor's grain, about 4 MB at 12 MP and quality 92.
Rgb PhoneLike(int x, int y);

// Four blocks of colours far apart (red, green / blue, white), which JPEG never confuses.
std::function<Rgb(int, int)> Quadrants(int width, int height);

// Runs the shell command; a failure fails the test with the command's words.
void RunTool(const std::string& command);

// Gives each file its Exif orientation, with one run of exiftool for all.
void SetExifOrientations(const std::vector<std::pair<std::string, int>>& orientations);

// A picture as read back, one byte each of red, green and blue per pixel.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    Rgb At(int x, int y) const;
};

// The files as ImageMagick shows them after the options ("-auto-orient", "-resize 2048x2048"...),
// with one run of ImageMagick for all; their names must differ.
std::vector<Pixels> ImageMagickViews(const std::vector<std::string>& paths,
                                     const std::string& options);
Pixels ImageMagickView(const std::string& path, const std::string& options);

Pixels FromRgbImage(const RgbImage& image);

// The colour at the centre of each quarter of the picture: top left, top right, bottom left,
// bottom right.
std::vector<Rgb> QuarterCentres(const Pixels& picture);

bool Near(Rgb a, Rgb b);

// The mean difference of two pictures of the same size, over all channels, in levels of 255.
double MeanDifference(const Pixels& a, const Pixels& b);

// The process's peak resident memory in bytes, since the start or the last ResetPeakMemory(),
// which sets it to the memory in use at that moment.
void ResetPeakMemory();
std::uint64_t PeakMemory();

}  // namespace offrel::testing
