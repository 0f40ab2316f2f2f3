#pragma once

#include "app/TableModel.h"
#include "server/SendJournal.h"

// dsVente: the two columns of the list of sales, "Libelle" and "Prix", read-only. A sale whose
// send was interrupted, as the send journal says, shows in italics with a tooltip telling why.
class SalesModel : public TableModel {
    Q_OBJECT

public:
    explicit SalesModel(offrel::Table& cdsVente, QObject* parent = nullptr);

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // An upload ends this way: the journal is read again with the rows.
    void ControlsEnabled() override;

private:
    void ReadSendJournal();
    QVariant InterruptedSendData(int row, int role) const;

    offrel::JournalNotes interrupted_;
};
