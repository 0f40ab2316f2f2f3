#pragma once

#include <cstdint>
#include <string>

namespace offrel {

// How much of a request has gone, as the send window shows it: "12,4 Mo / 31,0 Mo", or in whole
// Ko below one Mo ("180 Ko / 412 Ko"); 1 Ko is 1,024 bytes. The two figures are equal only once
// everything has gone.
std::string TransferAmounts(std::uint64_t sent, std::uint64_t total);

}  // namespace offrel
