#pragma once

#include <QString>

class QWidget;

// The one seam for modal message boxes and file dialogs: the application installs the real one,
// GUI tests install a scripted one that answers without blocking.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A plain message: the text, one OK button, the application title as caption.
    virtual void Message(QWidget* parent, const QString& text) = 0;
    // The error box: error icon, one OK button, the title as caption (the full stop rule applied
    // by the caller).
    virtual void Error(QWidget* parent, const QString& text) = 0;
    // A report that may be long: the text in a scrolling box, a "Copier" button that puts it on
    // the clipboard, one OK button, the title as caption.
    virtual void Report(QWidget* parent, const QString& text) = 0;
    // A question with Yes / No; true for Yes.
    virtual bool Confirm(QWidget* parent, const QString& text) = 0;
    // A question over a list that may be long (it scrolls), with two buttons: accept (the
    // default, Return) and reject (Escape); true for accept.
    virtual bool ConfirmList(QWidget* parent, const QString& text, const QString& list,
                             const QString& accept, const QString& reject) = 0;
    // A question where yes is the risky answer: "Oui" and "Non", the title as caption, "Non" the
    // default, so that Return and Escape both answer no. True for "Oui".
    virtual bool ConfirmDefaultNo(QWidget* parent, const QString& text) = 0;
    // A file-open dialog. filter: "Description|*.a;*.b". Returns the full path, or an empty text
    // when cancelled.
    virtual QString OpenFile(QWidget* parent, const QString& filter, const QString& start) = 0;
    // A file-save dialog that asks before replacing a file. filter: as for OpenFile. Returns the
    // full path, the filter's first extension added when the name typed has none, or an empty
    // text when cancelled.
    virtual QString SaveFile(QWidget* parent, const QString& filter, const QString& start) = 0;

    static Dialogs& Get();
    // The path chosen in a save dialog of that filter, with the filter's first extension when
    // its file name has none; empty stays empty.
    static QString WithDefaultExtension(const QString& path, const QString& filter);
    static void Set(Dialogs* dialogs);  // nullptr restores the real dialogs
};
