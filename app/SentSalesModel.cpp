#include "app/SentSalesModel.h"

#include "app/DateTimeText.h"
#include "app/MoneyText.h"
#include "gui/QtText.h"

namespace {
enum Column { kDate, kTitle, kPrice, kReference, kColumnCount };
}

SentSalesModel::SentSalesModel(const offrel::SentSalesList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {}

void SentSalesModel::Show(std::vector<std::size_t> positions) {
    beginResetModel();
    shown_ = std::move(positions);
    endResetModel();
}

std::int64_t SentSalesModel::IdAt(int row) const {
    return list_[shown_.at(static_cast<std::size_t>(row))].id;
}

int SentSalesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int SentSalesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant SentSalesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::TextAlignmentRole && index.column() == kPrice)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    // Only the rows on screen are asked for: a long history fills the list at once.
    const offrel::SentSaleLine line = list_[shown_[static_cast<std::size_t>(index.row())]];
    switch (index.column()) {
        case kDate:
            return DateTimeText(line.answeredAt);
        case kTitle:
            return FromW1252(line.libelle);
        case kPrice:
            return line.prix ? MoneyText(*line.prix) : QString();
        case kReference:
            return FromW1252(line.reference);
        default:
            return {};
    }
}

QVariant SentSalesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case kDate:
            return QStringLiteral("Envoyée le");
        case kTitle:
            return QStringLiteral("Titre");
        case kPrice:
            return QStringLiteral("Prix");
        case kReference:
            return QStringLiteral("Référence");
        default:
            return {};
    }
}
