#pragma once

#include <QObject>
#include <QPoint>
#include <array>
#include <functional>

class QLabel;
class QMimeData;

// The eight previews of page 4 as the seller handles them: a preview dragged onto another, or a
// focused one with Ctrl+Left / Ctrl+Right, moves its photo; a double click, or Return on a
// focused one, opens it large. Only slots that hold a photo move or open; the handlers run
// behind the error box's guard.
class PhotoSlots : public QObject {
public:
    using HasPhoto = std::function<bool(int slot)>;
    using Moved = std::function<void(int from, int to)>;
    using Opened = std::function<void(int slot)>;

    // Owned by parent; previews in slot order.
    PhotoSlots(const std::array<QLabel*, 8>& previews, HasPhoto hasPhoto, Moved moved,
               Opened opened, QObject* parent);

    // What a preview's drag carries: its slot, which only these previews read.
    static QMimeData* DragData(int slot);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int SlotOf(QObject* watched) const;  // 0 when not a preview
    bool KeyPressed(int slot, QEvent* event);
    void StartDrag(int slot);

    std::array<QLabel*, 8> previews_;
    HasPhoto hasPhoto_;
    Moved moved_;
    Opened opened_;
    QPoint pressedAt_;
    int pressedSlot_ = 0;
};
