#include "app/EditableTableModel.h"

#include "base/Conversions.h"
#include "base/Error.h"
#include "base/Windows1252.h"
#include "gui/ErrorReport.h"
#include "gui/QtText.h"

namespace {

QString CellText(const offrel::Value& value) {
    struct {
        QString operator()(std::monostate) const { return QString(); }
        QString operator()(std::int32_t number) const { return QString::number(number); }
        QString operator()(offrel::Money amount) const {
            return FromW1252(offrel::CurrToStr(amount));
        }
        QString operator()(bool flag) const {
            return flag ? QStringLiteral("True") : QStringLiteral("False");
        }
        QString operator()(const std::string& text) const { return FromW1252(text); }
    } visitor;
    return std::visit(visitor, value);
}

bool ParseBoolean(const QString& text) {
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("true") || word == QLatin1String("vrai")) return true;
    if (word == QLatin1String("false") || word == QLatin1String("faux")) return false;
    throw offrel::Error(offrel::FormatMessage(
        offrel::W("'%s' n'est pas une valeur booléenne correcte"), {ToW1252(text)}));
}

void Assign(offrel::Field field, const QString& text) {
    if (text.isEmpty()) {
        field.Clear();
        return;
    }
    switch (field.DataType()) {
        case offrel::FieldType::Integer:
            field.SetAsInteger(offrel::StrToInt(ToW1252(text)));
            break;
        case offrel::FieldType::Currency:
            field.SetAsCurrency(offrel::StrToCurr(ToW1252(text)));
            break;
        case offrel::FieldType::Boolean:
            field.SetAsBoolean(ParseBoolean(text));
            break;
        case offrel::FieldType::String:
        case offrel::FieldType::Graphic:
            field.SetAsString(ToW1252(text));
            break;
    }
}

}  // namespace

EditableTableModel::EditableTableModel(offrel::Table& table, QObject* parent)
    : TableModel(table, parent) {}

int EditableTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(table().Columns().size());
}

QVariant EditableTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return CellText(CellValue(index.row(), index.column()));
}

QVariant EditableTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return QString();
    return QString::fromStdString(table().Columns().at(static_cast<std::size_t>(section)).name);
}

Qt::ItemFlags EditableTableModel::flags(const QModelIndex& index) const {
    return TableModel::flags(index) | Qt::ItemIsEditable;
}

bool EditableTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    offrel::Table& rows = table();
    try {
        rows.MoveTo(index.row());
        rows.Edit();
        Assign(rows.FieldByIndex(index.column()), value.toString());
        rows.Post();
    } catch (const std::exception& error) {
        if (rows.State() != offrel::TableState::Browse) rows.Cancel();
        ReportError(error);
        return false;
    }
    emit edited();
    return true;
}

void EditableTableModel::DeleteRow(int row) {
    table().MoveTo(row);
    table().Delete();
    emit edited();
}
