#include "server/SendJournal.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <set>

#include "base/Error.h"
#include "base/FileNames.h"
#include "base/Files.h"
#include "base/Windows1252.h"
#include "server/SaleRequest.h"
#include "tables/Rows.h"

namespace offrel {

namespace {

constexpr std::string_view kSend = "envoi";
constexpr std::string_view kDone = "fin";
constexpr std::size_t kDigestLength = 16;

// FNV-1a, 64 bits: a stable digest with no library behind it. Two different sales colliding
// would only mean one question too many.
class Fnv1a {
public:
    void Add(std::string_view bytes) {
        for (const char c : bytes) {
            hash_ ^= static_cast<unsigned char>(c);
            hash_ *= 0x100000001b3ULL;
        }
    }
    // Each value with its length in front, so that no two lists of values give the same bytes.
    void AddValue(std::string_view value) {
        Add(std::to_string(value.size()));
        Add(":");
        Add(value);
    }
    std::string Hex() const {
        char text[kDigestLength + 1];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash_));
        return text;
    }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

bool IsDigest(std::string_view text) {
    return text.size() == kDigestLength &&
           text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::optional<std::int64_t> Seconds(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// "le 09/12/2024 à 14:05", in local time.
std::string LocalDate(std::int64_t when) {
    const std::time_t time = static_cast<std::time_t>(when);
    std::tm local{};
    localtime_r(&time, &local);
    char day[16];
    char hour[8];
    std::strftime(day, sizeof day, "%d/%m/%Y", &local);
    std::strftime(hour, sizeof hour, "%H:%M", &local);
    return FormatMessage(W("le %s à %s"), {day, hour});
}

}  // namespace

std::string SendJournalPath(const std::string& salesFile) {
    if (salesFile.empty()) return {};
    return (std::filesystem::path(salesFile).parent_path() / "Envois.journal").string();
}

std::string SaleDigest(const Sale& sale) {
    Fnv1a digest;
    for (const SalePart& part : SaleParts(sale)) {
        digest.AddValue(part.name);
        digest.AddValue(part.value);
    }
    return digest.Hex();
}

std::string SaleDigest(const Table& cdsVente, int position) {
    return SaleDigest(ReadSale(cdsVente, position));
}

std::string JournalSendLine(const std::string& digest, std::int64_t when) {
    return std::string(kSend) + " " + digest + " " + std::to_string(when) + "\n";
}

std::string JournalDoneLine(const std::string& digest) {
    return std::string(kDone) + " " + digest + "\n";
}

JournalText ParseSendJournal(std::string_view bytes) {
    JournalText text;
    int number = 0;
    for (std::size_t end; (end = bytes.find('\n', text.complete)) != std::string_view::npos;
         text.complete = end + 1) {
        ++number;
        const std::string_view line = bytes.substr(text.complete, end - text.complete);
        const std::size_t first = line.find(' ');
        const std::size_t second = line.find(' ', first == line.npos ? line.npos : first + 1);
        const std::string_view word = line.substr(0, first);
        const std::string_view digest =
            first == line.npos ? std::string_view() : line.substr(first + 1, second - first - 1);
        if (word == kSend && IsDigest(digest) && second != line.npos) {
            if (const auto when = Seconds(line.substr(second + 1))) {
                text.pending.emplace(std::string(digest), *when);  // the first send counts
                continue;
            }
        } else if (word == kDone && IsDigest(digest) && second == line.npos) {
            text.pending.erase(std::string(digest));
            continue;
        }
        throw Error(FormatMessage(W("la ligne %s n'est pas une ligne du journal"),
                                  {std::to_string(number)}));
    }
    return text;
}

SendJournal::SendJournal(std::string path) : path_(std::move(path)) {
    struct stat status;
    if (path_.empty() || (::stat(path_.c_str(), &status) != 0 && errno == ENOENT)) return;
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadWholeFile(path_);
    } catch (const Error& failure) {
        damage_ = std::string(failure.what()) + ".";
        return;
    }
    try {
        JournalText text = ParseSendJournal(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        pending_ = std::move(text.pending);
        length_ = text.complete;
    } catch (const Error& failure) {
        damage_ = FormatMessage(W("Le journal des envois \"%s\" est endommagé : %s."),
                                {ShownFileSystemName(FullPath(path_)), failure.what()});
    }
}

std::optional<std::int64_t> SendJournal::SentAt(const std::string& digest) const {
    const auto note = pending_.find(digest);
    if (note == pending_.end()) return std::nullopt;
    return note->second;
}

std::optional<std::string> SendJournal::TakeDamage() {
    if (!damage_) return std::nullopt;
    std::string message = *damage_ + W(" Il est mis de côté et l'envoi continue sans lui.");
    damage_.reset();
    // Kept for whoever wants to look at it; where it cannot be moved, the next note starts the
    // file afresh all the same.
    std::rename(path_.c_str(), (path_ + ".illisible").c_str());
    length_ = 0;
    return message;
}

void SendJournal::Write(const std::string& line, bool durable) {
    if (path_.empty()) return;
    WriteFileTail(path_, length_, line, durable);
    length_ += line.size();
}

void SendJournal::Record(const std::string& digest, std::int64_t when) {
    Write(JournalSendLine(digest, when), true);
    pending_.emplace(digest, when);
}

void SendJournal::Clear(const std::string& digest) {
    if (pending_.erase(digest) == 0) return;
    try {
        if (pending_.empty()) {
            // Nothing left to remember: the file starts again empty.
            length_ = 0;
            Write(std::string(), false);
        } else {
            Write(JournalDoneLine(digest), false);
        }
    } catch (const Error&) {
    }
}

void SendJournal::KeepOnlySalesOf(const Table& cdsVente) {
    if (pending_.empty()) return;
    std::set<std::string> present;
    for (int row = 0; row < cdsVente.RecordCount(); ++row)
        present.insert(SaleDigest(cdsVente, row));
    for (auto note = pending_.begin(); note != pending_.end();) {
        const std::string digest = (note++)->first;
        if (!present.count(digest)) Clear(digest);
    }
}

std::string InterruptedSendQuestion(const std::string& libelle, std::int64_t when) {
    return FormatMessage(W("La vente « %s » était en cours d'envoi quand l'envoi s'est "
                           "interrompu (%s) : le site l'a peut-être déjà reçue. L'envoyer quand "
                           "même ?"),
                         {libelle, LocalDate(when)});
}

std::string InterruptedSendTip(std::int64_t when) {
    return FormatMessage(W("L'envoi de cette vente a été interrompu %s : le site l'a peut-être "
                           "déjà reçue. Vous serez interrogé avant qu'elle soit envoyée à "
                           "nouveau."),
                         {LocalDate(when)});
}

}  // namespace offrel
