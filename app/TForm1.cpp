#include "app/TForm1.h"

#include <QCloseEvent>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QShortcut>

#include "app/BackupsWindow.h"
#include "app/BulkChangeWindow.h"
#include "app/ChangeNames.h"
#include "app/Forms.h"
#include "app/SalesKeeping.h"
#include "app/SalesListColumns.h"
#include "app/SalesListProxy.h"
#include "app/SalesModel.h"
#include "app/SalesSheetExport.h"
#include "app/SentSalesWindow.h"
#include "app/TForm4.h"
#include "app/TForm5.h"
#include "editor/TForm2.h"
#include "gui/ApplicationTitle.h"
#include "gui/Dialogs.h"
#include "gui/FileDrop.h"
#include "gui/Fonts.h"
#include "gui/HandlerConnection.h"
#include "gui/QtText.h"
#include "gui/WindowPlacement.h"
#include "import/SalesImport.h"
#include "sale/RecentCategories.h"
#include "sale/SaleCopies.h"
#include "tables/ControlsSuspended.h"
#include "ui_TForm1.h"

TForm1::TForm1(offrel::ApplicationTables& tables, offrel::EditorState& editorState,
               Settings& settings, SalesKeeping& keeping, std::string dataFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::TForm1>()),
      tables_(tables),
      editorState_(editorState),
      settings_(settings),
      keeping_(keeping),
      dataFolder_(std::move(dataFolder)),
      history_(tables.cdsVente),
      cells_(tables.cdsCategorie, tables.cdsOption),
      finder_(tables.cdsVente, cells_) {
    ui->setupUi(this);
    // Minimised, the program shows under its own title, as its taskbar entry does.
    setWindowIconText(ApplicationTitle());
    setFont(TahomaFont(11));
    ui->StaticText1->setFont(TahomaFont(16, true));
    ui->StaticText2->setFont(TahomaFont(16, true));
    ui->Button2->setFont(TahomaFont(11, true));
    QPalette white = ui->Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    ui->Panel1->setPalette(white);
    ui->ImageLogo->setPixmap(QPixmap(QStringLiteral(":/images/logo.png")));
    SetUpGrid();

    ConnectHandler(ui->Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    ConnectHandler(ui->Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
    ConnectHandler(ui->Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    ConnectHandler(ui->Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
    ConnectHandler(ui->Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    ConnectHandler(ui->ButtonQuitter, &QPushButton::clicked, this, &TForm1::ButtonQuitterClick);
    ConnectHandler(ui->ButtonDebug, &QPushButton::clicked, this, &TForm1::ButtonDebugClick);
    // The debug button is never shown; this is the way to the debug window.
    auto* debugShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D), this);
    ConnectHandler(debugShortcut, &QShortcut::activated, this, &TForm1::ButtonDebugClick);
    SetUpCommands();

    CenterOnScreen(this);
}

TForm1::~TForm1() = default;

void TForm1::SetUpGrid() {
    SalesGrid* grid = ui->DBGridVente;
    dsVente = new SalesModel(tables_.cdsVente, cells_, this);
    listProxy_ = new SalesListProxy(*dsVente, finder_, this);
    grid->setModel(listProxy_);
    // A sales file dropped on the list is imported as "Importer" imports the one chosen.
    new FileDrop(
        grid->viewport(),
        [](const QStringList& paths) {
            return paths.size() == 1 &&
                   paths.front().endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
        },
        [this](const QStringList& paths) { ReadVentesFromCSV(paths.front()); });
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->horizontalHeader()->setHighlightSections(false);
    listColumns_ = new SalesListColumns(*grid, *listProxy_, settings_);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setShowGrid(true);
    grid->setWordWrap(false);
    // The selection stays visible when the list loses the focus.
    QPalette palette = grid->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    grid->setPalette(palette);
}

namespace {

// What a command needs to be offered.
enum class Needs { Nothing, Selection, TwoSales, UndoStep, RedoStep };

// A command of the menu button and of the list's context menu.
struct MainCommand {
    const char* name;     // of its action
    const char* caption;  // UTF-8
    const char* keys;     // its shortcut, as QKeySequence reads it
    Needs needs;
    void (TForm1::*handler)();
};

// The commands, in the order of the menus: a new command is one more line.
const MainCommand kCommands[] = {
    {"ActionRechercher", "Rechercher dans les ventes", "Ctrl+F", Needs::Nothing,
     &TForm1::ActionRechercherExecute},
    {"ActionDupliquer", "Dupliquer", "Ctrl+D", Needs::Selection, &TForm1::ActionDupliquerExecute},
    {"ActionModifierEnLot", "Modifier en lot…", "Ctrl+E", Needs::TwoSales,
     &TForm1::ActionModifierEnLotExecute},
    {"ActionEnvoyerSelection", "Envoyer la sélection…", "Ctrl+Shift+T", Needs::Selection,
     &TForm1::ActionEnvoyerSelectionExecute},
    {"ActionSupprimer", "Supprimer la sélection", "Del", Needs::Selection, &TForm1::Button3Click},
    {"ActionAnnuler", "Annuler", "Ctrl+Z", Needs::UndoStep, &TForm1::ActionAnnulerExecute},
    {"ActionRetablir", "Rétablir", "Ctrl+Y", Needs::RedoStep, &TForm1::ActionRetablirExecute},
    {"ActionVentesEnvoyees", "Ventes envoyées…", "Ctrl+H", Needs::Nothing,
     &TForm1::ActionVentesEnvoyeesExecute},
    {"ActionRestaurerSauvegarde", "Restaurer une sauvegarde…", "Ctrl+Shift+B", Needs::Nothing,
     &TForm1::ActionRestaurerSauvegardeExecute},
    {"ActionExporter", "Exporter…", "Ctrl+Shift+E", Needs::Nothing, &TForm1::ActionExporterExecute},
};

}  // namespace

void TForm1::SetUpCommands() {
    // The window carries the shortcuts; the menu button and the list's context menu offer the
    // same commands, the latter acting on the selection without changing it.
    auto* menu = new QMenu(ui->ButtonCommandes);
    for (const MainCommand& command : kCommands) {
        auto* action = new QAction(QString::fromUtf8(command.caption), this);
        action->setObjectName(QLatin1String(command.name));
        action->setShortcut(QKeySequence(QLatin1String(command.keys), QKeySequence::PortableText));
        ConnectHandler(action, &QAction::triggered, this, command.handler);
        addAction(action);
        menu->addAction(action);
        ui->DBGridVente->addAction(action);
        commands_.push_back(action);
    }
    ui->ButtonCommandes->setMenu(menu);
    ui->DBGridVente->setContextMenuPolicy(Qt::ActionsContextMenu);
    ConnectHandler(menu, &QMenu::aboutToShow, this, &TForm1::UpdateCommands);

    ConnectHandler(ui->EditRecherche, &QLineEdit::textChanged, this, &TForm1::EditRechercheChange);
    auto* clearSearch = new QShortcut(QKeySequence::Cancel, ui->EditRecherche, nullptr, nullptr,
                                      Qt::WidgetShortcut);
    ConnectHandler(clearSearch, &QShortcut::activated, ui->EditRecherche, &QLineEdit::clear);

    ConnectHandler(listProxy_, &SalesListProxy::shownChanged, this, &TForm1::ShowCount);
    ConnectHandler(ui->DBGridVente->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                   &TForm1::UpdateCommands);
    ShowCount();
    UpdateCommands();
}

template <typename Command>
void TForm1::ChangingSales(Command&& command) {
    offrel::Table& sales = tables_.cdsVente;
    const int before = sales.ChangeCount();
    try {
        command();
    } catch (...) {
        // A row begun by a command that stopped is dropped, not left half-entered.
        if (sales.State() != offrel::TableState::Browse) sales.Cancel();
        if (sales.ChangeCount() != before) sales.Save();
        throw;
    }
    if (sales.ChangeCount() != before) sales.Save();
}

template <typename Command, typename Name>
void TForm1::RecordedChange(Command&& command, Name&& name) {
    history_.BeginStep();
    try {
        ChangingSales(command);
    } catch (...) {
        // What the command did before it stopped can be undone too.
        history_.EndStep(ToW1252(name()));
        UpdateCommands();
        throw;
    }
    history_.EndStep(ToW1252(name()));
    ui->LabelHistorique->clear();
    UpdateCommands();
}

void TForm1::ReplaceSaleEditor() {
    delete Form2;
    Form2 = nullptr;
    Form2 = new TForm2(tables_, editorState_, dataFolder_, this);
    const bool change = editorState_.ModeModification;
    RecordedChange([] { Form2->exec(); },
                   [change] {
                       return change ? QStringLiteral("Modification d'une vente")
                                     : QStringLiteral("Saisie d'une vente");
                   });
}

void TForm1::Button1Click() {
    editorState_.ModeModification = false;
    ReplaceSaleEditor();
}

void TForm1::Button4Click() {
    SalesGrid* grid = ui->DBGridVente;
    if (!grid->selectionModel()->hasSelection()) return;
    // The list's rules hold for the rows it shows: a current row that the search hides gives way
    // to the first selected row.
    if (grid->GridRow(tables_.cdsVente.RecNo()) < 0)
        tables_.cdsVente.MoveTo(grid->SelectedSales().front());
    editorState_.ModeModification = true;
    ReplaceSaleEditor();
}

void TForm1::Button3Click() {
    const std::vector<int> rows = ui->DBGridVente->SelectedSales();
    if (rows.empty()) return;
    RecordedChange(
        [&] {
            offrel::Table& sales = tables_.cdsVente;
            offrel::ControlsSuspended suspended(sales);
            for (auto row = rows.crbegin(); row != rows.crend(); ++row) {
                sales.MoveTo(*row);
                sales.Delete();
            }
        },
        [&] { return ChangeName(QStringLiteral("Suppression"), static_cast<int>(rows.size())); });
}

void TForm1::ReadVentesFromCSV(const QString& path) {
    offrel::SalesImportReport report;
    const int before = tables_.cdsVente.RecordCount();
    RecordedChange(
        [&] {
            report =
                offrel::ReadVentesFromCSV(tables_.cdsVente, QFile::encodeName(path).toStdString());
        },
        [&] {
            return ChangeName(QStringLiteral("Importation"),
                              tables_.cdsVente.RecordCount() - before);
        });
    // A file whose every line became a sale as written needs no word: the sales stand in the
    // list.
    if (!report.Complete())
        Dialogs::Get().Report(this, QString::fromStdString(offrel::ReportText(report)));
}

void TForm1::Button5Click() {
    const QString path =
        Dialogs::Get().OpenFile(this, QStringLiteral("Fichiers CSV (*.csv)|*.csv"), QString());
    if (!path.isEmpty()) ReadVentesFromCSV(path);
}

void TForm1::Button2Click() {
    TForm5& send = CreatedWindow(Form5, "Offrel Brivax - Envoi des ventes");
    send.SetSelection(std::nullopt);
    send.exec();
    UpdateCommands();
}

void TForm1::ButtonQuitterClick() {
    close();
}

void TForm1::ButtonDebugClick() {
    TForm4& debug = CreatedWindow(Form4, "Brivax Offrel - Debug Window");
    debug.show();
    debug.raise();
    debug.activateWindow();
}

void TForm1::EditRechercheChange() {
    listProxy_->SetSearch(ToW1252(ui->EditRecherche->text()));
}

void TForm1::ActionRechercherExecute() {
    ui->EditRecherche->setFocus(Qt::ShortcutFocusReason);
    ui->EditRecherche->selectAll();
}

void TForm1::ActionDupliquerExecute() {
    const std::vector<int> originals = ui->DBGridVente->SelectedSales();
    if (originals.empty()) return;
    std::vector<int> copies;
    RecordedChange(
        [&] { copies = offrel::DuplicateSales(tables_.cdsVente, originals); },
        [&] { return ChangeName(QStringLiteral("Copie"), static_cast<int>(originals.size())); });
    ui->DBGridVente->SelectSales(copies);
}

void TForm1::ActionModifierEnLotExecute() {
    const std::vector<int> sales = ui->DBGridVente->SelectedSales();
    if (sales.size() < 2) return;
    const auto apply = [this, &sales](const offrel::BulkChange& change) {
        offrel::BulkOutcome outcome;
        RecordedChange([&] { outcome = offrel::ApplyBulkChange(tables_.cdsVente, sales, change); },
                       [&] { return ChangeName(QStringLiteral("Modification"), outcome.changed); });
        return outcome;
    };
    BulkChangeWindow window(tables_, sales, offrel::LoadRecentCategories(dataFolder_), apply, this);
    window.exec();
    // The same sales stay selected, for the next change.
    ui->DBGridVente->SelectSales(sales);
}

void TForm1::ActionEnvoyerSelectionExecute() {
    const std::vector<int> sales = ui->DBGridVente->SelectedSales();
    if (sales.empty()) return;
    TForm5& send = CreatedWindow(Form5, "Offrel Brivax - Envoi des ventes");
    send.SetSelection(sales);
    send.exec();
    UpdateCommands();
}

void TForm1::ActionAnnulerExecute() {
    UndoOrRedo(true);
}

void TForm1::ActionRetablirExecute() {
    UndoOrRedo(false);
}

void TForm1::UndoOrRedo(bool undo) {
    std::string name;
    try {
        ChangingSales([&] { name = undo ? history_.Undo() : history_.Redo(); });
    } catch (...) {
        UpdateCommands();
        throw;
    }
    if (!name.empty()) ui->LabelHistorique->setText(UndoneLine(FromW1252(name), undo));
    UpdateCommands();
}

void TForm1::ShowCount() {
    const int shown = listProxy_->rowCount();
    const int total = listProxy_->TableRowCount();
    const QString sales = total <= 1 ? QStringLiteral("vente") : QStringLiteral("ventes");
    ui->LabelNombre->setText(listProxy_->Searching()
                                 ? QStringLiteral("%1 / %2 %3").arg(shown).arg(total).arg(sales)
                                 : QStringLiteral("%1 %2").arg(total).arg(sales));
}

void TForm1::UpdateCommands() {
    int selected = 0;
    for (const QItemSelectionRange& range : ui->DBGridVente->selectionModel()->selection())
        selected += range.height();
    for (std::size_t k = 0; k < commands_.size(); ++k) {
        bool offered = true;
        switch (kCommands[k].needs) {
            case Needs::Nothing:
                break;
            case Needs::Selection:
                offered = selected > 0;
                break;
            case Needs::TwoSales:
                offered = selected >= 2;
                break;
            case Needs::UndoStep:
                offered = history_.CanUndo();
                break;
            case Needs::RedoStep:
                offered = history_.CanRedo();
                break;
        }
        commands_[k]->setEnabled(offered);
    }
}

void TForm1::TellKeepingNotices() {
    for (const std::string& notice : keeping_.TakeNotices())
        Dialogs::Get().Message(this, FromW1252(notice));
}

void TForm1::ActionVentesEnvoyeesExecute() {
    // Sales put back in the list are one step of the history.
    const auto relist = [this](const std::function<void()>& change) {
        const int before = tables_.cdsVente.RecordCount();
        RecordedChange(change, [&] {
            return ChangeName(QStringLiteral("Remise en vente"),
                              tables_.cdsVente.RecordCount() - before);
        });
    };
    SentSalesWindow window(keeping_.History(), tables_.cdsVente, tables_.cdsCategorie, relist,
                           this);
    // A damaged history set aside as it opened is said before its empty list shows.
    TellKeepingNotices();
    window.exec();
}

void TForm1::ActionRestaurerSauvegardeExecute() {
    // The sales of a backup replace those of the list as one step of the history.
    const auto restore = [this](const std::function<void()>& change) {
        RecordedChange(change, [] { return QStringLiteral("Restauration d'une sauvegarde"); });
    };
    BackupsWindow window(keeping_.Backups(), tables_.cdsVente, restore, this);
    window.exec();
    TellKeepingNotices();
}

void TForm1::ActionExporterExecute() {
    ExportSalesAsked(this, tables_.cdsVente, ui->DBGridVente->SelectedSales());
}

void TForm1::closeEvent(QCloseEvent* event) {
    closeRequested_ = true;
    event->accept();
    emit closed();
}
