#include "tables/ApplicationTables.h"

#include "base/Error.h"
#include "base/FileNames.h"
#include "base/Files.h"
#include "base/Windows1252.h"
#include "tables/BuiltinPackets.h"
#include "tables/Rows.h"

namespace offrel {

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
