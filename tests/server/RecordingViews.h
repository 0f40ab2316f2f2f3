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
    void Close() override { events.push_back("close"); }
    // Answers "Envoyer les autres ventes" unless told otherwise.
    bool sendOthers = true;
    std::vector<std::string> questions;  // the lists asked about
    bool AskToSendOthers(const std::string&, const std::string& list) override {
        events.push_back("ask");
        questions.push_back(list);
        return sendOthers;
    }
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
