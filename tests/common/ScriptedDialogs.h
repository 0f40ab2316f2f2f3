#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

#include "app/Dialogs.h"

// Answers every dialog without blocking and records what was shown. Installed for the lifetime
// of the object.
class ScriptedDialogs : public Dialogs {
public:
    ScriptedDialogs() { Dialogs::Set(this); }
    ~ScriptedDialogs() override { Dialogs::Set(nullptr); }

    void Message(QWidget*, const QString& text) override {
        messages.append(text);
        if (onShown) onShown(text);
    }
    void Error(QWidget*, const QString& text) override {
        errors.append(text);
        if (onShown) onShown(text);
    }
    bool Confirm(QWidget*, const QString& text) override {
        questions.append(text);
        return NextAnswer();
    }
    bool ConfirmDefaultNo(QWidget*, const QString& text) override {
        questionsDefaultNo.append(text);
        return NextAnswer();
    }
    QString OpenFile(QWidget*, const QString& filter, const QString& start) override {
        filters.append(filter);
        starts.append(start);
        if (fileAnswers.empty()) return QString();
        QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }

    // Called on the dialog's thread while a message or an error box is on screen.
    std::function<void(const QString&)> onShown;
    // What the next questions answer, in order (no when none is left); an empty file name means
    // "cancelled".
    std::deque<bool> confirmAnswers;
    std::deque<QString> fileAnswers;

    QStringList messages;
    QStringList errors;
    QStringList questions;
    QStringList questionsDefaultNo;
    QStringList filters;
    QStringList starts;

private:
    bool NextAnswer() {
        if (confirmAnswers.empty()) return false;
        const bool answer = confirmAnswers.front();
        confirmAnswers.pop_front();
        return answer;
    }
};
