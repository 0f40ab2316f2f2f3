#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace offrel {

// A failure of SQLite: its result code and the system's error number behind it (0 for none).
class SqliteFailure : public std::runtime_error {
public:
    SqliteFailure(int code, int systemError, const std::string& text)
        : std::runtime_error(text), code_(code), systemError_(systemError) {}
    int Code() const { return code_; }
    int SystemError() const { return systemError_; }
    // The file is not a database, or its pages contradict each other.
    bool Damaged() const;
    // Why it failed, in French (Windows-1252), for the seller's message.
    std::string Reason() const;

private:
    int code_;
    int systemError_;
};

// One connection to a database file, opened for reading and writing, and used by one thread at
// a time.
class SqliteDatabase {
public:
    enum class WhenMissing { Create, Fail };
    explicit SqliteDatabase(const std::string& path, WhenMissing whenMissing = WhenMissing::Create);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // Runs statements that return no row.
    void Execute(const char* sql);
    // The first column of the first row of a query, as a whole number.
    std::int64_t QueryNumber(const char* sql);
    // The text of the first column of the first row of a query.
    std::string QueryText(const char* sql);

    sqlite3* Handle() const { return db_; }
    // The failure of the last call on this connection, which returned code.
    SqliteFailure Failure(int code) const;
    [[noreturn]] void Fail(int code) const;

private:
    sqlite3* db_ = nullptr;
};

// A prepared statement, reset and reused; columns and parameters counted from 0.
class SqliteStatement {
public:
    SqliteStatement(const SqliteDatabase& db, const std::string& sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    void BindNull(int parameter);
    void BindNumber(int parameter, std::int64_t value);
    void BindBytes(int parameter, std::string_view bytes);

    // Runs the statement to its next row; false when it is done (it is then reset).
    bool Step();
    // Makes the statement ready to run again with new parameters.
    void Reset();

    bool IsNull(int column) const;
    std::int64_t Number(int column) const;
    // Valid until the next Step or Reset.
    std::string_view Bytes(int column) const;

private:
    const SqliteDatabase& db_;
    sqlite3_stmt* statement_ = nullptr;
};

// A transaction that takes the write lock at once; rolled back unless committed.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDatabase& db);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    void Commit();

private:
    SqliteDatabase& db_;
    bool done_ = false;
};

}  // namespace offrel
