#include "history/SalesHistory.h"

#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <utility>

#include "base/Error.h"
#include "base/FileNames.h"
#include "base/Files.h"
#include "base/StampedNames.h"
#include "base/Windows1252.h"
#include "history/SaleRecord.h"
#include "history/Sqlite.h"
#include "sale/SearchText.h"

namespace offrel {

namespace {

constexpr char kFileName[] = "Historique.sqlite";
// The form of the file, kept in its user_version: 0 for a file this program has not set up yet;
// 1 before the list had its index.
constexpr std::int64_t kSchemaVersion = 2;

constexpr char kOpenFailed[] = "Impossible d'ouvrir l'historique des ventes envoyées \"%s\". %s";
constexpr char kAddFailed[] =
    "Impossible d'enregistrer la vente dans l'historique des ventes envoyées \"%s\". %s";
constexpr char kReadFailed[] = "Impossible de lire l'historique des ventes envoyées \"%s\". %s";
constexpr char kRemoveFailed[] =
    "Impossible de supprimer des ventes de l'historique des ventes envoyées \"%s\". %s";

// What the history keeps of a sending beside the sale's own columns.
constexpr char kSendingColumns[] = "Envoi, DateReponse, Identifiant";
// The row of Reglages that names the folding that made the texts of Recherche.
constexpr char kFoldingSetting[] = "'pliage'";
// What the list shows of each sale, in an index of its own: a few dozen bytes a sale, where the
// table's rows hold whole descriptions twice over, so that the list reads a twentieth of the file.
constexpr char kListColumns[] =
    "Envoi, DateReponse, Identifiant, Libelle, Reference, Prix, Categorie1, Categorie2, "
    "Categorie3";
constexpr char kListIndex[] = "ListeVentesEnvoyees";

std::string CreateListIndex() {
    return std::string("CREATE INDEX IF NOT EXISTS ") + kListIndex + " ON VentesEnvoyees (" +
           kListColumns + ");";
}

std::string Shown(const std::string& path) {
    return ShownFileSystemName(FullPath(path));
}

[[noreturn]] void ThrowFailure(const char* pattern, const std::string& path,
                               const std::string& reason) {
    throw Error(FormatMessage(W(pattern), {Shown(path), reason}));
}

// Beside each sale, Recherche holds its texts folded for the search (FoldedSearchText), so that
// opening the list does not fold a hundred thousand descriptions again; Reglages names the
// folding that made them.
std::string CreateSchema() {
    return "BEGIN IMMEDIATE;"
           "CREATE TABLE VentesEnvoyees (Envoi INTEGER PRIMARY KEY, DateReponse INTEGER NOT NULL, "
           "Identifiant BLOB NOT NULL, Recherche BLOB NOT NULL, " +
           SaleRecordDefinitions() +
           ");"
           "CREATE TABLE Reglages (Nom TEXT PRIMARY KEY, Valeur BLOB NOT NULL);" +
           CreateListIndex() + "PRAGMA user_version = " + std::to_string(kSchemaVersion) +
           ";COMMIT;";
}

std::string AddListIndex() {
    return "BEGIN IMMEDIATE;" + CreateListIndex() +
           "PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";COMMIT;";
}

// Pages that hold a whole sale with its description, read in place through a mapping of the
// file: the search reads every sale's texts. (The page size only applies to a new file.)
void MapPages(SqliteDatabase& db) {
    db.Execute("PRAGMA page_size = 16384");
    db.Execute("PRAGMA mmap_size = 1073741824");
}

std::string InsertStatement() {
    std::string values = "?, ?, ?";
    for (int k = 0; k < SaleRecordColumnCount(); ++k) values += ", ?";
    return "INSERT INTO VentesEnvoyees (DateReponse, Identifiant, Recherche, " +
           SaleRecordColumns() + ") VALUES (" + values + ")";
}

// What the search's folding makes of every byte.
std::string FoldingFingerprint() {
    std::string fingerprint;
    for (int byte = 1; byte < 256; ++byte)
        fingerprint += FoldForSearch(std::string(1, static_cast<char>(byte))) + '\0';
    return fingerprint;
}

// Folds the texts of every sale again when the search's folding is not the one that folded them.
void KeepSearchTextsFolded(SqliteDatabase& db) {
    const std::string fingerprint = FoldingFingerprint();
    SqliteStatement setting(
        db, std::string("SELECT Valeur FROM Reglages WHERE Nom = ") + kFoldingSetting);
    if (setting.Step() && setting.Bytes(0) == fingerprint) return;
    setting.Reset();
    SqliteTransaction transaction(db);
    std::vector<std::pair<std::int64_t, std::string>> folded;
    SqliteStatement texts(db, "SELECT Envoi, Libelle, Reference, Description FROM VentesEnvoyees");
    while (texts.Step())
        folded.emplace_back(texts.Number(0),
                            FoldedSearchText(texts.Bytes(1), texts.Bytes(2), texts.Bytes(3)));
    SqliteStatement update(db, "UPDATE VentesEnvoyees SET Recherche = ? WHERE Envoi = ?");
    for (const auto& [id, text] : folded) {
        update.Reset();
        update.BindBytes(0, text);
        update.BindNumber(1, id);
        update.Step();
    }
    SqliteStatement keep(db, std::string("INSERT OR REPLACE INTO Reglages (Nom, Valeur) VALUES (") +
                                 kFoldingSetting + ", ?)");
    keep.BindBytes(0, fingerprint);
    keep.Step();
    transaction.Commit();
}

// A name beside path for a damaged file, "Historique-abime-20250131-142205.sqlite", not yet
// taken.
std::string AsideName(const std::string& path) {
    const std::filesystem::path original(path);
    return FreeStampedName(original.parent_path().string(),
                           {original.stem().string() + "-abime-", "%Y%m%d-%H%M%S",
                            original.extension().string(), "-", ""},
                           std::time(nullptr));
}

}  // namespace

std::string SalesHistoryPath(const std::string& salesFile) {
    return (std::filesystem::path(salesFile).parent_path() / kFileName).string();
}

template <typename Action>
auto SalesHistory::Run(const char* pattern, Action&& action) {
    for (bool firstAttempt = true;; firstAttempt = false) {
        try {
            if (!db_) Open();
            return action();
        } catch (const SqliteFailure& failure) {
            if (!failure.Damaged() || !firstAttempt) ThrowFailure(pattern, path_, failure.Reason());
            SetAside();
        }
    }
}

SalesHistory::SalesHistory(std::string path) : path_(std::move(path)) {
    Run(kOpenFailed, [] {});
}

SalesHistory::~SalesHistory() {
    Close();
}

std::optional<std::string> SalesHistory::TakeDamage() {
    return std::exchange(damage_, std::nullopt);
}

void SalesHistory::Open() {
    auto db = std::make_unique<SqliteDatabase>(path_);
    MapPages(*db);
    // The write-ahead log makes each sale one append to the log and one flush: a crash never
    // leaves the database itself half written.
    db->QueryText("PRAGMA journal_mode = WAL");
    db->Execute("PRAGMA synchronous = FULL");
    const std::int64_t version = db->QueryNumber("PRAGMA user_version");
    if (version == 0) {
        db->Execute(CreateSchema().c_str());
    } else if (version > kSchemaVersion) {
        ThrowFailure(kOpenFailed, path_, W("Il a été écrit par une autre version du programme"));
    } else if (version < kSchemaVersion ||
               db->QueryNumber((std::string("SELECT count(*) FROM sqlite_schema WHERE name = '") +
                                kListIndex + "'")
                                   .c_str()) == 0) {
        // A file of the earlier form, or one whose index another program dropped: the list
        // reads nothing else.
        db->Execute(AddListIndex().c_str());
    }
    KeepSearchTextsFolded(*db);
    insert_ = std::make_unique<SqliteStatement>(*db, InsertStatement());
    db_ = std::move(db);
}

void SalesHistory::Close() {
    insert_.reset();
    db_.reset();
}

void SalesHistory::SetAside() {
    Close();
    const std::string aside = AsideName(path_);
    // The log belongs to its database: left behind, it would be played into the new one.
    const std::string log = path_ + "-wal";
    const bool hasLog = ::access(log.c_str(), F_OK) == 0;
    if (hasLog && ::rename(log.c_str(), (aside + "-wal").c_str()) != 0)
        ThrowFailure(kOpenFailed, path_, SystemReason(errno));
    if (::rename(path_.c_str(), aside.c_str()) != 0) {
        const int error = errno;
        if (hasLog) ::rename((aside + "-wal").c_str(), log.c_str());
        ThrowFailure(kOpenFailed, path_, SystemReason(error));
    }
    ::unlink((path_ + "-shm").c_str());  // an index of the log, rebuilt from it when needed
    damage_ = FormatMessage(W("L'historique des ventes envoyées \"%s\" était abîmé : il a été mis "
                              "de côté sous le nom \"%s\", et un nouvel historique commence."),
                            {Shown(path_), Shown(aside)});
}

void SalesHistory::Add(const Sale& sale, std::int64_t answeredAt, std::string_view login) {
    Run(kAddFailed, [&] {
        insert_->Reset();
        insert_->BindNumber(0, answeredAt);
        insert_->BindBytes(1, login);
        insert_->BindBytes(2,
                           FoldedSearchText(sale.libelle.value_or(""), sale.reference.value_or(""),
                                            sale.description.value_or("")));
        BindSaleRecord(*insert_, 3, sale);
        insert_->Step();
    });
}

SentSalesList SalesHistory::List() {
    return Run(kReadFailed, [&] {
        SentSalesList list;
        // The largest number bounds what the list will hold.
        list.Reserve(
            static_cast<std::size_t>(db_->QueryNumber("SELECT max(Envoi) FROM VentesEnvoyees")));
        SqliteStatement query(*db_, std::string("SELECT ") + kListColumns +
                                        " FROM VentesEnvoyees INDEXED BY " + kListIndex +
                                        " ORDER BY Envoi DESC");
        while (query.Step()) {
            SentSaleLine line;
            line.id = query.Number(0);
            line.answeredAt = query.Number(1);
            line.login = query.Bytes(2);
            line.libelle = query.Bytes(3);
            line.reference = query.Bytes(4);
            if (!query.IsNull(5)) line.prix = Money::FromTicks(query.Number(5));
            for (int k = 0; k < 3; ++k)
                if (!query.IsNull(6 + k))
                    line.categorie[k] = static_cast<std::int32_t>(query.Number(6 + k));
            list.Append(line);
        }
        list.SortLatestFirst();
        return list;
    });
}

FoldedTexts SalesHistory::ReadSearchTexts(const std::string& path, std::stop_token stop) {
    try {
        SqliteDatabase db(path, SqliteDatabase::WhenMissing::Fail);
        MapPages(db);
        FoldedTexts texts;
        // The largest number and the file's size bound what the texts will hold.
        texts.Reserve(
            static_cast<std::size_t>(db.QueryNumber("SELECT max(Envoi) FROM VentesEnvoyees")),
            static_cast<std::size_t>(db.QueryNumber("PRAGMA page_count") *
                                     db.QueryNumber("PRAGMA page_size")));
        // In the list's order, so that a search reads the texts one after another.
        SqliteStatement query(db,
                              "SELECT Envoi, Recherche FROM VentesEnvoyees ORDER BY Envoi DESC");
        while (!stop.stop_requested() && query.Step())
            texts.Append(query.Number(0), query.Bytes(1));
        return texts;
    } catch (const SqliteFailure& failure) {
        ThrowFailure(kReadFailed, path, failure.Reason());
    }
}

std::vector<SentSale> SalesHistory::Read(const std::vector<std::int64_t>& ids) {
    return Run(kReadFailed, [&] {
        SqliteStatement query(*db_, std::string("SELECT ") + kSendingColumns + ", " +
                                        SaleRecordColumns() +
                                        " FROM VentesEnvoyees WHERE Envoi = ?");
        std::vector<SentSale> sales;
        for (const std::int64_t id : ids) {
            query.Reset();
            query.BindNumber(0, id);
            if (!query.Step()) continue;
            SentSale sent;
            sent.id = query.Number(0);
            sent.answeredAt = query.Number(1);
            sent.login = std::string(query.Bytes(2));
            sent.sale = ReadSaleRecord(query, 3);
            sales.push_back(std::move(sent));
        }
        return sales;
    });
}

void SalesHistory::Remove(const std::vector<std::int64_t>& ids) {
    Run(kRemoveFailed, [&] {
        SqliteStatement remove(*db_, "DELETE FROM VentesEnvoyees WHERE Envoi = ?");
        SqliteTransaction transaction(*db_);
        for (const std::int64_t id : ids) {
            remove.Reset();
            remove.BindNumber(0, id);
            remove.Step();
        }
        transaction.Commit();
    });
}

}  // namespace offrel
