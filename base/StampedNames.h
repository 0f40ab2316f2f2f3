#pragma once

#include <cstdint>
#include <string>

namespace offrel {

// The parts of a file name that carries a local date and time: stem, the time written by
// strftime's format, then extension; a second file of the same second gets a rank written
// between rankOpen and rankClose before the extension, from 2 up.
struct StampedName {
    std::string stem;
    const char* stampFormat;
    std::string extension;
    const char* rankOpen;
    const char* rankClose;
};

// The path in folder of the name for the local time of time (seconds since the epoch) that no
// entry of the folder takes yet, not even a link to nothing.
std::string FreeStampedName(const std::string& folder, const StampedName& name, std::int64_t time);

}  // namespace offrel
