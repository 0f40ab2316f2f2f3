#pragma once

#include <filesystem>

namespace offrel::bench {

// A folder of the run's own under /tmp, made at its first use; the benchmarks' shared main
// removes it, with everything in it, once they have run.
const std::filesystem::path& RunFolder();

}  // namespace offrel::bench
