#pragma once

#include <QAbstractTableModel>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "history/SentSalesList.h"

// The sent sales that the search leaves, as the rows of the list: date and time, title, price,
// reference. Reads the lines from the list it is given, which outlives it.
class SentSalesModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit SentSalesModel(const offrel::SentSalesList& list, QObject* parent = nullptr);

    // Shows the sales at these positions of the list, in that order.
    void Show(std::vector<std::size_t> positions);
    // The history's number of the sale on that row.
    std::int64_t IdAt(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const offrel::SentSalesList& list_;
    std::vector<std::size_t> shown_;
};
