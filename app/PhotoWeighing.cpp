#include "app/PhotoWeighing.h"

#include "server/PhotoWeights.h"

PhotoWeighing::~PhotoWeighing() {
    Stop();
}

void PhotoWeighing::Start(std::vector<std::string> paths, bool reduced) {
    Stop();
    const int weighing = ++weighing_;
    // Called on the worker's thread: the figure is handed to this object's thread, where a
    // figure of a weighing since stopped, still waiting in the queue, is dropped.
    const auto hand = [this, weighing](std::uint64_t bytes, qint64 light) {
        QMetaObject::invokeMethod(
            this,
            [this, weighing, bytes, light] {
                if (weighing == weighing_) emit Weighed(bytes, light);
            },
            Qt::QueuedConnection);
    };
    worker_ = std::jthread([hand, paths = std::move(paths), reduced](const std::stop_token& stop) {
        const std::uint64_t bytes = offrel::PhotoBytes(paths);
        hand(bytes, -1);
        if (!reduced) return;
        if (const auto light = offrel::ReducedPhotoBytes(paths, stop))
            hand(bytes, static_cast<qint64>(*light));
    });
}

void PhotoWeighing::Stop() {
    ++weighing_;
    worker_ = std::jthread();
}
