#pragma once

#include <QString>
#include <exception>

// The error box text: the message with a full stop appended when the code of its last
// character is above that of ".".
QString ErrorBoxText(const QString& message);

// Shows an error that no handler caught in the error box, over the window in front.
void ReportError(const std::exception& error);

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
