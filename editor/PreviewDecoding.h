#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>

class QThreadPool;

// Decodes photo previews off the window's thread and hands each result back to it through its
// event queue, so that a window opens at once and fills its previews in as they come. Closing
// waits for nothing: a decode already running finishes on its worker and its result is dropped,
// and those still queued are passed over.
class PreviewDecoding : public QObject {
    Q_OBJECT

public:
    explicit PreviewDecoding(QObject* parent);
    ~PreviewDecoding() override;

    // Starts decoding the photo at path (Windows-1252, as stored) to fit box; Decoded comes later
    // with the number returned, never 0.
    std::uint64_t Start(const std::string& path, QSize box);
    // No result is still to come.
    bool Idle() const { return pending_ == 0; }

    // The workers every window shares: two at most, so that memory stays bounded by two
    // decodes whatever the photos.
    static QThreadPool& Workers();

signals:
    // failure: the French message of a photo that cannot be shown; image is then null.
    void Decoded(quint64 ticket, const QImage& image, const QString& failure);

private:
    struct Mailbox;
    std::shared_ptr<Mailbox> mailbox_;  // shared with the workers, which may outlive this
    std::uint64_t lastTicket_ = 0;
    int pending_ = 0;
};
