#include "gui/FileDrop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "gui/ErrorReport.h"

namespace {

// The local files of a drag; none when anything in it is not one.
QStringList LocalFiles(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) return {};
        paths.append(url.toLocalFile());
    }
    return paths;
}

}  // namespace

FileDrop::FileDrop(QWidget* target, Accepts accepts, Dropped dropped)
    : QObject(target), accepts_(std::move(accepts)), dropped_(std::move(dropped)) {
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

QStringList FileDrop::Take(QDropEvent* drag) const {
    QStringList paths = LocalFiles(drag->mimeData());
    if (paths.isEmpty() || !accepts_(paths)) return {};
    drag->setDropAction(Qt::CopyAction);
    drag->accept();
    return paths;
}

bool FileDrop::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop: {
            const QStringList paths = Take(static_cast<QDropEvent*>(event));
            if (paths.isEmpty()) return QObject::eventFilter(watched, event);
            if (event->type() == QEvent::Drop) RunReportingErrors([&] { dropped_(paths); });
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}
