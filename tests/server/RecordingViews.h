#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "server/CatalogueRefresh.h"
#include "server/SalesUpload.h"

// One blocking wait for every view, so that the views stay plain values that a test can reset.
inline offrel::RequestWait& SharedWait() {
    static offrel::BlockingWait wait;
    return wait;
}

// Views that write down, in order, what a window would do.
class RecordingUploadView : public offrel::UploadView {
public:
    std::vector<std::string> events;
    std::vector<std::string> messages;
    std::vector<std::string> questions;  // before sending again an interrupted send
    std::vector<bool> answers;  // what the questions answer, in order; no once none is left
    void SetStartEnabled(bool enabled) override {
        events.push_back(enabled ? "start on" : "start off");
    }
    void SetProgressMax(int maximum) override {
        events.push_back("max " + std::to_string(maximum));
    }
    void StepProgress() override { events.push_back("step"); }
    void SetStatusText(const std::string& text) override { events.push_back("label " + text); }
    void SetSaleProgress(const std::string& amounts) override { amountsShown.push_back(amounts); }
    void SetStopEnabled(bool enabled) override { stopOffered = enabled; }
    // Asked after each accepted sale that has another after it: as if "Arrêter" was pressed while
    // the stopAfterSale-th sale was going.
    bool StopRequested() override { return ++stopAsked == stopAfterSale; }
    offrel::RequestWait& Waiting() override { return SharedWait(); }
    void Repaint() override { events.push_back("repaint"); }
    void ProcessPendingEvents() override { events.push_back("events"); }
    void ShowMessage(const std::string& text) override {
        events.push_back("message");
        messages.push_back(text);
        stopOfferedAtMessage = stopOffered;
    }
    std::vector<std::string> errors;
    void ShowError(const std::string& text) override {
        events.push_back("error");
        errors.push_back(text);
    }
    bool ConfirmSendAgain(const std::string& question) override {
        events.push_back("question");
        questions.push_back(question);
        return questions.size() <= answers.size() && answers[questions.size() - 1];
    }
    void Close() override { events.push_back("close"); }
    // Answers "Envoyer les autres ventes" unless told otherwise.
    bool sendOthers = true;
    std::vector<std::string> photoLists;  // the lists asked about
    bool AskToSendOthers(const std::string&, const std::string& list) override {
        events.push_back("ask");
        photoLists.push_back(list);
        return sendOthers;
    }

    std::vector<std::string> amountsShown;
    bool stopOffered = false;
    bool stopOfferedAtMessage = true;
    int stopAfterSale = 0;
    int stopAsked = 0;
};

class RecordingRefreshView : public offrel::RefreshView {
public:
    std::vector<std::string> events;
    std::vector<std::string> messages;
    void Show() override { events.push_back("show"); }
    void Hide() override { events.push_back("hide"); }
    void SetStepText(const std::string& text) override { events.push_back("label " + text); }
    void StepProgress() override { events.push_back("step"); }
    void ShowDownload(std::uint64_t received, std::uint64_t total) override {
        downloads.emplace_back(received, total);
    }
    void Repaint() override { events.push_back("repaint"); }
    void ProcessPendingEvents() override { events.push_back("events"); }
    void ShowMessage(const std::string& text) override {
        events.push_back("message");
        messages.push_back(text);
    }
    void CloseMainWindow() override { events.push_back("close main"); }
    offrel::RequestWait& Waiting() override { return SharedWait(); }

    std::vector<std::pair<std::uint64_t, std::uint64_t>> downloads;
};
