#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QLabel;

// A photo of the sale seen large: upright, fitted to the screen, with its size in pixels and in
// bytes under it. Left and Right go to the sale's other photos, Escape closes.
class PhotoViewer : public QDialog {
public:
    // paths: the sale's photos in slot order, Windows-1252 as stored; shown: the one to show.
    PhotoViewer(std::vector<std::string> paths, int shown, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Decodes the photo for the screen's box; one that cannot be shown says why in its place.
    void Show(int index);

    std::vector<std::string> paths_;
    int shown_ = 0;
    QLabel* picture_;
    QLabel* caption_;
};
