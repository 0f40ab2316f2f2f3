#include "app/SalesListProxy.h"

#include <algorithm>

#include "app/TableModel.h"
#include "gui/HandlerConnection.h"

SalesListProxy::SalesListProxy(TableModel& source, offrel::SalesFinder& finder, QObject* parent)
    : QAbstractProxyModel(parent), source_(source), finder_(finder) {
    QAbstractProxyModel::setSourceModel(&source);
    TableModel* model = &source;
    ConnectHandler(model, &QAbstractItemModel::rowsAboutToBeInserted, this,
                   &SalesListProxy::SourceRowsAboutToBeInserted);
    ConnectHandler(model, &QAbstractItemModel::rowsInserted, this,
                   &SalesListProxy::SourceRowsInserted);
    ConnectHandler(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                   &SalesListProxy::SourceRowsAboutToBeRemoved);
    ConnectHandler(model, &QAbstractItemModel::rowsRemoved, this,
                   &SalesListProxy::SourceRowsRemoved);
    ConnectHandler(model, &QAbstractItemModel::dataChanged, this,
                   &SalesListProxy::SourceDataChanged);
    ConnectHandler(model, &QAbstractItemModel::modelAboutToBeReset, this,
                   &SalesListProxy::SourceAboutToBeReset);
    ConnectHandler(model, &QAbstractItemModel::modelReset, this, &SalesListProxy::SourceReset);
}

void SalesListProxy::SetSearch(const std::string& typed) {
    if (typed == typed_) return;
    Rearrange([&] { typed_ = typed; });
}

void SalesListProxy::SetSort(const std::optional<offrel::ListSort>& sort) {
    if (sort == sort_) return;
    Rearrange([&] { sort_ = sort; });
}

int SalesListProxy::TableRowCount() const {
    return source_.rowCount();
}

QModelIndex SalesListProxy::mapToSource(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid()) return {};
    const int row =
        Arranged() ? shown_[static_cast<std::size_t>(proxyIndex.row())] : proxyIndex.row();
    return source_.index(row, proxyIndex.column());
}

QModelIndex SalesListProxy::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid()) return {};
    int row = sourceIndex.row();
    if (Arranged()) {
        if (row < 0 || row >= static_cast<int>(rowOf_.size())) return {};
        row = rowOf_[static_cast<std::size_t>(row)];
    }
    return row < 0 ? QModelIndex() : index(row, sourceIndex.column());
}

QModelIndex SalesListProxy::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex SalesListProxy::parent(const QModelIndex&) const {
    return {};
}

bool SalesListProxy::hasChildren(const QModelIndex& parent) const {
    return !parent.isValid() && rowCount() > 0;
}

int SalesListProxy::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return Arranged() ? static_cast<int>(shown_.size()) : source_.rowCount();
}

int SalesListProxy::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : source_.columnCount();
}

void SalesListProxy::Arrange() {
    shown_.clear();
    rowOf_.clear();
    if (Arranged()) shown_ = finder_.Shown(typed_, sort_);
    MapRows();
}

void SalesListProxy::MapRows() {
    rowOf_.assign(Arranged() ? static_cast<std::size_t>(source_.rowCount()) : 0, -1);
    for (std::size_t row = 0; row < shown_.size(); ++row)
        if (shown_[row] < static_cast<int>(rowOf_.size()))
            rowOf_[static_cast<std::size_t>(shown_[row])] = static_cast<int>(row);
}

void SalesListProxy::SaveLayout() {
    emit layoutAboutToBeChanged();
    saved_ = persistentIndexList();
    savedRows_.clear();
    savedRows_.reserve(static_cast<std::size_t>(saved_.size()));
    for (const QModelIndex& index : saved_) savedRows_.push_back(mapToSource(index).row());
}

void SalesListProxy::RestoreLayout() {
    QModelIndexList now;
    now.reserve(saved_.size());
    for (qsizetype k = 0; k < saved_.size(); ++k) {
        const int row = savedRows_[static_cast<std::size_t>(k)];
        now.append(row < 0 ? QModelIndex() : mapFromSource(source_.index(row, saved_[k].column())));
    }
    changePersistentIndexList(saved_, now);
    saved_.clear();
    savedRows_.clear();
    emit layoutChanged();
    emit shownChanged();
}

template <class Change>
void SalesListProxy::Rearrange(Change change) {
    refreshPending_ = false;
    // The rows kept are those of the list as it stood before the change.
    SaveLayout();
    change();
    Arrange();
    RestoreLayout();
}

void SalesListProxy::Refresh() {
    Rearrange([] {});
}

void SalesListProxy::RefreshLater() {
    if (refreshPending_) return;
    refreshPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            RunReportingErrors([this] {
                if (refreshPending_) Refresh();
            });
        },
        Qt::QueuedConnection);
}

void SalesListProxy::SourceRowsAboutToBeInserted(const QModelIndex&, int first, int last) {
    if (Arranged())
        SaveLayout();
    else
        beginInsertRows(QModelIndex(), first, last);
}

void SalesListProxy::SourceRowsInserted(const QModelIndex&, int first, int last) {
    finder_.Forget();
    if (!Arranged()) {
        endInsertRows();
        emit shownChanged();
        return;
    }
    // The rows after them move down; the new rows are not shown until the next refresh, which
    // works out whether the search finds them and where the sort puts them.
    const int count = last - first + 1;
    for (int& row : shown_)
        if (row >= first) row += count;
    for (int& row : savedRows_)
        if (row >= first) row += count;
    MapRows();
    RestoreLayout();
    RefreshLater();
}

void SalesListProxy::SourceRowsAboutToBeRemoved(const QModelIndex&, int first, int last) {
    if (Arranged())
        SaveLayout();
    else
        beginRemoveRows(QModelIndex(), first, last);
}

void SalesListProxy::SourceRowsRemoved(const QModelIndex&, int first, int last) {
    finder_.Forget();
    if (!Arranged()) {
        endRemoveRows();
        emit shownChanged();
        return;
    }
    const int count = last - first + 1;
    const auto moved = [first, last, count](int row) {
        return row < first ? row : row > last ? row - count : -1;
    };
    std::vector<int> kept;
    kept.reserve(shown_.size());
    for (int row : shown_)
        if (moved(row) >= 0) kept.push_back(moved(row));
    shown_ = std::move(kept);
    for (int& row : savedRows_) row = row < 0 ? -1 : moved(row);
    MapRows();
    RestoreLayout();
}

void SalesListProxy::SourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                       const QList<int>& roles) {
    finder_.Forget();
    if (!Arranged()) {
        emit dataChanged(index(topLeft.row(), topLeft.column()),
                         index(bottomRight.row(), bottomRight.column()), roles);
        return;
    }
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        const QModelIndex shown = mapFromSource(source_.index(row, 0));
        if (shown.isValid()) emit dataChanged(shown, index(shown.row(), columnCount() - 1), roles);
    }
    // The changed sale may no longer be found, or stand elsewhere in the sort.
    RefreshLater();
}

void SalesListProxy::SourceAboutToBeReset() {
    beginResetModel();
}

void SalesListProxy::SourceReset() {
    finder_.Forget();
    refreshPending_ = false;
    Arrange();
    endResetModel();
    emit shownChanged();
}
