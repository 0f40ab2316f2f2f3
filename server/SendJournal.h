#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "tables/Sale.h"
#include "tables/Table.h"

namespace offrel {

// The send journal: a small file beside the sales table where the upload notes, before each
// "putVente" request, which sale it is sending, and clears the note once the outcome is known.
// A note still there at the next upload is a send that was cut off while the site may already
// have stored the sale: the seller is asked before it goes again.
//
// The file is a list of lines, appended as things happen:
//   "envoi <digest> <seconds since 1970>"   a request is about to go
//   "fin <digest>"                          its outcome is known
// A line that a crash cut short is the last one and is ignored.

// Envois.journal in the folder of the sales file.
std::string SendJournalPath(const std::string& salesFile);

// A sale as the journal knows it: a digest (16 hex digits) of the parts that its "putVente"
// request sends, login and password left out. Sales with the same fields have the same digest.
std::string SaleDigest(const Sale& sale);
// The digest of the sale at position in cdsVente.
std::string SaleDigest(const Table& cdsVente, int position);

std::string JournalSendLine(const std::string& digest, std::int64_t when);
std::string JournalDoneLine(const std::string& digest);

// The notes of a journal file: digest to the time its send began.
using JournalNotes = std::map<std::string, std::int64_t>;
struct JournalText {
    JournalNotes pending;
    std::size_t complete = 0;  // bytes up to the end of the last whole line
};
// Throws an Error naming the first line that is not a journal line.
JournalText ParseSendJournal(std::string_view bytes);

class SendJournal {
public:
    // Reads the journal file; an empty path keeps the notes in memory only. A file that cannot
    // be read or understood counts as empty, and TakeDamage() tells it once.
    explicit SendJournal(std::string path);

    const std::string& Path() const { return path_; }
    const JournalNotes& Pending() const { return pending_; }
    std::optional<std::int64_t> SentAt(const std::string& digest) const;

    // The French message about a damaged journal, the first time only; the damaged file is set
    // aside (".illisible") so that no later run reports it again.
    std::optional<std::string> TakeDamage();

    // Notes the send, written and flushed to the disk before it returns; throws when it cannot.
    void Record(const std::string& digest, std::int64_t when);
    // Drops the note. A failure to write is not reported: the note then comes back at the next
    // reading, and the seller is asked once more than needed, which loses nothing.
    void Clear(const std::string& digest);
    // Drops the notes of sales that cdsVente no longer holds (sent, deleted or changed), once
    // the table's file says the same.
    void KeepOnlySalesOf(const Table& cdsVente);

private:
    void Write(const std::string& line, bool durable);

    std::string path_;
    JournalNotes pending_;
    std::uint64_t length_ = 0;  // bytes of whole lines in the file
    std::optional<std::string> damage_;
};

// What the seller reads about an interrupted send: the question before sending it again, and
// the tooltip of the list. when: seconds since 1970, shown in local time.
std::string InterruptedSendQuestion(const std::string& libelle, std::int64_t when);
std::string InterruptedSendTip(std::int64_t when);

}  // namespace offrel
