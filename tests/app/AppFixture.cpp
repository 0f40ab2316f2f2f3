#include "AppFixture.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include "base/Windows1252.h"
#include "gui/QtText.h"
#include "tables/ApplicationTables.h"

const std::string AppFixture::kOptions =
    "1;1.50;1.00;Gras\n2;2.00;1.50;Couleur\n3;3.00;2.00;Vitrine\n";
const std::string AppFixture::kCategories = "1;0;0;0;Maison\n2;1;0;0;Lampes\n3;0;0;0;Livres\n";

AppFixture::AppFixture() {
    site.SetCatalogue(kOptions, kCategories);
    qputenv("OFFREL_DATA_DIR", QFile::encodeName(dir_.path()));
    qputenv("OFFREL_SERVER_URL", site.Url().toLatin1());
}

AppFixture::~AppFixture() {
    program.reset();
    qunsetenv("OFFREL_DATA_DIR");
    qunsetenv("OFFREL_SERVER_URL");
}

QString AppFixture::FilePath(const char* name) const {
    return QDir(dir_.path()).filePath(QLatin1String(name));
}

std::string AppFixture::ReadFile(const char* name) const {
    QFile file(FilePath(name));
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
}

void AppFixture::WriteFile(const char* name, const std::string& bytes) const {
    QFile file(FilePath(name));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

QStringList AppFixture::SalesInFile() const {
    offrel::ApplicationTables tables;
    offrel::Table& sales = tables.cdsVente;
    sales.SetFileName(QFile::encodeName(FilePath("Ventes.cds")).toStdString());
    sales.Open();
    QStringList titles;
    for (bool more = sales.FindFirst(); more; more = sales.FindNext())
        titles.append(FromW1252(sales.FieldByName("Libelle").AsString()));
    sales.SetFileName(std::string());  // read only: never written back
    return titles;
}

void AddSale(offrel::Table& cdsVente, const std::string& title, offrel::Money price) {
    cdsVente.Append();
    cdsVente.FieldByName("Libelle").SetAsString(offrel::W(title));
    cdsVente.FieldByName("Prix").SetAsCurrency(price);
    cdsVente.FieldByName("Quantite").SetAsInteger(1);
    cdsVente.Post();
}
