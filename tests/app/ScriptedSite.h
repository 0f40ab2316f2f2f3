#pragma once

#include <QString>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A site on a loopback port, run on its own thread (the application blocks its thread while it
// waits for an answer). It answers "getOptions" and "getCategories" with the texts set, or with a
// raw response, and each "putVente" with the next scripted answer ("OK" when none is left),
// failure (a 500 status) or silence; it records every action. A silent "putVente" is read whole and
// never answered, as by a site that stored the sale and then lost the connection.
class ScriptedSite {
public:
    ScriptedSite();
    ~ScriptedSite();
    ScriptedSite(const ScriptedSite&) = delete;
    ScriptedSite& operator=(const ScriptedSite&) = delete;

    // The address for OFFREL_SERVER_URL.
    QString Url() const;
    // The address of a port on which nothing listens.
    static QString UnreachableUrl();

    void SetCatalogue(std::string options, std::string categories);
    // Answers every request of the action with these bytes as the whole HTTP response, as a
    // site that is down or broken would; an empty text closes the connection without a word.
    void SetRawResponse(const std::string& action, std::string response);
    void QueuePutVenteAnswer(std::string answer);
    void QueuePutVenteFailure();
    void QueueSilentPutVente();
    std::vector<std::string> Actions() const;
    // The "libelle" fields of the "putVente" requests, in order.
    std::vector<std::string> PutVenteTitles() const;

private:
    void Serve();
    // The whole HTTP response; none for a connection left silent.
    std::optional<std::string> Answer(const std::string& request);

    int port_ = 0;  // before listener_: its initialisation sets the port
    int listener_ = -1;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::map<std::string, std::string> answers_;
    std::map<std::string, std::string> rawResponses_;
    std::deque<std::optional<std::string>> putVenteAnswers_;
    std::vector<int> silent_;  // connections left unanswered, closed at the end
    std::vector<std::string> actions_;
    std::vector<std::string> titles_;
};
