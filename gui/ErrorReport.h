#pragma once

#include <QString>
#include <exception>
#include <string>

class QWidget;

// The error box text: the message with a full stop appended when the code of its last
// character is above that of ".".
QString ErrorBoxText(const QString& message);

// Shows an error that no handler caught in the error box, over the window in front.
void ReportError(const std::exception& error);

// Shows the error box over parent with a message of the core (Windows-1252).
void ReportError(QWidget* parent, const std::string& message);

// Runs one handler (a window's creation, a closing step) and reports what escapes it, so that
// the caller goes on with the next one.
template <typename Handler>
void RunReportingErrors(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ReportError(error);
    }
}
