#pragma once

#include <cstdint>

namespace offrel {

// Whether a JPEG file (an open descriptor, its size in bytes) holds its whole picture: its
// segments and scans lead to the end-of-picture marker before the file ends. A file that a copy
// or a download cut short stops before it; what a phone appends after the marker (a video, a
// maker's block) does not count. Cheap for the files that end with the marker, as nearly all
// do; the others are walked through, reading as little as the walk needs. A read that fails
// counts as a file that does not reach its end.
bool JpegReachesItsEnd(int fd, std::uint64_t size);

}  // namespace offrel
