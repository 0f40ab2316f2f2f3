#include "tables/ApplicationTables.h"

#include "base/Error.h"
#include "base/FileNames.h"
#include "base/Files.h"
#include "base/Windows1252.h"
#include "tables/BuiltinPackets.h"

namespace offrel {

namespace {

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

std::vector<ColumnDef> SaleColumns() {
    std::vector<ColumnDef> columns = {
        Integer("ID"),
        String("Libelle", 255),
        String("Description", 4096),
        Integer("DureeTypeVente"),
        Integer("TypeVente"),
        Integer("Quantite"),
        Currency("Prix"),
        Currency("PrixBoutique"),
        Boolean("Renouvelable"),
        String("Reference", 255),
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

}  // namespace

ApplicationTables::ApplicationTables()
    : cdsVente("cdsVente", SaleColumns(), BuiltinPacket(SaleColumns())),
      cdsOption("cdsOption", OptionColumns(), BuiltinPacket(OptionColumns())),
      cdsCategorie("cdsCategorie", CategoryColumns(), BuiltinPacket(CategoryColumns())) {
    cdsVente.SetFileName("Ventes.cds");
    cdsOption.SetFileName("Options.cds");
    cdsCategorie.SetFileName("Categories.cds");
}

void OpenTables(ApplicationTables& tables, const std::string& folder) {
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + '/';
    tables.cdsOption.SetFileName(prefix + "Options.cds");
    tables.cdsCategorie.SetFileName(prefix + "Categories.cds");
    tables.cdsVente.SetFileName(prefix + "Ventes.cds");
    // The catalogue is downloaded again and the two tables rebuilt a moment later.
    tables.cdsOption.OpenDiscardingUnreadable();
    tables.cdsCategorie.OpenDiscardingUnreadable();
    try {
        tables.cdsVente.Open();
    } catch (const Error& error) {
        throw Error(FormatMessage(
            W("Les ventes enregistrées ne peuvent pas être lues : %s\n\nLe fichier a été laissé "
              "intact, sans aucune modification. Vous pouvez l'envoyer au support ; il se trouve "
              "ici :\n%s\n\nLe programme va s'arrêter."),
            {error.what(), ShownFileSystemName(FullPath(tables.cdsVente.FileName()))}));
    }
}

}  // namespace offrel
