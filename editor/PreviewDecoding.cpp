#include "editor/PreviewDecoding.h"

#include <QThreadPool>
#include <mutex>
#include <new>

#include "base/Error.h"
#include "editor/PhotoPreview.h"
#include "gui/QtText.h"

// The receiver, while it lives: a worker posts to it under the lock, and the receiver's end
// takes it away under the same lock, so that nothing is posted to a receiver being destroyed.
// Results already posted go with the receiver's event queue.
struct PreviewDecoding::Mailbox {
    std::mutex lock;
    PreviewDecoding* receiver = nullptr;

    bool Open() {
        const std::lock_guard held(lock);
        return receiver != nullptr;
    }
};

PreviewDecoding::PreviewDecoding(QObject* parent)
    : QObject(parent), mailbox_(std::make_shared<Mailbox>()) {
    mailbox_->receiver = this;
}

PreviewDecoding::~PreviewDecoding() {
    const std::lock_guard held(mailbox_->lock);
    mailbox_->receiver = nullptr;
}

QThreadPool& PreviewDecoding::Workers() {
    static QThreadPool* const workers = [] {
        // Never destroyed: a worker may still be decoding for a window closed when the
        // program ends, and the process's end stops it.
        auto* pool = new QThreadPool;
        pool->setMaxThreadCount(2);
        return pool;
    }();
    return *workers;
}

std::uint64_t PreviewDecoding::Start(const std::string& path, QSize box) {
    const std::uint64_t ticket = ++lastTicket_;
    ++pending_;
    Workers().start([mailbox = mailbox_, ticket, path, box] {
        // A window closed before its turn came wants nothing any more.
        if (!mailbox->Open()) return;
        QImage image;
        QString failure;
        try {
            image = LoadPhotoPreview(FromW1252(path), box);
        } catch (const offrel::Error& error) {
            failure = FromW1252(error.what());
        } catch (const std::bad_alloc&) {
            failure = QStringLiteral("La mémoire manque pour afficher la photo « %1 ».")
                          .arg(FromW1252(path));
        }
        const std::lock_guard held(mailbox->lock);
        PreviewDecoding* receiver = mailbox->receiver;
        if (!receiver) return;
        QMetaObject::invokeMethod(
            receiver,
            [receiver, ticket, image = std::move(image), failure = std::move(failure)] {
                --receiver->pending_;
                emit receiver->Decoded(ticket, image, failure);
            },
            Qt::QueuedConnection);
    });
    return ticket;
}
