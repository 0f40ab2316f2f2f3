#include "app/SalesModel.h"

#include <QFont>

#include "app/MoneyText.h"
#include "gui/QtText.h"
#include "tables/Rows.h"

namespace {
enum Column { kLibelle, kPrix, kColumnCount };
}

SalesModel::SalesModel(offrel::Table& cdsVente, QObject* parent) : TableModel(cdsVente, parent) {
    ReadSendJournal();
}

int SalesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

void SalesModel::ControlsEnabled() {
    ReadSendJournal();
    TableModel::ControlsEnabled();
}

void SalesModel::ReadSendJournal() {
    interrupted_ = offrel::SendJournal(offrel::SendJournalPath(table().FileName())).Pending();
}

QVariant SalesModel::InterruptedSendData(int row, int role) const {
    if (interrupted_.empty() || row >= table().RecordCount()) return {};
    const auto note = interrupted_.find(offrel::SaleDigest(table(), row));
    if (note == interrupted_.end()) return {};
    if (role == Qt::ToolTipRole) return FromW1252(offrel::InterruptedSendTip(note->second));
    QFont italic;  // only what it sets overrides the list's font
    italic.setItalic(true);
    return italic;
}

QVariant SalesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::FontRole || role == Qt::ToolTipRole)
        return InterruptedSendData(index.row(), role);
    if (role != Qt::DisplayRole) return {};
    if (index.column() == kLibelle) {
        const offrel::Value value = CellValue(index.row(), offrel::SaleColumn::kLibelle);
        if (const auto* text = std::get_if<std::string>(&value)) return FromW1252(*text);
        return QString();
    }
    const offrel::Value value = CellValue(index.row(), offrel::SaleColumn::kPrix);
    if (const auto* amount = std::get_if<offrel::Money>(&value)) return MoneyText(*amount);
    return QString();
}

QVariant SalesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    return section == kLibelle ? QStringLiteral("Libelle") : QStringLiteral("Prix");
}
