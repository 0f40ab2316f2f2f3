#pragma once

#include <string>
#include <vector>

#include "server/CatalogueRefresh.h"
#include "server/SalesUpload.h"

// Views that write down, in order, what a window would do.
class RecordingUploadView : public offrel::UploadView {
public:
    std::vector<std::string> events;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<bool> answers;  // what the questions answer, in order; no once none is left
    void SetStartEnabled(bool enabled) override {
        events.push_back(enabled ? "start on" : "start off");
    }
    void SetProgressMax(int maximum) override {
        events.push_back("max " + std::to_string(maximum));
    }
    void StepProgress() override { events.push_back("step"); }
    void SetStatusText(const std::string& text) override { events.push_back("label " + text); }
    void Repaint() override { events.push_back("repaint"); }
    void ProcessPendingEvents() override { events.push_back("events"); }
    void ShowMessage(const std::string& text) override {
        events.push_back("message");
        messages.push_back(text);
    }
    bool ConfirmSendAgain(const std::string& question) override {
        events.push_back("question");
        questions.push_back(question);
        return questions.size() <= answers.size() && answers[questions.size() - 1];
    }
    void Close() override { events.push_back("close"); }
};

class RecordingRefreshView : public offrel::RefreshView {
public:
    std::vector<std::string> events;
    std::vector<std::string> messages;
    void Show() override { events.push_back("show"); }
    void Hide() override { events.push_back("hide"); }
    void SetStepText(const std::string& text) override { events.push_back("label " + text); }
    void StepProgress() override { events.push_back("step"); }
    void Repaint() override { events.push_back("repaint"); }
    void ProcessPendingEvents() override { events.push_back("events"); }
    void ShowMessage(const std::string& text) override {
        events.push_back("message");
        messages.push_back(text);
    }
    void CloseMainWindow() override { events.push_back("close main"); }
};
