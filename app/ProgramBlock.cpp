#include "app/ProgramBlock.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>

#include "app/DataFolder.h"
#include "app/ErrorReport.h"
#include "app/Forms.h"
#include "app/TForm1.h"
#include "app/TForm3.h"
#include "app/TForm4.h"
#include "app/TForm5.h"
#include "app/TForm6.h"
#include "editor/TForm2.h"

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;
TForm4* Form4 = nullptr;
TForm5* Form5 = nullptr;
TForm6* Form6 = nullptr;

bool CreateForms(const QString& dataDir) {
    try {
        Form1 = new TForm1(dataDir);
    } catch (const std::exception& error) {
        ReportError(error);
        return false;
    }
    QObject::connect(Form1, &TForm1::closed, qApp, &QCoreApplication::quit);
    offrel::ApplicationTables& tables = Form1->Tables();
    const std::string folder = QFile::encodeName(dataDir + QDir::separator()).toStdString();
    RunReportingErrors([&] {
        Form3 = new TForm3(tables, folder, Form1);
        Form3->FormCreate();
    });
    RunReportingErrors(
        [&] { Form2 = new TForm2(tables, Form1->Editor(), Form1->TablesFolder(), Form1); });
    RunReportingErrors([&] { Form4 = new TForm4(tables); });
    RunReportingErrors([&] { Form5 = new TForm5(tables.cdsVente, tables.cdsOption, Form1); });
    RunReportingErrors([&] { Form6 = new TForm6(); });
    return true;
}

void DestroyForms() {
    delete Form6;
    delete Form5;
    delete Form4;
    delete Form2;
    delete Form3;
    delete Form1;
    Form1 = nullptr;
    Form2 = nullptr;
    Form3 = nullptr;
    Form4 = nullptr;
    Form5 = nullptr;
    Form6 = nullptr;
}

int RunProgram() {
    QApplication::setApplicationDisplayName(QStringLiteral("Offrel Brivax"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/offrel.png")));
    if (!CreateForms(DataFolder())) return 1;
    // A failed connection test closed the main window already: the run ends at once.
    if (!Form1->CloseRequested()) {
        Form1->show();
        QApplication::exec();
    }
    DestroyForms();
    return 0;
}
