#include "gui/Dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/ApplicationTitle.h"
#include "gui/ReportDialog.h"

namespace {

// "Description|*.a;*.b" as the toolkit's "Description (*.a *.b)". The description names its
// patterns itself ("Fichiers CSV (*.csv)"), so the dialog shows it alone (HideNameFilterDetails):
// the patterns in parentheses only select the files.
QString ToolkitFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2) return filter;
    QStringList patterns = parts.at(1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return parts.at(0) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

// Messages carry texts of the site's and of files: they are shown as written, never read as
// rich text (a maintenance page would otherwise be drawn as a page).
void ShowAsWritten(QMessageBox& box) {
    box.setTextFormat(Qt::PlainText);
}

class RealDialogs : public Dialogs {
public:
    void Message(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::Ok, parent);
        ShowAsWritten(box);
        box.exec();
    }
    void Error(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Critical, ApplicationTitle(), text, QMessageBox::Ok, parent);
        ShowAsWritten(box);
        box.exec();
    }
    void Report(QWidget* parent, const QString& text) override {
        ReportDialog dialog(text, parent);
        dialog.exec();
    }
    bool Confirm(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Question, ApplicationTitle(), text,
                        QMessageBox::Yes | QMessageBox::No, parent);
        ShowAsWritten(box);
        return box.exec() == QMessageBox::Yes;
    }
    bool ConfirmDefaultNo(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Question, ApplicationTitle(), text, QMessageBox::NoButton,
                        parent);
        ShowAsWritten(box);
        QPushButton* yes = box.addButton(QStringLiteral("Oui"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("Non"), QMessageBox::NoRole);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    }
    bool ConfirmList(QWidget* parent, const QString& text, const QString& list,
                     const QString& accept, const QString& reject) override {
        QDialog box(parent);
        box.setWindowTitle(ApplicationTitle());
        auto* layout = new QVBoxLayout(&box);
        auto* label = new QLabel(text);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        layout->addWidget(label);
        auto* lines = new QPlainTextEdit(list);
        lines->setReadOnly(true);
        lines->setLineWrapMode(QPlainTextEdit::NoWrap);
        layout->addWidget(lines);
        auto* buttons = new QDialogButtonBox;
        QPushButton* yes = buttons->addButton(accept, QDialogButtonBox::AcceptRole);
        buttons->addButton(reject, QDialogButtonBox::RejectRole);
        yes->setDefault(true);
        yes->setFocus();
        QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
        layout->addWidget(buttons);
        box.resize(520, 320);
        return box.exec() == QDialog::Accepted;
    }
    QString OpenFile(QWidget* parent, const QString& filter, const QString& start) override {
        return QFileDialog::getOpenFileName(parent, QString(), start, ToolkitFilter(filter),
                                            nullptr, QFileDialog::HideNameFilterDetails);
    }
    QString SaveFile(QWidget* parent, const QString& filter, const QString& start) override {
        return WithDefaultExtension(
            QFileDialog::getSaveFileName(parent, QString(), start, ToolkitFilter(filter), nullptr,
                                         QFileDialog::HideNameFilterDetails),
            filter);
    }
};

Dialogs* installed = nullptr;

}  // namespace

Dialogs& Dialogs::Get() {
    static RealDialogs real;
    return installed ? *installed : real;
}

QString Dialogs::WithDefaultExtension(const QString& path, const QString& filter) {
    if (path.isEmpty() || QFileInfo(path).fileName().contains(QLatin1Char('.'))) return path;
    const QString patterns = filter.section(QLatin1Char('|'), 1, 1);
    const QString first = patterns.section(QLatin1Char(';'), 0, 0);
    // "*.csv" gives ".csv"; a pattern such as "*" names no extension to add.
    const qsizetype dot = first.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot + 1 == first.size() || first.indexOf(QLatin1Char('*'), dot) >= 0)
        return path;
    return path + first.mid(dot);
}

void Dialogs::Set(Dialogs* dialogs) {
    installed = dialogs;
}
