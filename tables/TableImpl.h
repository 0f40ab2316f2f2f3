#pragma once

#include <string>
#include <vector>

#include "tables/RowStore.h"
#include "tables/Table.h"

namespace offrel {

struct Table::Impl {
    Impl(std::string tableName, std::vector<ColumnDef> columns, std::vector<std::uint8_t> builtin)
        : name(std::move(tableName)),
          store(std::move(columns)),
          builtinPacket(std::move(builtin)) {}

    // The value that a field shows: the row being inserted or edited, else the current row.
    Value CurrentValue(int column) const;
    // The place of a value being assigned; throws unless a row is being inserted or edited.
    Value& ValueToSet(int column);

    void RequireActive() const;
    // Throws unless the live row at position and the column exist.
    void RequireRow(int position, int column) const;
    // Stores a row being inserted or edited if any of its values was set, drops it otherwise.
    void StorePending(Table& owner);
    void StartInsert(Table& owner, bool atEnd);
    // Makes position current (-1 for none), telling the listeners.
    void MoveCurrent(int position);
    // Discards every row version and the log, telling the listeners.
    void ClearRows();
    // Opens the table with these rows, the first one current, telling the listeners.
    void TakeRows(RowStore rows);
    // False when the file is missing or empty, and the built-in contents stand for it.
    bool HasFileToRead() const;
    void LoadBuiltin(Table& owner);
    // Open and OpenDiscardingUnreadable.
    void Open(Table& owner, bool discardUnreadable);
    // A row stored at position by store, made current and told.
    template <class Store>
    void InsertRow(int position, Store store);
    // The row at position changed by store, told.
    template <class Store>
    void ModifyRow(int position, Store store);
    // Throws unless position is that of a live row (or, with end, the end of the table).
    void RequirePosition(int position, bool end = false) const;

    template <class Notification>
    void Notify(Notification notification) {
        if (disabledControls > 0) return;
        for (TableListener* listener : std::vector<TableListener*>(listeners))
            notification(*listener);
    }

    std::string name;
    RowStore store;
    std::vector<std::uint8_t> builtinPacket;
    std::string fileName;
    BeforeReplace beforeReplace;
    bool active = false;

    int current = -1;
    bool eof = true;
    bool bof = true;
    TableState state = TableState::Browse;
    std::vector<Value> pending;  // the row being inserted or edited
    bool pendingTouched = false;
    int insertPosition = 0;

    int changeCount = 0;
    int disabledControls = 0;
    std::vector<TableListener*> listeners;
    TableRecorder* recorder = nullptr;
    std::vector<std::string> unreadableFiles;  // full paths of files that failed to load
};

}  // namespace offrel
