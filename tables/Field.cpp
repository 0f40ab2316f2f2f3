#include "base/Conversions.h"
#include "base/Error.h"
#include "tables/TableImpl.h"

namespace offrel {

namespace {

[[noreturn]] void ThrowTypeMismatch(const ColumnDef& column) {
    throw Error(FormatMessage("Type incompatible pour le champ '%s'", {column.name}));
}

}  // namespace

const std::string& Field::FieldName() const {
    return table_->Columns()[static_cast<std::size_t>(column_)].name;
}

FieldType Field::DataType() const {
    return table_->Columns()[static_cast<std::size_t>(column_)].type;
}

bool Field::IsNull() const {
    return std::holds_alternative<std::monostate>(table_->impl_->CurrentValue(column_));
}

std::int32_t Field::AsInteger() const {
    const Value value = table_->impl_->CurrentValue(column_);
    if (std::holds_alternative<std::monostate>(value)) return 0;
    if (const auto* integer = std::get_if<std::int32_t>(&value)) return *integer;
    ThrowTypeMismatch(table_->Columns()[static_cast<std::size_t>(column_)]);
}

Money Field::AsCurrency() const {
    const Value value = table_->impl_->CurrentValue(column_);
    if (std::holds_alternative<std::monostate>(value)) return Money();
    if (const auto* money = std::get_if<Money>(&value)) return *money;
    if (const auto* integer = std::get_if<std::int32_t>(&value))
        return Money::FromTicks(*integer * Money::kScale);
    ThrowTypeMismatch(table_->Columns()[static_cast<std::size_t>(column_)]);
}

bool Field::AsBoolean() const {
    const Value value = table_->impl_->CurrentValue(column_);
    if (std::holds_alternative<std::monostate>(value)) return false;
    if (const auto* flag = std::get_if<bool>(&value)) return *flag;
    ThrowTypeMismatch(table_->Columns()[static_cast<std::size_t>(column_)]);
}

std::string Field::AsString() const {
    const Value value = table_->impl_->CurrentValue(column_);
    if (std::holds_alternative<std::monostate>(value)) return {};
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* integer = std::get_if<std::int32_t>(&value)) return std::to_string(*integer);
    if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "True" : "False";
    if (const auto* money = std::get_if<Money>(&value)) return CurrToStr(*money);
    ThrowTypeMismatch(table_->Columns()[static_cast<std::size_t>(column_)]);
}

void Field::SetAsInteger(std::int32_t value) {
    const ColumnDef& column = table_->Columns()[static_cast<std::size_t>(column_)];
    Value& target = table_->impl_->ValueToSet(column_);
    switch (column.type) {
        case FieldType::Integer:
            target = value;
            break;
        case FieldType::Currency:
            target = Money::FromTicks(value * Money::kScale);
            break;
        case FieldType::String:
            target = std::to_string(value).substr(0, column.size);
            break;
        default:
            ThrowTypeMismatch(column);
    }
}

void Field::SetAsCurrency(Money value) {
    const ColumnDef& column = table_->Columns()[static_cast<std::size_t>(column_)];
    Value& target = table_->impl_->ValueToSet(column_);
    if (column.type != FieldType::Currency) ThrowTypeMismatch(column);
    target = value;
}

void Field::SetAsBoolean(bool value) {
    const ColumnDef& column = table_->Columns()[static_cast<std::size_t>(column_)];
    Value& target = table_->impl_->ValueToSet(column_);
    if (column.type != FieldType::Boolean) ThrowTypeMismatch(column);
    target = value;
}

void Field::SetAsString(std::string_view value) {
    const ColumnDef& column = table_->Columns()[static_cast<std::size_t>(column_)];
    Value& target = table_->impl_->ValueToSet(column_);
    switch (column.type) {
        case FieldType::String:
            target = std::string(value.substr(0, static_cast<std::size_t>(column.size)));
            break;
        case FieldType::Graphic:
            target = std::string(value);
            break;
        case FieldType::Integer:
            target = StrToInt(value);
            break;
        case FieldType::Currency:
            target = StrToCurr(value);
            break;
        case FieldType::Boolean:
            ThrowTypeMismatch(column);
    }
}

void Field::Clear() {
    table_->impl_->ValueToSet(column_) = std::monostate{};
}

}  // namespace offrel
