#include "app/SalesModel.h"

#include "app/MoneyText.h"
#include "gui/QtText.h"

namespace {
enum Column { kLibelle, kPrix, kColumnCount };
}

SalesModel::SalesModel(offrel::Table& cdsVente, QObject* parent)
    : TableModel(cdsVente, parent),
      libelle_(cdsVente.ColumnIndex("Libelle")),
      prix_(cdsVente.ColumnIndex("Prix")) {}

int SalesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant SalesModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    if (index.column() == kLibelle) {
        const offrel::Value value = CellValue(index.row(), libelle_);
        if (const auto* text = std::get_if<std::string>(&value)) return FromW1252(*text);
        return QString();
    }
    const offrel::Value value = CellValue(index.row(), prix_);
    if (const auto* amount = std::get_if<offrel::Money>(&value)) return MoneyText(*amount);
    return QString();
}

QVariant SalesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    return section == kLibelle ? QStringLiteral("Libelle") : QStringLiteral("Prix");
}
