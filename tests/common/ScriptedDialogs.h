#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

#include "gui/Dialogs.h"

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
    void Report(QWidget*, const QString& text) override {
        reports.append(text);
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
    bool ConfirmList(QWidget*, const QString& text, const QString& list, const QString& accept,
                     const QString& reject) override {
        listQuestions.append({text, list, accept, reject});
        if (listAnswers.empty()) return false;
        bool answer = listAnswers.front();
        listAnswers.pop_front();
        return answer;
    }
    QString OpenFile(QWidget*, const QString& filter, const QString& start) override {
        filters.append(filter);
        starts.append(start);
        if (fileAnswers.empty()) return QString();
        QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }

    QString SaveFile(QWidget*, const QString& filter, const QString& start) override {
        saveFilters.append(filter);
        starts.append(start);
        if (saveAnswers.empty()) return QString();
        QString answer = saveAnswers.front();
        saveAnswers.pop_front();
        return WithDefaultExtension(answer, filter);
    }

    // Called on the dialog's thread while a message, an error box or a report is on screen.
    std::function<void(const QString&)> onShown;
    // What the next questions answer, in order (no when none is left); an empty file name means
    // "cancelled".
    std::deque<bool> confirmAnswers;
    std::deque<bool> listAnswers;
    std::deque<QString> fileAnswers;
    std::deque<QString> saveAnswers;  // the names typed in the save dialogs

    QStringList messages;
    QStringList errors;
    QStringList reports;
    QStringList questions;
    struct ListQuestion {
        QString text, list, accept, reject;
    };
    QList<ListQuestion> listQuestions;
    QStringList questionsDefaultNo;
    QStringList filters;
    QStringList saveFilters;
    QStringList starts;

private:
    bool NextAnswer() {
        if (confirmAnswers.empty()) return false;
        const bool answer = confirmAnswers.front();
        confirmAnswers.pop_front();
        return answer;
    }
};
