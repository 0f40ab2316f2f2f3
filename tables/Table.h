#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/Files.h"
#include "base/Money.h"

namespace offrel {

enum class FieldType { Integer, Currency, String, Boolean, Graphic };

struct ColumnDef {
    std::string name;
    FieldType type;
    int size = 0;  // String(n): n; 0 for the other types
    friend bool operator==(const ColumnDef&, const ColumnDef&) = default;
};

// A column value; std::monostate is the empty value (never assigned).
using Value = std::variant<std::monostate, std::int32_t, Money, bool, std::string>;

// A value of type T as it is, any other (the empty value included) as T's empty value.
template <typename T>
T ValueAs(Value value) {
    T* held = std::get_if<T>(&value);
    return held ? std::move(*held) : T();
}

enum class TableState { Browse, Insert, Edit };

// Told of every change of a table's live rows, so that a grid follows it without polling.
// While controls are disabled (DisableControls) no row notification is sent; the outermost
// EnableControls sends ControlsEnabled and the listener rereads everything.
class TableListener {
public:
    virtual ~TableListener() = default;
    virtual void RowAboutToBeInserted(int position) = 0;
    virtual void RowInserted(int position) = 0;
    virtual void RowAboutToBeDeleted(int position) = 0;
    virtual void RowDeleted(int position) = 0;
    virtual void RowChanged(int position) = 0;
    virtual void AboutToReset() = 0;
    virtual void Reset() = 0;
    virtual void CurrentRowChanged(int /*position*/) {}
    virtual void ControlsDisabled() = 0;
    virtual void ControlsEnabled() = 0;
};

// Told of every change of a table's live rows as it is made, the changes of a bulk operation
// included (its listeners hear of those only at the end): a history of the changes follows the
// rows this way.
class TableRecorder {
public:
    virtual ~TableRecorder() = default;
    virtual void RowInserted(int position) = 0;
    // Before the change: the row still reads as it was.
    virtual void RowAboutToBeModified(int position) = 0;
    virtual void RowAboutToBeDeleted(int position) = 0;
    // Every row was discarded, or replaced by those of a file.
    virtual void RowsReset() = 0;
};

class Table;

// The accessor of one column of a table: reads the current row (or the row being inserted or
// edited) and writes the row being inserted or edited. An empty value reads as 0, false or "".
class Field {
public:
    std::int32_t AsInteger() const;
    Money AsCurrency() const;
    std::string AsString() const;  // an integer as its decimal digits, a blob as its bytes
    bool AsBoolean() const;
    bool IsNull() const;

    void SetAsInteger(std::int32_t value);
    void SetAsCurrency(Money value);
    void SetAsString(std::string_view value);  // cut to the column's size
    void SetAsBoolean(bool value);
    void Clear();

    const std::string& FieldName() const;
    FieldType DataType() const;

private:
    friend class Table;
    Field(Table* table, int column) : table_(table), column_(column) {}
    Table* table_;
    int column_;
};

// An in-memory table with a current row, the states browsing / inserting / editing, a change
// counter, and every row version with the change log kept for its table file. Rows are
// addressed by position (0 for the first live row).
class Table {
public:
    // builtinPacket: the built-in initial contents, a table packet (no length prefix); none
    // stands for the columns with no row.
    Table(std::string name, std::vector<ColumnDef> columns,
          std::vector<std::uint8_t> builtinPacket);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    const std::string& Name() const;
    const std::vector<ColumnDef>& Columns() const;
    int ColumnIndex(std::string_view name) const;  // -1 when there is none

    // The file where the table is written when it is closed; changing it reloads nothing.
    const std::string& FileName() const;
    void SetFileName(std::string path);

    // Loads the file named FileName() when it exists and is longer than 0 bytes, otherwise the
    // built-in contents. Opening an open table does nothing. A file that cannot be read throws;
    // the table then never writes over that file during the run.
    void Open();
    // Opens like Open, but a file that cannot be read is given up without a word: the table
    // takes its built-in contents and writes over that file at closing. For a table whose
    // contents are rebuilt at every start.
    void OpenDiscardingUnreadable();
    // Writes the table when it has a file name and its change counter is on or no file exists
    // under that name, then discards the rows. Throws a French message naming the file and the
    // system's reason when the file cannot be written.
    void Close();
    bool Active() const;

    // Writes the table to FileName() now, atomically (new file, flush, rename over the old one).
    void Save();
    // Told, at each save that replaces a file, that file's path just before it goes (to keep a
    // copy of it); its bytes and the save's atomicity stay the same.
    void SetBeforeReplace(BeforeReplace hook);

    // Stores a row being inserted or edited if any value was set (drops it otherwise), then
    // discards every row version and the log; the change counter is forced on.
    void EmptyDataSet();
    // Empties the table as EmptyDataSet does and takes every row version and the log of source,
    // a table of the same columns, which is left with none: the rows a refill would have given,
    // without reading them again.
    void TakeRowsOf(Table& source);

    void Append();
    void Insert();  // a new row before the current row (as the first row when empty)
    void Edit();
    void Post();
    void Cancel();
    void Delete();  // the next row, or the new last row, becomes current

    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const;
    bool Bof() const;
    bool FindFirst();
    bool FindNext();

    int RecordCount() const;
    int RecNo() const;          // position of the current row, -1 when the table has no row
    void MoveTo(int position);  // makes the row at that position current
    TableState State() const;
    int ChangeCount() const;  // the change counter: 0 means unchanged since opened

    Field FieldByName(std::string_view name);  // throws when there is no such column
    Field FieldByIndex(int column);

    // The value of a live row without moving the current row (for grids).
    Value ValueAt(int position, int column) const;
    // The record number of the first version of the live row at position: the same through every
    // change of the row, and through a write and a read of the table's file. Another row, a copy
    // of it included, never has it.
    std::uint32_t RowOrigin(int position) const;

    void DisableControls();  // nested pairs
    void EnableControls();
    bool ControlsDisabled() const;

    void AddListener(TableListener* listener);
    void RemoveListener(TableListener* listener);
    // One recorder at a time; nullptr for none.
    void SetRecorder(TableRecorder* recorder);

    // Row images: a live row's stored bytes, to put back later exactly as they were.
    // Appends the image of the row at position to out.
    void AppendRowImage(int position, std::vector<std::uint8_t>& out) const;
    // Inserts a row from its image at position (RecordCount() for the end), or puts the image
    // over the row at position; the row becomes current, told as a posted row is.
    void InsertRowImage(int position, const std::uint8_t* image, std::size_t size);
    void ReplaceRowImage(int position, const std::uint8_t* image, std::size_t size);

    // The table packet of the table with every row version and the change log.
    std::vector<std::uint8_t> SaveToPacket() const;
    void LoadFromPacket(const std::uint8_t* data, std::size_t size);

private:
    friend class Field;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace offrel
