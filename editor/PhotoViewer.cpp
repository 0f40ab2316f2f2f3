#include "editor/PhotoViewer.h"

#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "base/Error.h"
#include "editor/PhotoPreview.h"
#include "gui/QtText.h"

PhotoViewer::PhotoViewer(std::vector<std::string> paths, int shown, QWidget* parent)
    : QDialog(parent),
      paths_(std::move(paths)),
      picture_(new QLabel(this)),
      caption_(new QLabel(this)) {
    picture_->setObjectName(QStringLiteral("ImagePhoto"));
    caption_->setObjectName(QStringLiteral("LabelTaillePhoto"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    picture_->setAlignment(Qt::AlignCenter);
    caption_->setAlignment(Qt::AlignCenter);
    layout->addWidget(picture_, 1);
    layout->addWidget(caption_);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, Qt::black);
    dark.setColor(QPalette::WindowText, Qt::white);
    setPalette(dark);
    setAutoFillBackground(true);
    setGeometry(screen()->availableGeometry());
    Show(shown);
}

void PhotoViewer::Show(int index) {
    shown_ = index;
    const std::string& path = paths_[static_cast<std::size_t>(index)];
    // The picture's box: the screen less the caption's line.
    const QSize box =
        screen()->availableGeometry().size() - QSize(0, caption_->sizeHint().height() + 4);
    try {
        const LargePhoto photo = LoadLargePhoto(FromW1252(path), box);
        picture_->setPixmap(QPixmap::fromImage(photo.picture));
        caption_->setText(photo.caption);
    } catch (const offrel::Error& error) {
        picture_->setPixmap(QPixmap());
        picture_->setText(FromW1252(error.what()));
        caption_->clear();
    }
    setWindowTitle(QStringLiteral("Photo %1 sur %2").arg(index + 1).arg(paths_.size()));
}

void PhotoViewer::keyPressEvent(QKeyEvent* event) {
    const int step = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
    if (step == 0 || event->modifiers() != Qt::NoModifier) {
        QDialog::keyPressEvent(event);  // Escape closes
        return;
    }
    const int next = shown_ + step;
    if (next >= 0 && next < static_cast<int>(paths_.size())) Show(next);
}
