// The record reader over arbitrary bytes: every line and field is read without a crash, a leak
// or a hang, and fields past the last one read as empty.
#include <cstdint>
#include <string>

#include "base/Error.h"
#include "fuzz/ScratchFile.h"
#include "tables/CsvFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path =
        offrel::fuzz::WriteScratchFile("/tmp/offrel-fuzz-csv-XXXXXX", data, size);
    if (path.empty()) return 0;

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
