#include "editor/PhotoPreview.h"

#include <QFileInfo>
#include <QImageReader>
#include <cerrno>
#include <cstdio>

#include "base/Error.h"
#include "base/Windows1252.h"
#include "gui/QtText.h"
#include "photo/JpegPreview.h"
#include "photo/PhotoCaption.h"

namespace {

[[noreturn]] void Fail(const char* pattern, std::initializer_list<std::string_view> args) {
    throw offrel::Error(offrel::FormatMessage(offrel::W(pattern), args));
}

// Qt's readers give no system reason, so the file is first opened here.
void CheckReadable(const QString& path) {
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file) {
        const int error = errno;
        Fail("Impossible d'ouvrir le fichier \"%s\". %s",
             {ToW1252(path), offrel::SystemReason(error)});
    }
    std::fclose(file);
}

// The image takes the decoded pixels over, without a copy.
QImage FromRgb(offrel::RgbImage&& rgb) {
    using Pixels = std::vector<std::uint8_t>;
    auto* pixels = new Pixels(std::move(rgb.pixels));
    return QImage(
        pixels->data(), rgb.width, rgb.height, rgb.width * 4, QImage::Format_RGB32,
        [](void* owned) { delete static_cast<Pixels*>(owned); }, pixels);
}

}  // namespace

bool HasJpegExtension(const QString& path) {
    const QString known = QFileInfo(path).suffix().toLower();
    return known == "jpg" || known == "jpeg";
}

QImage LoadPhotoPreview(const QString& path, QSize box) {
    const QString extension = QFileInfo(path).suffix();
    const QString known = extension.toLower();
    QImage image;
    if (HasJpegExtension(path)) {
        image = FromRgb(offrel::DecodeJpegPreview(ToW1252(path), box.width(), box.height()));
    } else if (known == "bmp" || known == "ico") {
        CheckReadable(path);
        QImageReader reader(path, known.toLatin1());
        image = reader.read();
        if (image.isNull()) {
            Fail("Le fichier \"%s\" n'est pas une image lisible (%s)",
                 {ToW1252(path), ToW1252(reader.errorString())});
        }
    } else if (known == "emf" || known == "wmf") {
        CheckReadable(path);
        Fail("Format d'image non pris en charge (.%s)", {ToW1252(extension)});
    } else {
        Fail("Extension de fichier image inconnue (.%s)", {ToW1252(extension)});
    }
    const offrel::PictureSize fit =
        offrel::FitInBox({image.width(), image.height()}, {box.width(), box.height()});
    const QSize fitted(fit.width, fit.height);
    if (fitted == image.size()) return image;
    // The picture was decoded at a scale of at least the fitted size: a smooth final step.
    return image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

LargePhoto LoadLargePhoto(const QString& path, QSize box) {
    if (HasJpegExtension(path)) {
        offrel::ShownPhoto photo =
            offrel::DecodeJpegToBox(ToW1252(path), box.width(), box.height());
        return {FromRgb(std::move(photo.picture)),
                FromW1252(offrel::PhotoSizeCaption(photo.upright, photo.bytes))};
    }
    QImage picture = LoadPhotoPreview(path, box);
    const QSize size = QImageReader(path).size();
    const auto bytes = static_cast<std::uint64_t>(QFileInfo(path).size());
    return {std::move(picture),
            FromW1252(offrel::PhotoSizeCaption({size.width(), size.height()}, bytes))};
}
