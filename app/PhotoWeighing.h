#pragma once

#include <QObject>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

// Weighs a batch's photos on a thread of its own, so that the send window opens at once: first
// the files as they are, then, when asked, as they would go reduced, which decodes every large
// photo. Each figure reaches the window's thread through its event queue. A new weighing, Stop()
// or the end of this object stops the one running after its current photo.
class PhotoWeighing : public QObject {
    Q_OBJECT

public:
    PhotoWeighing() = default;
    ~PhotoWeighing() override;

    // Weighs the photos at paths (Windows-1252, as stored); reduced: their reduced weight too.
    void Start(std::vector<std::string> paths, bool reduced);
    void Stop();

signals:
    // reduced: -1 while it is not known.
    void Weighed(quint64 bytes, qint64 reduced);

private:
    int weighing_ = 0;     // the number of the latest weighing; read on this object's thread
    std::jthread worker_;  // last: stopped before the rest goes
};
