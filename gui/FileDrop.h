#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QDropEvent;
class QWidget;

// Files dropped from the file manager onto a widget (for a list or a table, its viewport). A drag
// of local files that `accepts` takes shows as a drop there; the drop hands their paths, in the
// drag's order, to `dropped`, behind the error box's guard. Any other drag goes on to the widget.
class FileDrop : public QObject {
public:
    using Accepts = std::function<bool(const QStringList& paths)>;
    using Dropped = std::function<void(const QStringList& paths)>;

    // Owned by target.
    FileDrop(QWidget* target, Accepts accepts, Dropped dropped);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The local files of a drag that accepts takes, the drag accepted as a copy; none otherwise.
    QStringList Take(QDropEvent* drag) const;

    Accepts accepts_;
    Dropped dropped_;
};
