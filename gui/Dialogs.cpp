#include "gui/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "gui/ReportDialog.h"

namespace {

QString Title() {
    return QApplication::applicationDisplayName();
}

// "Description|*.a;*.b" as the toolkit's "Description (*.a *.b)". The description names its
// patterns itself ("Fichiers CSV (*.csv)"), so the dialog shows it alone (HideNameFilterDetails):
// the patterns in parentheses only select the files.
QString ToolkitFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2) return filter;
    QStringList patterns = parts.at(1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return parts.at(0) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

class RealDialogs : public Dialogs {
public:
    void Message(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, Title(), text, QMessageBox::Ok, parent);
        box.exec();
    }
    void Error(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Critical, Title(), text, QMessageBox::Ok, parent);
        box.exec();
    }
    void Report(QWidget* parent, const QString& text) override {
        ReportDialog dialog(text, parent);
        dialog.exec();
    }
    bool Confirm(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Question, Title(), text, QMessageBox::Yes | QMessageBox::No,
                        parent);
        return box.exec() == QMessageBox::Yes;
    }
    QString OpenFile(QWidget* parent, const QString& filter, const QString& start) override {
        return QFileDialog::getOpenFileName(parent, QString(), start, ToolkitFilter(filter),
                                            nullptr, QFileDialog::HideNameFilterDetails);
    }
};

Dialogs* installed = nullptr;

}  // namespace

Dialogs& Dialogs::Get() {
    static RealDialogs real;
    return installed ? *installed : real;
}

void Dialogs::Set(Dialogs* dialogs) {
    installed = dialogs;
}
