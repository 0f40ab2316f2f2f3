#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "app/TableModel.h"
#include "sale/SaleListCells.h"
#include "server/SendJournal.h"

// dsVente: the columns of the list of sales, read-only: the designed "Libelle" and "Prix", then
// those the seller may show (ListColumn). A sale whose send was interrupted, as the send journal
// says, shows in italics with a tooltip telling why.
class SalesModel : public TableModel {
    Q_OBJECT

public:
    SalesModel(offrel::Table& cdsVente, offrel::SaleListCells& cells, QObject* parent = nullptr);

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The journal's notes follow the rows they belong to: a sale put back in the table takes up
    // the note that its digest finds, and a noted sale changed keeps its note under its new
    // digest, so that it is still found when it is deleted and put back.
    void RowInserted(int position) override;
    void RowDeleted(int position) override;
    void RowChanged(int position) override;
    void Reset() override;
    // An upload ends this way: the journal is read again with the rows.
    void ControlsEnabled() override;

private:
    void ReadSendJournal();
    void AttachNotesToRows();
    QVariant InterruptedSendData(int row, int role) const;

    offrel::SaleListCells& cells_;
    offrel::JournalNotes notes_;
    // Which rows the notes belong to, by origin; worked out again after a change of the rows.
    mutable std::optional<std::map<std::uint32_t, offrel::SaleNotes>> notedRows_;
};
