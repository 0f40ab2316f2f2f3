#include "app/TForm1.h"

#include <QCloseEvent>
#include <QFile>
#include <QHeaderView>
#include <QShortcut>

#include "app/Forms.h"
#include "app/SalesModel.h"
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
#include "tables/ControlsSuspended.h"
#include "ui_TForm1.h"

TForm1::TForm1(offrel::ApplicationTables& tables, offrel::EditorState& editorState,
               std::string dataFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::TForm1>()),
      tables_(tables),
      editorState_(editorState),
      dataFolder_(std::move(dataFolder)) {
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

    CenterOnScreen(this);
}

TForm1::~TForm1() = default;

void TForm1::SetUpGrid() {
    SalesGrid* grid = ui->DBGridVente;
    dsVente = new SalesModel(tables_.cdsVente, this);
    grid->setModel(dsVente);
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
    grid->setColumnWidth(0, 535);
    grid->setColumnWidth(1, 135);
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

void TForm1::ReplaceSaleEditor() {
    delete Form2;
    Form2 = nullptr;
    Form2 = new TForm2(tables_, editorState_, dataFolder_, this);
    ChangingSales([] { Form2->exec(); });
}

void TForm1::Button1Click() {
    editorState_.ModeModification = false;
    ReplaceSaleEditor();
}

void TForm1::Button4Click() {
    if (!ui->DBGridVente->selectionModel()->hasSelection()) return;
    editorState_.ModeModification = true;
    ReplaceSaleEditor();
}

void TForm1::Button3Click() {
    const QList<int> rows = ui->DBGridVente->SelectedRows();
    if (rows.isEmpty()) return;
    ChangingSales([&] {
        offrel::Table& sales = tables_.cdsVente;
        offrel::ControlsSuspended suspended(sales);
        for (auto row = rows.crbegin(); row != rows.crend(); ++row) {
            sales.MoveTo(*row);
            sales.Delete();
        }
    });
}

void TForm1::ReadVentesFromCSV(const QString& path) {
    offrel::SalesImportReport report;
    ChangingSales([&] {
        report = offrel::ReadVentesFromCSV(tables_.cdsVente, QFile::encodeName(path).toStdString());
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
    CreatedWindow(Form5, "Offrel Brivax - Envoi des ventes").exec();
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

void TForm1::closeEvent(QCloseEvent* event) {
    closeRequested_ = true;
    event->accept();
    emit closed();
}
