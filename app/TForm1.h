#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "sale/EditorState.h"
#include "sale/SaleListCells.h"
#include "sale/SalesFinder.h"
#include "tables/ApplicationTables.h"
#include "tables/TableHistory.h"

namespace Ui {
class TForm1;
}
class QAction;
class SalesListColumns;
class SalesListProxy;
class SalesModel;
class SalesKeeping;
class Settings;

// The main window: the list of sales and the commands that lead to every other function.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    // The tables, the editor state, the settings and what keeps the sales outlive the window
    // (the program block owns them); dataFolder: the folder of the table files, in file-system
    // bytes.
    TForm1(offrel::ApplicationTables& tables, offrel::EditorState& editorState, Settings& settings,
           SalesKeeping& keeping, std::string dataFolder, QWidget* parent = nullptr);
    ~TForm1() override;

    // True once the window was closed, even before the event loop started.
    bool CloseRequested() const { return closeRequested_; }

    // Imports the sales file; when some lines gave no sale, the report window lists them.
    void ReadVentesFromCSV(const QString& path);

    void Button1Click();
    void Button4Click();
    void Button3Click();
    void Button5Click();
    void Button2Click();
    void ButtonQuitterClick();
    void ButtonDebugClick();
    // "Ventes envoyées", "Restaurer une sauvegarde…", "Exporter…".
    void ActionVentesEnvoyeesExecute();
    void ActionRestaurerSauvegardeExecute();
    void ActionExporterExecute();

    // The commands of the menu button, of the list's context menu and of their shortcuts.
    void EditRechercheChange();
    void ActionRechercherExecute();
    void ActionDupliquerExecute();
    void ActionModifierEnLotExecute();
    void ActionEnvoyerSelectionExecute();
    void ActionAnnulerExecute();
    void ActionRetablirExecute();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void SetUpGrid();
    void SetUpCommands();
    void ReplaceSaleEditor();
    // Runs a command that may change the sales and writes Ventes.cds when it did, also when the
    // command stopped on an error, so that a crash or a kill afterwards loses nothing.
    template <typename Command>
    void ChangingSales(Command&& command);
    // The same, the change becoming one step of the history, named once it is done.
    template <typename Command, typename Name>
    void RecordedChange(Command&& command, Name&& name);
    void UndoOrRedo(bool undo);
    void ShowCount();
    // The commands that need a selection or a history are offered only when there is one.
    void UpdateCommands();
    // What the history or the backups have to say that the seller was not told yet.
    void TellKeepingNotices();

    std::unique_ptr<Ui::TForm1> ui;
    offrel::ApplicationTables& tables_;
    offrel::EditorState& editorState_;
    Settings& settings_;
    SalesKeeping& keeping_;
    std::string dataFolder_;  // of the table files, in file-system bytes
    offrel::TableHistory history_;
    offrel::SaleListCells cells_;
    offrel::SalesFinder finder_;
    SalesModel* dsVente;
    SalesListProxy* listProxy_;
    SalesListColumns* listColumns_;
    std::vector<QAction*> commands_;  // those of the menus, in their order
    bool closeRequested_ = false;
};
