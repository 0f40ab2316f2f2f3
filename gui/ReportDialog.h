#pragma once

#include <QDialog>

class QPlainTextEdit;

// A report that may run long, such as the lines an import passed over: the text in a read-only
// box that scrolls, a "Copier" button that puts it on the clipboard, and OK. The application's
// title is its caption.
class ReportDialog : public QDialog {
    Q_OBJECT

public:
    explicit ReportDialog(const QString& text, QWidget* parent = nullptr);

    void ButtonCopierClick();

private:
    QPlainTextEdit* MemoRapport;
};
