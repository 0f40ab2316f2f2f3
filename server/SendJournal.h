#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tables/Sale.h"
#include "tables/Table.h"

namespace offrel {

// The send journal: a small file beside the sales table where the upload notes which sale may be
// at the site without its answer known, and clears the note once the outcome is known. A note
// still there at the next upload is a send that was cut off after the whole request had gone:
// the seller is asked before it goes again.
//
// The file is a list of lines, appended as things happen:
//   "envoi <digest> <seconds since 1970> <origin>"   the whole request is about to be at the site
//   "fin <digest> <origin>"                          its outcome is known
// <origin> names the sale's row in cdsVente (Table::RowOrigin); lines written before it was kept
// lack it. A line that a crash cut short is the last one and is ignored.

// Envois.journal in the folder of the sales file.
std::string SendJournalPath(const std::string& salesFile);

// A digest (16 hex digits) of the parts that a sale's "putVente" request sends, login and
// password left out. Sales with the same fields have the same digest.
std::string SaleDigest(const Sale& sale);
// The digest of the sale at position in cdsVente.
std::string SaleDigest(const Table& cdsVente, int position);

// A sale as a note names it: the origin of its row (0 in a line that lacks it) and its digest.
struct NoteKey {
    std::uint32_t origin = 0;
    std::string digest;
    friend auto operator<=>(const NoteKey&, const NoteKey&) = default;
};
// The key of the sale at position in cdsVente.
NoteKey SaleNoteKey(const Table& cdsVente, int position);

std::string JournalSendLine(const NoteKey& key, std::int64_t when);
std::string JournalDoneLine(const NoteKey& key);

// The notes of a journal file: key to the time its send began.
using JournalNotes = std::map<NoteKey, std::int64_t>;
struct JournalText {
    JournalNotes pending;
    std::size_t complete = 0;       // bytes up to the end of the last whole line
    std::vector<int> damagedLines;  // numbers (from 1) of whole lines that are not journal lines
};
// Reads every journal line; a whole line that is not one is passed over and counted.
JournalText ParseSendJournal(std::string_view bytes);

// The notes gathered by one sale of cdsVente; the earliest time counts.
struct SaleNotes {
    int position = 0;  // of the sale's row
    std::vector<NoteKey> keys;
    std::int64_t when = 0;
};
// The notes of the sales of cdsVente, by the origin of their rows. A note belongs to the live row
// of its origin; when no live row has it (the sale was deleted, and maybe put back since) or it
// names none, to the first row with the same digest; otherwise to no row. A copy of a sale is
// another row: it never takes the note of its original while the original is there.
std::map<std::uint32_t, SaleNotes> NotesOfRows(const JournalNotes& notes, const Table& cdsVente);

class SendJournal {
public:
    // Reads the journal file; an empty path keeps the notes in memory only. A file that cannot
    // be read counts as empty, and RequireReadable throws; damaged lines are passed over, and
    // TakeDamage tells of them.
    explicit SendJournal(std::string path);

    const std::string& Path() const { return path_; }
    const JournalNotes& Pending() const { return pending_; }

    // Throws a French message naming the file and the system's reason when it could not be read:
    // without its notes, a sale whose send was cut off would go again without a question.
    void RequireReadable() const;
    // The French message about the damaged lines, the first time only. The file as it was is
    // kept beside it (".illisible") and the journal is written again with the notes that read;
    // throws when it cannot be.
    std::optional<std::string> TakeDamage();

    // Notes the send, written and flushed to the disk before it returns; throws when it cannot.
    void Record(const NoteKey& key, std::int64_t when);
    // Drops the note. A failure to write is not reported: the note then comes back at the next
    // reading, and the seller is asked once more than needed, which loses nothing.
    void Clear(const NoteKey& key);
    // Writes each note that belongs to a row again under that row's key, its origin and its
    // digest as they are now: a note found by its digest stays with its sale through its next
    // changes, and a changed sale, deleted and put back, is still found. A note that cannot be
    // written again stays as it was.
    void AttachToRows(const Table& cdsVente);
    // AttachToRows, then drops the notes of sales that cdsVente no longer holds (sent or
    // deleted): once the table's file says the same as the table.
    void FollowSalesOf(const Table& cdsVente);

private:
    void Write(const std::string& line, bool durable);

    std::string path_;
    JournalNotes pending_;
    std::uint64_t length_ = 0;  // bytes of whole lines in the file
    std::optional<std::string> unreadable_;
    std::vector<int> damagedLines_;
    std::vector<std::uint8_t> damagedFile_;  // the file as it was read, while damage is untold
};

// What the seller reads about an interrupted send: the question before sending it again, and
// the tooltip of the list. when: seconds since 1970, shown in local time.
std::string InterruptedSendQuestion(const std::string& libelle, std::int64_t when);
std::string InterruptedSendTip(std::int64_t when);

}  // namespace offrel
