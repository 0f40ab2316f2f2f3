#include "import/SalesFileRecords.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/Error.h"
#include "tables/CsvFile.h"

namespace offrel {

namespace {

constexpr char kQuote = '"';
constexpr char kSeparator = ';';
constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kEndOfText = '\x1A';  // Ctrl+Z
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kStoredLineBreak = "\r\n";

// The first of the three bytes in text from at, or npos (find_first_of looks for each byte of
// text in the set, which costs several times more on the long cells of a sheet).
std::size_t FindAny(const std::string& text, std::size_t at, char a, char b, char c) {
    for (; at < text.size(); ++at) {
        const char byte = text[at];
        if (byte == a || byte == b || byte == c) return at;
    }
    return std::string::npos;
}

}  // namespace

SalesFileRecords::SalesFileRecords(std::string text) : text_(std::move(text)) {
    const std::size_t end = text_.find(kEndOfText);
    if (end != std::string::npos) text_.resize(end);
    if (std::string_view(text_).starts_with(kByteOrderMark)) at_ = kByteOrderMark.size();
}

std::string_view SalesFileRecords::Field(int index) const {
    if (index < 0 || index >= count_) return {};
    return fields_[static_cast<std::size_t>(index)];
}

std::string& SalesFileRecords::NewField() {
    if (static_cast<std::size_t>(count_) == fields_.size()) fields_.emplace_back();
    std::string& field = fields_[static_cast<std::size_t>(count_++)];
    field.clear();
    return field;
}

// A line ends before a line feed or a carriage return and line feed, and at the end of the text.
bool SalesFileRecords::AtLineEnd() const {
    if (at_ == text_.size() || text_[at_] == kLineFeed) return true;
    return text_[at_] == kCarriageReturn && at_ + 1 < text_.size() && text_[at_ + 1] == kLineFeed;
}

void SalesFileRecords::SkipLineEnd() {
    if (at_ < text_.size() && text_[at_] == kCarriageReturn) ++at_;
    if (at_ < text_.size()) ++at_;
}

bool SalesFileRecords::Next() {
    count_ = 0;
    if (at_ >= text_.size()) return false;
    ++line_;
    for (;;) {
        while (at_ < text_.size() && text_[at_] == kCarriageReturn && !AtLineEnd()) ++at_;
        if (AtLineEnd()) break;  // an empty line, or a ";" that ended the line
        std::string& field = NewField();
        if (text_[at_] == kQuote) ReadQuoted(field);
        ReadPlain(field);
        if (at_ == text_.size() || text_[at_] != kSeparator) break;
        ++at_;
    }
    SkipLineEnd();
    return true;
}

// Reads the quoted part of a field from its opening quote; reads nothing when no quote closes it
// before the end of the text.
void SalesFileRecords::ReadQuoted(std::string& field) {
    std::size_t at = at_ + 1;
    for (;;) {
        const std::size_t stop = FindAny(text_, at, kQuote, kCarriageReturn, kLineFeed);
        if (stop == std::string::npos) {
            field.clear();
            return;
        }
        field.append(text_, at, stop - at);
        at = stop + 1;
        const char c = text_[stop];
        if (c == kQuote) {
            if (at < text_.size() && text_[at] == kQuote) {
                field.push_back(kQuote);
                ++at;
                continue;
            }
            at_ = at;
            return;
        }
        if (c == kLineFeed) field.append(kStoredLineBreak);
        // A carriage return is part of the line break that follows it, or dropped when alone.
    }
}

// Reads up to the next ";" or the end of the line, dropping lone carriage returns.
void SalesFileRecords::ReadPlain(std::string& field) {
    for (;;) {
        const std::size_t stop = FindAny(text_, at_, kSeparator, kCarriageReturn, kLineFeed);
        const std::size_t end = stop == std::string::npos ? text_.size() : stop;
        field.append(text_, at_, end - at_);
        at_ = end;
        if (AtLineEnd() || text_[at_] == kSeparator) return;
        ++at_;  // a lone carriage return
    }
}

std::optional<std::string> ReadSalesFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return std::nullopt;
    const int file = OpenSharedForReading(path);
    std::string text;
    text.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(file, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            ::close(file);
            throw SystemInOutError(error);
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(file);
    return text;
}

}  // namespace offrel
