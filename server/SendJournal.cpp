#include "server/SendJournal.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <set>
#include <unordered_map>
#include <vector>

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

template <typename Number>
std::optional<Number> Decimal(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    Number value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The words of a line, split at each space.
std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    for (std::size_t at = 0;;) {
        const std::size_t space = line.find(' ', at);
        words.push_back(line.substr(at, space - at));
        if (space == std::string_view::npos) return words;
        at = space + 1;
    }
}

// The origin word of a line; a line without one names none.
std::optional<std::uint32_t> OriginWord(const std::vector<std::string_view>& words,
                                        std::size_t at) {
    if (words.size() == at) return 0;
    if (words.size() != at + 1) return std::nullopt;
    const auto origin = Decimal<std::uint32_t>(words[at]);
    if (!origin || *origin == 0) return std::nullopt;
    return origin;
}

// Applies one line to the notes; false when it is not a journal line.
bool ApplyLine(std::string_view line, JournalNotes& pending) {
    const std::vector<std::string_view> words = Words(line);
    if (words.size() < 2 || !IsDigest(words[1])) return false;
    if (words[0] == kSend && words.size() >= 3) {
        const auto when = Decimal<std::int64_t>(words[2]);
        const auto origin = OriginWord(words, 3);
        if (!when || !origin) return false;
        pending.emplace(NoteKey{*origin, std::string(words[1])}, *when);  // the first send counts
        return true;
    }
    if (words[0] == kDone) {
        const auto origin = OriginWord(words, 2);
        if (!origin) return false;
        pending.erase(NoteKey{*origin, std::string(words[1])});
        return true;
    }
    return false;
}

