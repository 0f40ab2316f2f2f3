#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <string>

#include "editor/EditorState.h"
#include "tables/ApplicationTables.h"

namespace Ui {
class TForm1;
}
class SalesModel;

// The main window: the list of sales and the commands that lead to every other function. It
// owns the three tables for the whole run and closes them, writing their files, when destroyed.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    // Opens cdsOption, cdsCategorie and cdsVente from their files in dataDir; a table file that
    // cannot be read throws.
    explicit TForm1(const QString& dataDir, QWidget* parent = nullptr);
    ~TForm1() override;

    offrel::ApplicationTables& Tables() { return tables_; }
    EditorState& Editor() { return editorState_; }
    // The folder of the table files, in file-system bytes.
    const std::string& TablesFolder() const { return dataFolder_; }
    // True once the window was closed, even before the event loop started.
    bool CloseRequested() const { return closeRequested_; }

    void ReadVentesFromCSV(const QString& path);

    void Button1Click();
    void Button4Click();
    void Button3Click();
    void Button5Click();
    void Button2Click();
    void ButtonQuitterClick();
    void ButtonDebugClick();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void SetUpGrid();
    void ReplaceSaleEditor();
    // Runs a command that may change the sales and writes Ventes.cds when it did, also when the
    // command stopped on an error, so that a crash or a kill afterwards loses nothing.
    template <typename Command>
    void ChangingSales(Command&& command);
    void CloseTables();

    std::unique_ptr<Ui::TForm1> ui;
    std::string dataFolder_;
    offrel::ApplicationTables tables_;
    EditorState editorState_;
    SalesModel* dsVente;
    bool closeRequested_ = false;
};
