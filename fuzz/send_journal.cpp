// Any bytes as a send journal: they read as notes or fail with an Error, never a crash. What
// reads is whole lines only, and the notes written out again read back the same.
#include <cstdlib>
#include <string>

#include "base/Error.h"
#include "server/SendJournal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    offrel::JournalText text;
    try {
        text = offrel::ParseSendJournal(bytes);
    } catch (const offrel::Error&) {
        return 0;
    }
    if (text.complete > size || (text.complete > 0 && bytes[text.complete - 1] != '\n') ||
        bytes.find('\n', text.complete) != std::string_view::npos)
        std::abort();
    std::string written;
    for (const auto& [digest, when] : text.pending)
        written += offrel::JournalSendLine(digest, when);
    const offrel::JournalText again = offrel::ParseSendJournal(written);
    if (again.pending != text.pending || again.complete != written.size()) std::abort();
    return 0;
}