std::string OriginSuffix(const NoteKey& key) {
    return key.origin == 0 ? std::string() : " " + std::to_string(key.origin);
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

NoteKey SaleNoteKey(const Table& cdsVente, int position) {
    return {cdsVente.RowOrigin(position), SaleDigest(cdsVente, position)};
}

std::string JournalSendLine(const NoteKey& key, std::int64_t when) {
    return std::string(kSend) + " " + key.digest + " " + std::to_string(when) + OriginSuffix(key) +
           "\n";
}

std::string JournalDoneLine(const NoteKey& key) {
    return std::string(kDone) + " " + key.digest + OriginSuffix(key) + "\n";
}

JournalText ParseSendJournal(std::string_view bytes) {
    JournalText text;
    int number = 0;
    for (std::size_t end; (end = bytes.find('\n', text.complete)) != std::string_view::npos;
         text.complete = end + 1) {
        ++number;
        if (!ApplyLine(bytes.substr(text.complete, end - text.complete), text.pending))
            text.damagedLines.push_back(number);
    }
    return text;
}

std::map<std::uint32_t, SaleNotes> NotesOfRows(const JournalNotes& notes, const Table& cdsVente) {
    std::map<std::uint32_t, SaleNotes> rows;
    if (notes.empty()) return rows;
    std::unordered_map<std::uint32_t, int> live;  // origin to position
    for (int row = 0; row < cdsVente.RecordCount(); ++row)
        live.emplace(cdsVente.RowOrigin(row), row);
    const auto add = [&rows](std::uint32_t origin, int position, const NoteKey& key,
                             std::int64_t when) {
        SaleNotes& sale = rows[origin];
        sale.position = position;
        sale.when = sale.keys.empty() ? when : std::min(sale.when, when);
        sale.keys.push_back(key);
    };
    std::multimap<std::string, JournalNotes::const_iterator> byDigest;
    for (auto note = notes.begin(); note != notes.end(); ++note) {
        const auto row = note->first.origin == 0 ? live.end() : live.find(note->first.origin);
        if (row != live.end())
            add(row->first, row->second, note->first, note->second);
        else
            byDigest.emplace(note->first.digest, note);
    }
    for (int row = 0; row < cdsVente.RecordCount() && !byDigest.empty(); ++row) {
        const auto [first, last] = byDigest.equal_range(SaleDigest(cdsVente, row));
        for (auto found = first; found != last; ++found)
            add(cdsVente.RowOrigin(row), row, found->second->first, found->second->second);
        byDigest.erase(first, last);
    }
    return rows;
}

SendJournal::SendJournal(std::string path) : path_(std::move(path)) {
    struct stat status;
    if (path_.empty() || (::stat(path_.c_str(), &status) != 0 && errno == ENOENT)) return;
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadWholeFile(path_);
    } catch (const Error& failure) {
        unreadable_ = failure.what();
        return;
    }
    JournalText text = ParseSendJournal(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    pending_ = std::move(text.pending);
    length_ = text.complete;
    damagedLines_ = std::move(text.damagedLines);
    if (!damagedLines_.empty()) damagedFile_ = std::move(bytes);
}

void SendJournal::RequireReadable() const {
    if (!unreadable_) return;
    throw Error(FormatMessage(W("Aucune vente n'est envoyée : le journal des envois ne peut pas "
                                "être lu, et sans lui une vente dont l'envoi a été interrompu "
                                "pourrait partir une seconde fois. %s"),
                              {*unreadable_}));
}

std::optional<std::string> SendJournal::TakeDamage() {
    if (damagedLines_.empty()) return std::nullopt;
    const std::string shown = ShownFileSystemName(FullPath(path_));
    const std::string kept = path_ + ".illisible";
    const std::string message =
        damagedLines_.size() == 1
            ? FormatMessage(W("Dans le journal des envois \"%s\", la ligne %s est endommagée : "
                              "elle est écartée, les autres notes sont gardées. Le journal tel "
                              "qu'il était est conservé dans \"%s\"."),
                            {shown, std::to_string(damagedLines_.front()),
                             ShownFileSystemName(FullPath(kept))})
            : FormatMessage(
                  W("Dans le journal des envois \"%s\", %s lignes sont endommagées "
                    "(la première est la ligne %s) : elles sont écartées, les autres "
                    "notes sont gardées. Le journal tel qu'il était est conservé dans "
                    "\"%s\"."),
                  {shown, std::to_string(damagedLines_.size()),
                   std::to_string(damagedLines_.front()), ShownFileSystemName(FullPath(kept))});
    try {
        WriteFileAtomically(kept, damagedFile_);
    } catch (const Error&) {
        // Only a copy for whoever wants to look at it: the notes that read are what counts.
    }
    std::string lines;
    for (const auto& [key, when] : pending_) lines += JournalSendLine(key, when);
    WriteFileAtomically(path_, std::vector<std::uint8_t>(lines.begin(), lines.end()));
    length_ = lines.size();
    damagedLines_.clear();
    damagedFile_ = {};
    return message;
}

void SendJournal::Write(const std::string& line, bool durable) {
    if (path_.empty()) return;
    WriteFileTail(path_, length_, line, durable);
    length_ += line.size();
}

void SendJournal::Record(const NoteKey& key, std::int64_t when) {
    Write(JournalSendLine(key, when), true);
    pending_.emplace(key, when);
}

void SendJournal::Clear(const NoteKey& key) {
    if (pending_.erase(key) == 0) return;
    try {
        if (pending_.empty()) {
            // Nothing left to remember: the file starts again empty.
            length_ = 0;
            Write(std::string(), false);
        } else {
            Write(JournalDoneLine(key), false);
        }
    } catch (const Error&) {
    }
}

void SendJournal::AttachToRows(const Table& cdsVente) {
    for (const auto& [origin, sale] : NotesOfRows(pending_, cdsVente)) {
        const NoteKey now{origin, SaleDigest(cdsVente, sale.position)};
        if (sale.keys.size() == 1 && sale.keys.front() == now) continue;
        try {
            if (!pending_.contains(now)) Record(now, sale.when);
        } catch (const Error&) {
            continue;  // found as before next time
        }
        for (const NoteKey& key : sale.keys)
            if (key != now) Clear(key);
    }
}

void SendJournal::FollowSalesOf(const Table& cdsVente) {
    AttachToRows(cdsVente);
    std::set<NoteKey> kept;
    for (const auto& [origin, sale] : NotesOfRows(pending_, cdsVente))
        kept.insert(sale.keys.begin(), sale.keys.end());
    for (auto note = pending_.begin(); note != pending_.end();) {
        const NoteKey key = (note++)->first;
        if (!kept.contains(key)) Clear(key);
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
