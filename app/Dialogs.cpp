#include "app/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString Title() {
    return QApplication::applicationDisplayName();
}

// "Description|*.a;*.b" as the toolkit's "Description (*.a *.b)".
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
    bool Confirm(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Question, Title(), text, QMessageBox::Yes | QMessageBox::No,
                        parent);
        return box.exec() == QMessageBox::Yes;
    }
    bool ConfirmDefaultNo(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Question, Title(), text, QMessageBox::NoButton, parent);
        QPushButton* yes = box.addButton(QStringLiteral("Oui"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("Non"), QMessageBox::NoRole);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    }
    QString OpenFile(QWidget* parent, const QString& filter, const QString& start) override {
        return QFileDialog::getOpenFileName(parent, QString(), start, ToolkitFilter(filter));
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
