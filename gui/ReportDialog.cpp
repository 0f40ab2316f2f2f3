#include "gui/ReportDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/ApplicationTitle.h"
#include "gui/HandlerConnection.h"

ReportDialog::ReportDialog(const QString& text, QWidget* parent)
    : QDialog(parent), MemoRapport(new QPlainTextEdit(text, this)) {
    setWindowTitle(ApplicationTitle());
    MemoRapport->setObjectName(QStringLiteral("MemoRapport"));
    MemoRapport->setReadOnly(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* copier =
        buttons->addButton(QStringLiteral("Copier"), QDialogButtonBox::ActionRole);
    copier->setObjectName(QStringLiteral("ButtonCopier"));
    ConnectHandler(copier, &QPushButton::clicked, this, &ReportDialog::ButtonCopierClick);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MemoRapport);
    layout->addWidget(buttons);
    resize(560, 360);
}

void ReportDialog::ButtonCopierClick() {
    QApplication::clipboard()->setText(MemoRapport->toPlainText());
}
