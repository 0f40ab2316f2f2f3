#include "tests/photo/TestPhotos.h"

#include <malloc.h>

#include <cmath>
#include <cstdio>  // before jpeglib.h, which needs FILE
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <jpeglib.h>

#include "tests/common/TempFolder.h"

namespace offrel::testing {

namespace {

std::uint8_t Level(double value) {
    return static_cast<std::uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, value))));
}

}  // namespace

void WriteJpeg(const std::string& path, int width, int height,
               const std::function<Rgb(int x, int y)>& colour, const JpegOptions& options) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot write " + path);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, options.quality, TRUE);
    if (options.fullColour) info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
    if (options.progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    if (!options.colourProfile.empty()) {
        jpeg_write_icc_profile(&info, options.colourProfile.data(),
                               static_cast<unsigned int>(options.colourProfile.size()));
    }
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < width; ++x) {
            const Rgb c = colour(x, y);
            row[3 * x] = static_cast<JSAMPLE>(c.red);
            row[3 * x + 1] = static_cast<JSAMPLE>(c.green);
            row[3 * x + 2] = static_cast<JSAMPLE>(c.blue);
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

namespace {

// Rises from 0 to half the period and falls back: shading without the cost of a sine.
int Wave(int t, int period) {
    const int phase = t % period;
    return phase < period / 2 ? phase : period - phase;
}

}  // namespace

Rgb PhotoLike(int x, int y) {
    const int grain = (x * 7919 + y * 104729) % 9 - 4;
    const bool tile = (x / 150 + y / 110) % 2 == 0;  // the sharp edges of objects
    return {Level(40 + Wave(x, 389) * 0.6 + Wave(y, 263) * 0.4 + (tile ? 40 : 0) + grain),
            Level(60 + Wave(x + y, 211) + grain),
            Level(90 + 0.02 * x - 0.015 * y + (tile ? -30 : 30) + grain)};
}

Rgb PhoneLike(int x, int y) {
    const Rgb base = PhotoLike(x, y);
    const unsigned hash =
        static_cast<unsigned>(x) * 2654435761u ^ static_cast<unsigned>(y) * 40503u;
    const int grain = static_cast<int>((hash >> 11) % 17) - 8;
    const auto level = [](int value) { return value < 0 ? 0 : value > 255 ? 255 : value; };
    return {level(base.red + grain), level(base.green + grain), level(base.blue + grain)};
}

std::function<Rgb(int, int)> Quadrants(int width, int height) {
    return [width, height](int x, int y) {
        static const Rgb kColours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
        return kColours[(y >= height / 2) * 2 + (x >= width / 2)];
    };
}

void RunTool(const std::string& command) {
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error(command + " failed (scripts/install-deps installs the tools)");
}

void SetExifOrientations(const std::vector<std::pair<std::string, int>>& orientations) {
    std::string command = "exiftool";
    for (const auto& [path, orientation] : orientations) {
        if (command != "exiftool") command += " -execute";
        command += " -Orientation=" + std::to_string(orientation) + " '" + path + "'";
    }
    RunTool(command + " -common_args -q -n -overwrite_original");
}

Rgb Pixels::At(int x, int y) const {
    const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[at], rgb[at + 1], rgb[at + 2]};
}

namespace {

Pixels ReadPpm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maximum = 0;
    Pixels picture;
    in >> magic >> picture.width >> picture.height >> maximum;
    in.get();  // the one blank before the pixels
    if (magic != "P6" || maximum != 255) throw std::runtime_error("no 8-bit PPM in " + path);
    picture.rgb.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    in.read(reinterpret_cast<char*>(picture.rgb.data()),
            static_cast<std::streamsize>(picture.rgb.size()));
    if (!in) throw std::runtime_error("cannot read " + path);
    return picture;
}

}  // namespace

std::vector<Pixels> ImageMagickViews(const std::vector<std::string>& paths,
                                     const std::string& options) {
    TempFolder folder;
    std::string command =
        "mogrify -path '" + folder.Path().string() + "' " + options + " -depth 8 -format ppm";
    for (const std::string& path : paths) command += " '" + path + "'";
    RunTool(command);
    std::vector<Pixels> views;
    for (const std::string& path : paths)
        views.push_back(ReadPpm(folder / (std::filesystem::path(path).stem().string() + ".ppm")));
    return views;
}

Pixels ImageMagickView(const std::string& path, const std::string& options) {
    return ImageMagickViews({path}, options).front();
}

Pixels FromRgbImage(const RgbImage& image) {
    Pixels picture;
    picture.width = image.width;
    picture.height = image.height;
    for (std::size_t at = 0; at + 3 < image.pixels.size(); at += 4) {
        picture.rgb.push_back(image.pixels[at + 2]);
        picture.rgb.push_back(image.pixels[at + 1]);
        picture.rgb.push_back(image.pixels[at]);
    }
    return picture;
}

std::vector<Rgb> QuarterCentres(const Pixels& picture) {
    std::vector<Rgb> centres;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
            centres.push_back(picture.At((2 * column + 1) * picture.width / 4,
                                         (2 * row + 1) * picture.height / 4));
    return centres;
}

bool Near(Rgb a, Rgb b) {
    constexpr int kTolerance = 48;
    return std::abs(a.red - b.red) < kTolerance && std::abs(a.green - b.green) < kTolerance &&
           std::abs(a.blue - b.blue) < kTolerance;
}

double MeanDifference(const Pixels& a, const Pixels& b) {
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty())
        throw std::invalid_argument("pictures of different sizes");
    double total = 0;
    for (std::size_t k = 0; k < a.rgb.size(); ++k) total += std::abs(a.rgb[k] - b.rgb[k]);
    return total / static_cast<double>(a.rgb.size());
}

void ResetPeakMemory() {
    // Memory that the allocator keeps after earlier work is given back first, so that the
    // present use is the process at rest.
    ::malloc_trim(0);
    // Linux sets the peak back to the present use when "5" is written here.
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.close();
    if (!clear) throw std::runtime_error("cannot reset the peak memory (/proc/self/clear_refs)");
}

std::uint64_t PeakMemory() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stoull(line.substr(6)) * 1024;  // kB
    }
    throw std::runtime_error("no VmHWM in /proc/self/status");
}

}  // namespace offrel::testing
