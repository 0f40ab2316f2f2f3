#include "app/SalesSheetExport.h"

#include <QDir>
#include <QFile>

#include "gui/Dialogs.h"
#include "history/Relisting.h"
#include "import/SalesSheet.h"
#include "tables/Rows.h"

namespace {

QString AskedSheetPath(QWidget* parent) {
    return Dialogs::Get().SaveFile(parent, QStringLiteral("Fichiers CSV (*.csv)|*.csv"), QString());
}

void TellExported(QWidget* parent, std::size_t count, const QString& path) {
    Dialogs::Get().Message(parent, QStringLiteral("%1 vente(s) exportée(s) dans « %2 ».")
                                       .arg(count)
                                       .arg(QDir::toNativeSeparators(path)));
}

}  // namespace

void ExportSalesAsked(QWidget* parent, const offrel::Table& cdsVente,
                      const std::vector<int>& positions) {
    const QString path = AskedSheetPath(parent);
    if (path.isEmpty()) return;
    offrel::ExportSales(cdsVente, positions, QFile::encodeName(path).toStdString());
    TellExported(
        parent,
        positions.empty() ? static_cast<std::size_t>(cdsVente.RecordCount()) : positions.size(),
        path);
}

void ExportSentSalesAsked(QWidget* parent, const std::vector<offrel::SentSale>& sales) {
    const QString path = AskedSheetPath(parent);
    if (path.isEmpty()) return;
    // The sheet is written from a table of the sales' own columns, as the main list's is.
    offrel::Table sheet("cdsVente", offrel::SaleColumns(), {});
    sheet.Open();
    offrel::Relist(sheet, sales);
    offrel::ExportSales(sheet, {}, QFile::encodeName(path).toStdString());
    TellExported(parent, sales.size(), path);
}
