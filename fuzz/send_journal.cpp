// Any bytes as a send journal: they read as notes and damaged lines, never a crash. What reads is
// whole lines only, every whole line is a note's or a damaged one, and the notes written out
// again read back the same, with nothing damaged.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "server/SendJournal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const offrel::JournalText text = offrel::ParseSendJournal(bytes);
    if (text.complete > size || (text.complete > 0 && bytes[text.complete - 1] != '\n') ||
        bytes.find('\n', text.complete) != std::string_view::npos)
        std::abort();
    const auto lines = static_cast<std::size_t>(std::count(
        bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(text.complete), '\n'));
    if (text.damagedLines.size() > lines ||
        !std::is_sorted(text.damagedLines.begin(), text.damagedLines.end()))
        std::abort();
    std::string written;
    for (const auto& [key, when] : text.pending) written += offrel::JournalSendLine(key, when);
    const offrel::JournalText again = offrel::ParseSendJournal(written);
    if (again.pending != text.pending || again.complete != written.size() ||
        !again.damagedLines.empty())
        std::abort();
    return 0;
}
