// The sales file's records over arbitrary bytes: every record and field is read without a crash,
// a leak or a hang; records are numbered one after the other, fields past the last read as
// empty, and a line break inside a field is always kept as CR LF.
#include <cstdint>
#include <string>

#include "import/SalesFileRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    offrel::SalesFileRecords records(std::string(reinterpret_cast<const char*>(data), size));
    for (int line = 1; records.Next(); ++line) {
        if (records.Line() != line) __builtin_trap();
        const int count = records.FieldCount();
        if (!records.Field(count).empty()) __builtin_trap();
        for (int i = 0; i < count; ++i) {
            const std::string_view field = records.Field(i);
            for (std::size_t at = field.find('\n'); at != std::string_view::npos;
                 at = field.find('\n', at + 1))
                if (at == 0 || field[at - 1] != '\r') __builtin_trap();
        }
    }
    return 0;
}
