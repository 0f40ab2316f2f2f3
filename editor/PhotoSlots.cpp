#include "editor/PhotoSlots.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>

#include "gui/ErrorReport.h"

namespace {

const QString kSlotType = QStringLiteral("application/x-offrel-photo-slot");

// The slot a drag of ours carries; 0 for any other drag (files, text).
int DraggedSlot(const QMimeData* data) {
    if (!data || !data->hasFormat(kSlotType)) return 0;
    const int slot = data->data(kSlotType).toInt();
    return slot >= 1 && slot <= 8 ? slot : 0;
}

}  // namespace

PhotoSlots::PhotoSlots(const std::array<QLabel*, 8>& previews, HasPhoto hasPhoto, Moved moved,
                       Opened opened, QObject* parent)
    : QObject(parent),
      previews_(previews),
      hasPhoto_(std::move(hasPhoto)),
      moved_(std::move(moved)),
      opened_(std::move(opened)) {
    for (QLabel* preview : previews_) {
        preview->setAcceptDrops(true);
        preview->setFocusPolicy(Qt::StrongFocus);
        // A focused preview shows it, since the keys act on it.
        preview->setStyleSheet(
            QStringLiteral("QLabel:focus { border: 1px dashed palette(highlight); }"));
        preview->installEventFilter(this);
    }
}

QMimeData* PhotoSlots::DragData(int slot) {
    auto* data = new QMimeData;
    data->setData(kSlotType, QByteArray::number(slot));
    return data;
}

int PhotoSlots::SlotOf(QObject* watched) const {
    for (int slot = 1; slot <= 8; ++slot)
        if (previews_[slot - 1] == watched) return slot;
    return 0;
}

bool PhotoSlots::eventFilter(QObject* watched, QEvent* event) {
    const int slot = SlotOf(watched);
    if (slot == 0) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* press = static_cast<QMouseEvent*>(event);
            pressedSlot_ = press->button() == Qt::LeftButton ? slot : 0;
            pressedAt_ = press->position().toPoint();
            return false;
        }
        case QEvent::MouseMove: {
            auto* move = static_cast<QMouseEvent*>(event);
            if (pressedSlot_ == slot && (move->buttons() & Qt::LeftButton) &&
                (move->position().toPoint() - pressedAt_).manhattanLength() >=
                    QApplication::startDragDistance()) {
                pressedSlot_ = 0;
                if (hasPhoto_(slot)) StartDrag(slot);
                return true;
            }
            return false;
        }
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton || !hasPhoto_(slot))
                return false;
            RunReportingErrors([&] { opened_(slot); });
            return true;
        case QEvent::KeyPress:
            return KeyPressed(slot, event);
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            const int from = DraggedSlot(drag->mimeData());
            if (from == 0) return false;  // files go on to the page
            drag->setDropAction(Qt::MoveAction);
            drag->setAccepted(from != slot);
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const int from = DraggedSlot(drop->mimeData());
            if (from == 0) return false;
            drop->setDropAction(Qt::MoveAction);
            drop->accept();
            if (from != slot && hasPhoto_(from)) RunReportingErrors([&] { moved_(from, slot); });
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}

bool PhotoSlots::KeyPressed(int slot, QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool control = key->modifiers() == Qt::ControlModifier;
    if (key->modifiers() == Qt::NoModifier &&
        (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        if (hasPhoto_(slot)) RunReportingErrors([&] { opened_(slot); });
        return true;
    }
    if (!control || (key->key() != Qt::Key_Left && key->key() != Qt::Key_Right)) return false;
    const int to = key->key() == Qt::Key_Left ? slot - 1 : slot + 1;
    if (to < 1 || to > 8 || !hasPhoto_(slot)) return true;
    RunReportingErrors([&] { moved_(slot, to); });
    // The focus goes with the photo, so that the keys go on moving it.
    previews_[to - 1]->setFocus(Qt::OtherFocusReason);
    return true;
}

void PhotoSlots::StartDrag(int slot) {
    QLabel* preview = previews_[slot - 1];
    auto* drag = new QDrag(preview);
    drag->setMimeData(DragData(slot));
    drag->setPixmap(preview->pixmap());
    drag->setHotSpot(pressedAt_);
    drag->exec(Qt::MoveAction);
}
