#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// The extension of a JPEG photo, whatever its case: .jpg or .jpeg.
bool HasJpegExtension(const QString& path);

// The picture of a photo slot, scaled down with its proportions to fit the box (never scaled
// up). The extension, whatever its case, selects the decoder: jpg and jpeg through the JPEG
// decoder, bmp and ico through Qt's readers; emf and wmf are known but have no decoder here.
// Throws offrel::Error with the French message the seller reads.
QImage LoadPhotoPreview(const QString& path, QSize box);

// A photo for the large view: as LoadPhotoPreview gives it in the box, with its caption
// "4032 × 3024 pixels — 3,8 Mo" (the whole photo, upright).
struct LargePhoto {
    QImage picture;
    QString caption;
};
LargePhoto LoadLargePhoto(const QString& path, QSize box);
