#include "history/Sqlite.h"

#include <sqlite3.h>

#include <cerrno>

#include "base/Error.h"
#include "base/Windows1252.h"

namespace offrel {

namespace {

// How long a statement waits for another connection to release the file before it fails.
constexpr int kBusyTimeoutMilliseconds = 5000;

}  // namespace

bool SqliteFailure::Damaged() const {
    const int primary = code_ & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

std::string SqliteFailure::Reason() const {
    switch (code_ & 0xFF) {
        case SQLITE_FULL:
            return SystemReason(ENOSPC);
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return W("Le fichier est abîmé");
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return W("Le fichier est utilisé par un autre programme");
        case SQLITE_READONLY:
            return SystemReason(systemError_ != 0 ? systemError_ : EACCES);
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
            if (systemError_ != 0) return SystemReason(systemError_);
            break;
        case SQLITE_IOERR:
            // The system's error number is lost by the time SQLite reports a failed read or write.
            switch (code_) {
                case SQLITE_IOERR_READ:
                case SQLITE_IOERR_SHORT_READ:
                    return W("Erreur de lecture sur le disque");
                case SQLITE_IOERR_WRITE:
                case SQLITE_IOERR_FSYNC:
                case SQLITE_IOERR_DIR_FSYNC:
                case SQLITE_IOERR_TRUNCATE:
                    return W("Erreur d'écriture sur le disque");
                default:
                    return W("Erreur d'entrée-sortie sur le disque");
            }
        default:
            break;
    }
    return FormatMessage(W("Erreur de la base de données : %s"), {sqlite3_errstr(code_)});
}

SqliteDatabase::SqliteDatabase(const std::string& path, WhenMissing whenMissing) {
    const int code =
        sqlite3_open_v2(path.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX |
                            (whenMissing == WhenMissing::Create ? SQLITE_OPEN_CREATE : 0),
                        nullptr);
    if (code != SQLITE_OK) {
        // A connection that failed to open still needs closing once its failure is read.
        const SqliteFailure failure(code, db_ ? sqlite3_system_errno(db_) : 0,
                                    db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code));
        sqlite3_close(db_);
        throw failure;
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyTimeoutMilliseconds);
}

SqliteDatabase::~SqliteDatabase() {
    sqlite3_close(db_);
}

SqliteFailure SqliteDatabase::Failure(int code) const {
    return SqliteFailure(code, sqlite3_system_errno(db_), sqlite3_errmsg(db_));
}

void SqliteDatabase::Fail(int code) const {
    throw Failure(code);
}

void SqliteDatabase::Execute(const char* sql) {
    const int code = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) Fail(sqlite3_extended_errcode(db_));
}

std::int64_t SqliteDatabase::QueryNumber(const char* sql) {
    SqliteStatement query(*this, sql);
    return query.Step() ? query.Number(0) : 0;
}

std::string SqliteDatabase::QueryText(const char* sql) {
    SqliteStatement query(*this, sql);
    return query.Step() ? std::string(query.Bytes(0)) : std::string();
}

SqliteStatement::SqliteStatement(const SqliteDatabase& db, const std::string& sql) : db_(db) {
    const int code = sqlite3_prepare_v3(db.Handle(), sql.c_str(), static_cast<int>(sql.size() + 1),
                                        SQLITE_PREPARE_PERSISTENT, &statement_, nullptr);
    if (code != SQLITE_OK) db.Fail(code);
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(statement_);
}

void SqliteStatement::BindNull(int parameter) {
    const int code = sqlite3_bind_null(statement_, parameter + 1);
    if (code != SQLITE_OK) db_.Fail(code);
}

void SqliteStatement::BindNumber(int parameter, std::int64_t value) {
    const int code = sqlite3_bind_int64(statement_, parameter + 1, value);
    if (code != SQLITE_OK) db_.Fail(code);
}

void SqliteStatement::BindBytes(int parameter, std::string_view bytes) {
    // A blob without bytes would be bound as NULL: an empty text is a value, not an absence.
    const int code = bytes.empty() ? sqlite3_bind_zeroblob(statement_, parameter + 1, 0)
                                   : sqlite3_bind_blob64(statement_, parameter + 1, bytes.data(),
                                                         bytes.size(), SQLITE_TRANSIENT);
    if (code != SQLITE_OK) db_.Fail(code);
}

bool SqliteStatement::Step() {
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW) return true;
    if (code == SQLITE_DONE) {
        sqlite3_reset(statement_);
        return false;
    }
    // Read before the reset, which may say it in other words.
    const SqliteFailure failure = db_.Failure(sqlite3_extended_errcode(db_.Handle()));
    sqlite3_reset(statement_);
    throw failure;
}

void SqliteStatement::Reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

bool SqliteStatement::IsNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::int64_t SqliteStatement::Number(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::string_view SqliteStatement::Bytes(int column) const {
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    if (data == nullptr || size <= 0) return {};
    return {static_cast<const char*>(data), static_cast<std::size_t>(size)};
}

SqliteTransaction::SqliteTransaction(SqliteDatabase& db) : db_(db) {
    db_.Execute("BEGIN IMMEDIATE");
}

SqliteTransaction::~SqliteTransaction() {
    // A failed rollback leaves nothing more to do: SQLite rolls back what was not committed when
    // the connection closes or the next transaction begins.
    if (!done_) sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteTransaction::Commit() {
    db_.Execute("COMMIT");
    done_ = true;
}

}  // namespace offrel
