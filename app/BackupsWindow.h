#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "app/SalesChange.h"
#include "tables/SalesBackups.h"
#include "tables/Table.h"

namespace Ui {
class BackupsWindow;
}

// "Restaurer une sauvegarde…": the copies of the sales file, latest first, with the time of
// their sales and how many they hold; the one chosen replaces the sales of the list.
class BackupsWindow : public QDialog {
    Q_OBJECT

public:
    // The backups and the table outlive the window; changeSales runs the restoring.
    BackupsWindow(offrel::SalesBackups& backups, offrel::Table& cdsVente, SalesChange changeSales,
                  QWidget* parent = nullptr);
    ~BackupsWindow() override;

    // Asks first; closes the window once the backup is in the list.
    void ButtonRestaurerClick();

private:
    void Fill();

    std::unique_ptr<Ui::BackupsWindow> ui;
    offrel::SalesBackups& backups_;
    offrel::Table& cdsVente_;
    SalesChange changeSales_;
    std::vector<offrel::SalesBackup> shown_;
};
