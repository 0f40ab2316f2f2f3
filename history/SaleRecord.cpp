#include "history/SaleRecord.h"

#include <type_traits>

#include "tables/Rows.h"

namespace offrel {

namespace {

// Each field of a sale in the order of cdsVente's columns.
template <typename SaleRef, typename Visit>
void EachField(SaleRef& sale, Visit&& visit) {
    visit(sale.id);
    visit(sale.libelle);
    visit(sale.description);
    visit(sale.dureeTypeVente);
    visit(sale.typeVente);
    visit(sale.quantite);
    visit(sale.prix);
    visit(sale.prixBoutique);
    visit(sale.renouvelable);
    visit(sale.reference);
    for (auto& categorie : sale.categorie) visit(categorie);
    for (auto& option : sale.option) visit(option);
    for (auto& photo : sale.photo) visit(photo);
}

const char* SqlType(FieldType type) {
    return type == FieldType::String || type == FieldType::Graphic ? "BLOB" : "INTEGER";
}

template <typename T>
std::int64_t AsNumber(const T& value) {
    if constexpr (std::is_same_v<T, Money>)
        return value.Ticks();
    else
        return static_cast<std::int64_t>(value);
}

template <typename T>
T FromNumber(std::int64_t number) {
    if constexpr (std::is_same_v<T, Money>)
        return Money::FromTicks(number);
    else if constexpr (std::is_same_v<T, bool>)
        return number != 0;
    else
        return static_cast<T>(static_cast<std::int32_t>(number));
}

}  // namespace

std::string SaleRecordDefinitions() {
    std::string definitions;
    for (const ColumnDef& column : SaleColumns())
        definitions += (definitions.empty() ? "" : ", ") + column.name + " " + SqlType(column.type);
    return definitions;
}

std::string SaleRecordColumns() {
    std::string names;
    for (const ColumnDef& column : SaleColumns())
        names += (names.empty() ? "" : ", ") + column.name;
    return names;
}

int SaleRecordColumnCount() {
    return static_cast<int>(SaleColumns().size());
}

void BindSaleRecord(SqliteStatement& statement, int first, const Sale& sale) {
    int parameter = first;
    EachField(sale, [&](const auto& field) {
        using T = typename std::decay_t<decltype(field)>::value_type;
        if (!field)
            statement.BindNull(parameter);
        else if constexpr (std::is_same_v<T, std::string>)
            statement.BindBytes(parameter, *field);
        else
            statement.BindNumber(parameter, AsNumber(*field));
        ++parameter;
    });
}

Sale ReadSaleRecord(const SqliteStatement& statement, int first) {
    Sale sale;
    int column = first;
    EachField(sale, [&](auto& field) {
        using T = typename std::decay_t<decltype(field)>::value_type;
        if (statement.IsNull(column))
            field.reset();
        else if constexpr (std::is_same_v<T, std::string>)
            field = std::string(statement.Bytes(column));
        else
            field = FromNumber<T>(statement.Number(column));
        ++column;
    });
    return sale;
}

}  // namespace offrel
