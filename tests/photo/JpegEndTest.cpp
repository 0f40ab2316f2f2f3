#include "photo/JpegEnd.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "tests/common/TempFolder.h"

namespace offrel {
namespace {

// Segments and scans written by hand: the walk must follow them, not look at the last bytes.
const std::string kStart = "\xFF\xD8";
const std::string kEnd = "\xFF\xD9";

std::string Segment(char marker, const std::string& body) {
    const std::size_t length = body.size() + 2;
    return std::string("\xFF") + marker + static_cast<char>(length >> 8) +
           static_cast<char>(length & 0xFF) + body;
}

// Coded data with a stuffed 0xFF and a restart marker, as scans hold them.
const std::string kScan = Segment('\xDA', std::string(10, '\x01')) +
                          "ab\xFF\x00"
                          "cd\xFF\xD3"
                          "ef";

bool ReachesItsEnd(const std::string& bytes) {
    testing::TempFolder folder;
    const std::string path = folder.Write("photo.jpg", bytes);
    const int fd = ::open(path.c_str(), O_RDONLY);
    const bool reaches = JpegReachesItsEnd(fd, bytes.size());
    ::close(fd);
    return reaches;
}

TEST(JpegEndTest, AWholePictureReachesItsEndMarker) {
    EXPECT_TRUE(ReachesItsEnd(kStart + kEnd));
    EXPECT_TRUE(ReachesItsEnd(kStart + Segment('\xE0', "JFIF") + kScan + kEnd));
    // Progressive: tables and scans follow one another.
    EXPECT_TRUE(ReachesItsEnd(kStart + kScan + Segment('\xC4', "tables") + kScan + kEnd));
    // Fill bytes before a marker, and stray bytes the decoder passes over.
    EXPECT_TRUE(ReachesItsEnd(kStart + "\xFF\xFF" + Segment('\xE1', "x") + "zz" + kScan + kEnd));
}

TEST(JpegEndTest, WhatAPhoneAppendsAfterThePictureDoesNotCount) {
    const std::string picture = kStart + kScan + kEnd;
    EXPECT_TRUE(ReachesItsEnd(picture + std::string(200000, 'v')));  // a motion photo's video
    EXPECT_TRUE(ReachesItsEnd(picture + "\xFF\xD8 trailer"));
}

TEST(JpegEndTest, APictureCutShortDoesNot) {
    const std::string picture = kStart + Segment('\xE0', "JFIF") + kScan + kEnd;
    for (std::size_t kept = 2; kept < picture.size(); ++kept)
        EXPECT_FALSE(ReachesItsEnd(picture.substr(0, kept))) << kept;
    // The end marker of a thumbnail inside an Exif segment is not the picture's.
    const std::string thumbnail = kStart + kScan + kEnd;
    const std::string withThumbnail = kStart + Segment('\xE1', "Exif" + thumbnail) + kScan + kEnd;
    EXPECT_TRUE(ReachesItsEnd(withThumbnail));
    EXPECT_FALSE(ReachesItsEnd(withThumbnail.substr(0, 8 + thumbnail.size() + 4)));
    // A segment that claims more bytes than the file holds.
    EXPECT_FALSE(ReachesItsEnd(kStart + "\xFF\xE0\x7F\xFF" + std::string(100, 'x')));
    // A cut that leaves the last two bytes looking like a marker of the scan.
    EXPECT_FALSE(ReachesItsEnd(kStart + kScan + "\xFF\xD3"));
}

TEST(JpegEndTest, LargeFilesAreWalkedAcrossReadBlocks) {
    const std::string coded(300000, '\x11');
    const std::string picture = kStart + Segment('\xDA', "h") + coded + kEnd + std::string(3, 't');
    EXPECT_TRUE(ReachesItsEnd(picture));
    EXPECT_FALSE(ReachesItsEnd(picture.substr(0, 150000)));
}

}  // namespace
}  // namespace offrel
