#pragma once

#include "app/TableModel.h"

// dsVente: the two columns of the list of sales, "Libelle" and "Prix", read-only.
class SalesModel : public TableModel {
    Q_OBJECT

public:
    explicit SalesModel(offrel::Table& cdsVente, QObject* parent = nullptr);

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    int libelle_;
    int prix_;
};
