#include "app/SalesModel.h"

#include <QFont>
#include <algorithm>

#include "app/MoneyText.h"
#include "gui/QtText.h"
#include "tables/Rows.h"

using offrel::ListColumn;

SalesModel::SalesModel(offrel::Table& cdsVente, offrel::SaleListCells& cells, QObject* parent)
    : TableModel(cdsVente, parent), cells_(cells) {
    ReadSendJournal();
}

int SalesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : offrel::kListColumns;
}

void SalesModel::RowInserted(int position) {
    notedRows_.reset();
    // Only a sale with the digest of a note can be one put back; the others cost one digest.
    if (!notes_.empty()) {
        const std::string digest = offrel::SaleDigest(table(), position);
        if (std::any_of(notes_.begin(), notes_.end(),
                        [&digest](const auto& note) { return note.first.digest == digest; }))
            AttachNotesToRows();
    }
    TableModel::RowInserted(position);
}

void SalesModel::RowDeleted(int position) {
    notedRows_.reset();
    TableModel::RowDeleted(position);
}

void SalesModel::RowChanged(int position) {
    notedRows_.reset();
    const std::uint32_t origin = table().RowOrigin(position);
    if (std::any_of(notes_.begin(), notes_.end(),
                    [origin](const auto& note) { return note.first.origin == origin; }))
        AttachNotesToRows();
    TableModel::RowChanged(position);
}

void SalesModel::Reset() {
    notedRows_.reset();
    AttachNotesToRows();
    TableModel::Reset();
}

void SalesModel::ControlsEnabled() {
    ReadSendJournal();
    AttachNotesToRows();
    TableModel::ControlsEnabled();
}

void SalesModel::ReadSendJournal() {
    notes_ = offrel::SendJournal(offrel::SendJournalPath(table().FileName())).Pending();
    notedRows_.reset();
}

void SalesModel::AttachNotesToRows() {
    if (notes_.empty()) return;
    offrel::SendJournal journal(offrel::SendJournalPath(table().FileName()));
    journal.AttachToRows(table());
    notes_ = journal.Pending();
    notedRows_.reset();
}

QVariant SalesModel::InterruptedSendData(int row, int role) const {
    if (notes_.empty() || row >= table().RecordCount()) return {};
    if (!notedRows_) notedRows_ = offrel::NotesOfRows(notes_, table());
    const auto noted = notedRows_->find(table().RowOrigin(row));
    if (noted == notedRows_->end()) return {};
    if (role == Qt::ToolTipRole) {
        // As rich text, the tooltip wraps its lines instead of running across the screen.
        return QStringLiteral("<p>%1</p>")
            .arg(FromW1252(offrel::InterruptedSendTip(noted->second.when)).toHtmlEscaped());
    }
    QFont italic;  // only what it sets overrides the list's font
    italic.setItalic(true);
    return italic;
}

QVariant SalesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::FontRole || role == Qt::ToolTipRole)
        return InterruptedSendData(index.row(), role);
    if (role != Qt::DisplayRole) return {};
    const auto column = static_cast<ListColumn>(index.column());
    if (column == ListColumn::Libelle) {
        const offrel::Value value = CellValue(index.row(), offrel::SaleColumn::kLibelle);
        if (const auto* text = std::get_if<std::string>(&value)) return FromW1252(*text);
        return QString();
    }
    if (column == ListColumn::Prix) {
        const offrel::Value value = CellValue(index.row(), offrel::SaleColumn::kPrix);
        if (const auto* amount = std::get_if<offrel::Money>(&value)) return MoneyText(*amount);
        return QString();
    }
    if (index.row() >= table().RecordCount()) return QString();
    return FromW1252(cells_.Text(offrel::ReadSale(table(), index.row()), column));
}

QVariant SalesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= offrel::kListColumns)
        return {};
    return FromW1252(offrel::ListColumnTitle(static_cast<ListColumn>(section)));
}
