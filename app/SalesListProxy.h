#pragma once

#include <QAbstractProxyModel>
#include <optional>
#include <string>
#include <vector>

#include "sale/SalesFinder.h"

class TableModel;

// The list of sales as the seller asked to see it: the rows of dsVente, or only those the search
// finds, in the table's order or sorted by a column. The table's order never changes. Without a
// search or a sort the rows pass through as they are, each change of the table told as it is
// made; otherwise a change is told as a new layout, and rows added to the table join the list
// once the event loop runs.
class SalesListProxy : public QAbstractProxyModel {
    Q_OBJECT

public:
    SalesListProxy(TableModel& source, offrel::SalesFinder& finder, QObject* parent = nullptr);

    // The words typed in the search field, in Windows-1252.
    void SetSearch(const std::string& typed);
    bool Searching() const { return !typed_.empty(); }
    void SetSort(const std::optional<offrel::ListSort>& sort);
    const std::optional<offrel::ListSort>& Sort() const { return sort_; }

    // The rows of the table, shown or not.
    int TableRowCount() const;

    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;

signals:
    // Which rows are shown may have changed.
    void shownChanged();

private:
    bool Arranged() const { return Searching() || sort_.has_value(); }
    // The rows shown and their order worked out again after change, told as a new layout.
    template <class Change>
    void Rearrange(Change change);
    void Refresh();
    void RefreshLater();
    void Arrange();
    // The persistent indexes as rows of the table, kept across a change of layout.
    void SaveLayout();
    void RestoreLayout();
    void MapRows();

    void SourceRowsAboutToBeInserted(const QModelIndex& parent, int first, int last);
    void SourceRowsInserted(const QModelIndex& parent, int first, int last);
    void SourceRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
    void SourceRowsRemoved(const QModelIndex& parent, int first, int last);
    void SourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QList<int>& roles);
    void SourceAboutToBeReset();
    void SourceReset();

    TableModel& source_;
    offrel::SalesFinder& finder_;
    std::string typed_;
    std::optional<offrel::ListSort> sort_;
    std::vector<int> shown_;  // arranged: the table row of each row shown
    std::vector<int> rowOf_;  // arranged: the row shown of each table row, -1 when hidden
    QModelIndexList saved_;
    std::vector<int> savedRows_;  // the table rows of saved_, -1 for none
    bool refreshPending_ = false;
};
