#include "app/Settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>

namespace {

// The columns by the names the file gives them.
const char* const kColumnKeys[offrel::kListColumns] = {
    "Libelle", "Prix", "Reference", "Categorie", "Photos", "Options", "Type", "Duree"};
constexpr int kNarrowest = 10;
constexpr int kWidest = 4000;

int ColumnOfKey(const QString& key) {
    for (int column = 0; column < offrel::kListColumns; ++column)
        if (key == QLatin1String(kColumnKeys[column])) return column;
    return -1;
}

}  // namespace

Settings::Settings(const QString& dataFolder) {
    const QString path = QDir(dataFolder).filePath(QStringLiteral("Offrel.ini"));
    store_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (store_->status() != QSettings::NoError) {
        // What could be read of a damaged file is not trusted: the defaults stand, and the next
        // choice writes a sound file in its place.
        store_.reset();
        QFile::remove(path);
        store_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
    }
}

Settings::~Settings() = default;

SalesListChoices Settings::SalesList() const {
    SalesListChoices choices;
    const QStringList shown =
        store_->value(QStringLiteral("ListeDesVentes/Colonnes")).toStringList();
    for (const QString& key : shown) {
        const int column = ColumnOfKey(key);
        if (column >= 0) choices.shown[column] = true;
    }
    const QStringList widths =
        store_->value(QStringLiteral("ListeDesVentes/Largeurs")).toStringList();
    for (int column = 0; column < offrel::kListColumns && column < widths.size(); ++column) {
        bool number = false;
        const int width = widths[column].toInt(&number);
        if (number && width >= kNarrowest && width <= kWidest) choices.widths[column] = width;
    }
    QString sort = store_->value(QStringLiteral("ListeDesVentes/Tri")).toString();
    const bool descending = sort.startsWith(QLatin1Char('-'));
    if (descending) sort.remove(0, 1);
    const int column = ColumnOfKey(sort);
    if (column >= 0)
        choices.sort = offrel::ListSort{static_cast<offrel::ListColumn>(column), descending};
    return choices;
}

void Settings::SetSalesList(const SalesListChoices& choices) {
    QStringList shown;
    QStringList widths;
    for (int column = 0; column < offrel::kListColumns; ++column) {
        if (choices.shown[column]) shown.append(QLatin1String(kColumnKeys[column]));
        widths.append(QString::number(choices.widths[column]));
    }
    store_->setValue(QStringLiteral("ListeDesVentes/Colonnes"), shown);
    store_->setValue(QStringLiteral("ListeDesVentes/Largeurs"), widths);
    QString sort;
    if (choices.sort) {
        sort = QLatin1String(kColumnKeys[static_cast<int>(choices.sort->column)]);
        if (choices.sort->descending) sort.prepend(QLatin1Char('-'));
    }
    store_->setValue(QStringLiteral("ListeDesVentes/Tri"), sort);
}

bool Settings::ReducePhotos() const {
    return store_->value(QStringLiteral("Envoi/ReduirePhotos")).toString() == QLatin1String("true");
}

void Settings::SetReducePhotos(bool reduce) {
    store_->setValue(QStringLiteral("Envoi/ReduirePhotos"), reduce);
}
