// The record reader over arbitrary bytes: every line and field is read without a crash, a leak
// or a hang, and fields past the last one read as empty.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/Error.h"
#include "tables/CsvFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One scratch file for the whole run, removed when the fuzzer exits.
    static const struct ScratchFile {
        ScratchFile() {
            char name[] = "/tmp/offrel-fuzz-csv-XXXXXX";
            const int fd = ::mkstemp(name);
            if (fd >= 0) ::close(fd);
            path = name;
        }
        ~ScratchFile() { ::unlink(path.c_str()); }
        std::string path;
    } scratch;
    const std::string& path = scratch.path;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    offrel::TCSV_File reader;
    try {
        if (reader.OpenFile(path)) return 0;
        while (!reader.EndOfFile()) {
            const int count = reader.ReadLine();
            for (int i = 0; i <= count; ++i) reader.GetField(i);
            if (!reader.GetField(count).empty()) __builtin_trap();
        }
        reader.CloseFile();
    } catch (const offrel::Error&) {
    }
    return 0;
}
