#include "tables/Rows.h"

namespace offrel {

namespace {

// The columns of cdsVente, in schema order.
enum SaleField {
    kId,
    kLibelle,
    kDescription,
    kDureeTypeVente,
    kTypeVente,
    kQuantite,
    kPrix,
    kPrixBoutique,
    kRenouvelable,
    kReference,
    kCategorie1,
    kOption1 = kCategorie1 + 3,
    kPhoto1 = kOption1 + 8,
};
static_assert(SaleColumn::kLibelle == kLibelle && SaleColumn::kPrix == kPrix);

// The columns of cdsOption and cdsCategorie.
enum OptionField { kOptionId, kOptionLibelle, kOptionPrix, kOptionPrixBoutique };
enum CategoryField {
    kCategoryId = CategoryColumn::kId,
    kCategoryParentId = CategoryColumn::kParentId,
    kCategoryLibelle = CategoryColumn::kLibelle,
    kCategoryPrix,
    kCategoryPrixBoutique,
    kCategoryDisplayId,
};

ColumnDef Integer(std::string name) {
    return {std::move(name), FieldType::Integer, 0};
}
ColumnDef Currency(std::string name) {
    return {std::move(name), FieldType::Currency, 0};
}
ColumnDef Boolean(std::string name) {
    return {std::move(name), FieldType::Boolean, 0};
}
ColumnDef String(std::string name, int size) {
    return {std::move(name), FieldType::String, size};
}
ColumnDef Graphic(std::string name) {
    return {std::move(name), FieldType::Graphic, 0};
}

// A cell as its type; nothing when it is empty.
template <typename T>
std::optional<T> Cell(const Table& table, int position, int column) {
    const Value value = table.ValueAt(position, column);
    if (const T* held = std::get_if<T>(&value)) return *held;
    return std::nullopt;
}

template <typename Code>
std::optional<Code> CodeCell(const Table& table, int position, int column) {
    const std::optional<std::int32_t> code = Cell<std::int32_t>(table, position, column);
    if (!code) return std::nullopt;
    return static_cast<Code>(*code);
}

// Assigns a value to a column of the row being inserted or edited, or empties it.
template <typename T>
void Put(Table& table, int column, const std::optional<T>& value) {
    Field field = table.FieldByIndex(column);
    if (!value) {
        field.Clear();
    } else if constexpr (std::is_same_v<T, std::string>) {
        field.SetAsString(*value);
    } else if constexpr (std::is_same_v<T, Money>) {
        field.SetAsCurrency(*value);
    } else if constexpr (std::is_same_v<T, bool>) {
        field.SetAsBoolean(*value);
    } else {
        field.SetAsInteger(static_cast<std::int32_t>(*value));
    }
}

}  // namespace

std::vector<ColumnDef> SaleColumns() {
    std::vector<ColumnDef> columns = {
        Integer("ID"),
        String("Libelle", SaleWidth::kLibelle),
        String("Description", SaleWidth::kDescription),
        Integer("DureeTypeVente"),
        Integer("TypeVente"),
        Integer("Quantite"),
        Currency("Prix"),
        Currency("PrixBoutique"),
        Boolean("Renouvelable"),
        String("Reference", SaleWidth::kReference),
        Integer("Categorie1"),
        Integer("Categorie2"),
        Integer("Categorie3"),
    };
    for (int k = 1; k <= 8; ++k) columns.push_back(Boolean("Option" + std::to_string(k)));
    for (int k = 1; k <= 8; ++k) columns.push_back(Graphic("Photo" + std::to_string(k)));
    return columns;
}

std::vector<ColumnDef> OptionColumns() {
    return {Integer("ID"), String("Libelle", 100), Currency("Prix"), Currency("PrixBoutique")};
}

std::vector<ColumnDef> CategoryColumns() {
    return {Integer("ID"),    Integer("ParentID"),      String("Libelle", 100),
            Currency("Prix"), Currency("PrixBoutique"), Integer("DisplayID")};
}

Sale ReadSale(const Table& cdsVente, int position) {
    Sale sale;
    sale.id = Cell<std::int32_t>(cdsVente, position, kId);
    sale.libelle = Cell<std::string>(cdsVente, position, kLibelle);
    sale.description = Cell<std::string>(cdsVente, position, kDescription);
    sale.dureeTypeVente = CodeCell<Duration>(cdsVente, position, kDureeTypeVente);
    sale.typeVente = CodeCell<SaleType>(cdsVente, position, kTypeVente);
    sale.quantite = Cell<std::int32_t>(cdsVente, position, kQuantite);
    sale.prix = Cell<Money>(cdsVente, position, kPrix);
    sale.prixBoutique = Cell<Money>(cdsVente, position, kPrixBoutique);
    sale.renouvelable = Cell<bool>(cdsVente, position, kRenouvelable);
    sale.reference = Cell<std::string>(cdsVente, position, kReference);
    for (int k = 0; k < 3; ++k)
        sale.categorie[k] = Cell<std::int32_t>(cdsVente, position, kCategorie1 + k);
    for (int k = 0; k < 8; ++k) sale.option[k] = Cell<bool>(cdsVente, position, kOption1 + k);
    for (int k = 0; k < 8; ++k) sale.photo[k] = Cell<std::string>(cdsVente, position, kPhoto1 + k);
    return sale;
}

void WriteSale(Table& cdsVente, const Sale& sale) {
    Put(cdsVente, kId, sale.id);
    Put(cdsVente, kLibelle, sale.libelle);
    Put(cdsVente, kDescription, sale.description);
    Put(cdsVente, kDureeTypeVente, sale.dureeTypeVente);
    Put(cdsVente, kTypeVente, sale.typeVente);
    Put(cdsVente, kQuantite, sale.quantite);
    Put(cdsVente, kPrix, sale.prix);
    Put(cdsVente, kPrixBoutique, sale.prixBoutique);
    Put(cdsVente, kRenouvelable, sale.renouvelable);
    Put(cdsVente, kReference, sale.reference);
    for (int k = 0; k < 3; ++k) Put(cdsVente, kCategorie1 + k, sale.categorie[k]);
    for (int k = 0; k < 8; ++k) Put(cdsVente, kOption1 + k, sale.option[k]);
    for (int k = 0; k < 8; ++k) Put(cdsVente, kPhoto1 + k, sale.photo[k]);
}

OptionRow ReadOption(const Table& cdsOption, int position) {
    return {Cell<std::int32_t>(cdsOption, position, kOptionId),
            Cell<std::string>(cdsOption, position, kOptionLibelle),
            Cell<Money>(cdsOption, position, kOptionPrix),
            Cell<Money>(cdsOption, position, kOptionPrixBoutique)};
}

void WriteOption(Table& cdsOption, const OptionRow& option) {
    Put(cdsOption, kOptionId, option.id);
    Put(cdsOption, kOptionLibelle, option.libelle);
    Put(cdsOption, kOptionPrix, option.prix);
    Put(cdsOption, kOptionPrixBoutique, option.prixBoutique);
}

CategoryRow ReadCategory(const Table& cdsCategorie, int position) {
    return {Cell<std::int32_t>(cdsCategorie, position, kCategoryId),
            Cell<std::int32_t>(cdsCategorie, position, kCategoryParentId),
            Cell<std::string>(cdsCategorie, position, kCategoryLibelle),
            Cell<Money>(cdsCategorie, position, kCategoryPrix),
            Cell<Money>(cdsCategorie, position, kCategoryPrixBoutique),
            Cell<std::int32_t>(cdsCategorie, position, kCategoryDisplayId)};
}

void WriteCategory(Table& cdsCategorie, const CategoryRow& category) {
    Put(cdsCategorie, kCategoryId, category.id);
    Put(cdsCategorie, kCategoryParentId, category.parentId);
    Put(cdsCategorie, kCategoryLibelle, category.libelle);
    Put(cdsCategorie, kCategoryPrix, category.prix);
    Put(cdsCategorie, kCategoryPrixBoutique, category.prixBoutique);
    Put(cdsCategorie, kCategoryDisplayId, category.displayId);
}

}  // namespace offrel
