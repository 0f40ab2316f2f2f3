#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace offrel::fuzz {

// The path of one scratch file for the whole run (named from pattern as mkstemp names it, and
// removed when the fuzzer exits), now holding the input's bytes; empty when it cannot be written.
inline std::string WriteScratchFile(const char* pattern, const std::uint8_t* data,
                                    std::size_t size) {
    static const struct ScratchFile {
        explicit ScratchFile(std::string name) {
            const int fd = ::mkstemp(name.data());
            if (fd >= 0) ::close(fd);
            path = name;
        }
        ~ScratchFile() { ::unlink(path.c_str()); }
        std::string path;
    } scratch(pattern);
    std::FILE* file = std::fopen(scratch.path.c_str(), "wb");
    if (file == nullptr) return {};
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    return scratch.path;
}

}  // namespace offrel::fuzz
