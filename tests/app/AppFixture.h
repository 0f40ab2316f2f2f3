#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "ScriptedSite.h"
#include "app/ProgramBlock.h"
#include "base/Money.h"
#include "tests/common/ScriptedDialogs.h"

namespace offrel {
class Table;
}

// What a test of the application needs: a temporary data folder (OFFREL_DATA_DIR), a scripted
// site with a small catalogue (OFFREL_SERVER_URL) and scripted dialogs. Ends the program that
// the test started, if any, at its end.
class AppFixture {
public:
    AppFixture();
    ~AppFixture();

    // Starts the program block on the data folder: tables, windows, catalogue refresh.
    void Start() { program = std::make_unique<ProgramBlock>(Folder()); }
    offrel::Table& Sales() const { return program->Tables().cdsVente; }

    QString Folder() const { return dir_.path(); }
    QString FilePath(const char* name) const;
    std::string ReadFile(const char* name) const;
    void WriteFile(const char* name, const std::string& bytes) const;

    // The titles of the sales stored in Ventes.cds, as the next start reads them.
    QStringList SalesInFile() const;

    ScriptedSite site;
    ScriptedDialogs dialogs;
    std::unique_ptr<ProgramBlock> program;

    static const std::string kOptions;
    static const std::string kCategories;

private:
    QTemporaryDir dir_;
};

// Appends a sale whose title is written in UTF-8.
void AddSale(offrel::Table& cdsVente, const std::string& title,
             offrel::Money price = offrel::Money::FromTicks(100000));
