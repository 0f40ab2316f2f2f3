#include "app/ProgramBlock.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <memory>

#include "app/DataFolder.h"
#include "app/DataFolderLock.h"
#include "app/Forms.h"
#include "app/SalesKeeping.h"
#include "app/TForm1.h"
#include "app/TForm3.h"
#include "app/TForm4.h"
#include "app/TForm5.h"
#include "app/TForm6.h"
#include "editor/TForm2.h"
#include "gui/ApplicationTitle.h"
#include "gui/Dialogs.h"
#include "gui/ErrorReport.h"
#include "gui/HandlerConnection.h"
#include "gui/QtText.h"

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;
TForm4* Form4 = nullptr;
TForm5* Form5 = nullptr;
TForm6* Form6 = nullptr;

namespace {

template <typename Form>
void DestroyForm(Form*& form) {
    delete form;
    form = nullptr;
}

}  // namespace

ProgramBlock::ProgramBlock(const QString& dataDir) : settings_(dataDir) {
    offrel::OpenTables(tables_, QFile::encodeName(dataDir).toStdString());
    keeping_ = std::make_unique<SalesKeeping>(tables_.cdsVente);
    CreateForms(dataDir);
}

ProgramBlock::~ProgramBlock() {
    DestroyForms();
    CloseTables();
}

void ProgramBlock::CreateForms(const QString& dataDir) {
    // Without its main window the program cannot run: that error ends the start.
    const std::string folder = QFile::encodeName(dataDir + QDir::separator()).toStdString();
    Form1 = new TForm1(tables_, editorState_, settings_, *keeping_, folder);
    ConnectHandler(Form1, &TForm1::closed, qApp, &QCoreApplication::quit);
    RunReportingErrors([&] {
        Form3 = new TForm3(tables_, folder, Form1);
        Form3->FormCreate();
    });
    RunReportingErrors([&] { Form2 = new TForm2(tables_, editorState_, folder, Form1); });
    RunReportingErrors([&] { Form4 = new TForm4(tables_); });
    RunReportingErrors([&] {
        Form5 = new TForm5(tables_.cdsVente, tables_.cdsOption, tables_.cdsCategorie, settings_,
                           Form1, keeping_.get());
    });
    RunReportingErrors([&] { Form6 = new TForm6(); });
}

void ProgramBlock::DestroyForms() {
    DestroyForm(Form6);
    DestroyForm(Form5);
    DestroyForm(Form4);
    DestroyForm(Form2);
    DestroyForm(Form3);
    DestroyForm(Form1);
}

void ProgramBlock::CloseTables() {
    for (offrel::Table* table : {&tables_.cdsVente, &tables_.cdsOption, &tables_.cdsCategorie})
        RunReportingErrors([table] { table->Close(); });
    // The last save may be the run's first, and its backup the one that failed.
    for (const std::string& notice : keeping_->TakeNotices())
        Dialogs::Get().Message(nullptr, FromW1252(notice));
}

void ProgramBlock::Run() {
    // A refresh that failed with no catalogue to fall back on closed the main window already.
    if (Form1->CloseRequested()) return;
    Form1->show();
    QApplication::exec();
}

int RunProgram() {
    SetApplicationTitle();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/offrel.png")));
    const QString folder = DataFolder();
    const DataFolderLock lock(folder);
    if (lock.OpenElsewhere()) {
        Dialogs::Get().Message(nullptr, AlreadyOpenMessage(folder));
        return 1;
    }
    std::unique_ptr<ProgramBlock> program;
    try {
        program = std::make_unique<ProgramBlock>(folder);
    } catch (const std::exception& error) {
        ReportError(error);
        return 1;
    }
    program->Run();
    return 0;
}
