#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace offrel {

// What a batch's photos weigh to send, as the send window shows it before "Démarrer". A photo
// that is in several sales counts each time, as it goes each time.

// The bytes of the files at paths (Windows-1252, as stored); a file that cannot be read counts
// for nothing, the pre-flight check tells of it.
std::uint64_t PhotoBytes(const std::vector<std::string>& paths);

// The bytes sent for them when the photos go reduced: ReducedPhoto's in the place of each file
// that it reduces. Nothing when stop was asked before the end. Decodes every large photo: for a
// thread of its own.
std::optional<std::uint64_t> ReducedPhotoBytes(const std::vector<std::string>& paths,
                                               const std::stop_token& stop);

// "photos : 187 Mo", followed by " (réduites : 21 Mo)" when the reduced weight is given; whole
// Mo, or whole Ko below one Mo (1 Ko is 1,024 bytes, as the upload's amounts count it).
std::string PhotoWeightText(std::uint64_t bytes, std::optional<std::uint64_t> reduced);

}  // namespace offrel
