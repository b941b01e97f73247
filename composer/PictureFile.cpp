#include "composer/PictureFile.h"

#include "composer/PastedPictures.h"
#include "config/ConfigSettings.h"
#include "richtext/JpegPicture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTextCursor>
#include <QTextImageFormat>
#include <QUrl>
#include <algorithm>

namespace PictureFile {

namespace {

const char *const kFormats[] = {"png", "jpeg", "gif", "bmp", "svg"};

QByteArray formatOfDevice(QIODevice *device)
{
    QByteArray format = QImageReader::imageFormat(device).toLower();
    if (format == "jpg")
        format = "jpeg";
    if (format == "svgz")
        format = "svg";
    for (const char *known : kFormats) {
        if (format == known)
            return format;
    }
    return {};
}

} // namespace

QString dialogFilter()
{
    return QStringLiteral("Pictures (*.png;*.jpg;*.jpeg;*.gif;*.bmp;*.svg)|*.png;*.jpg;*.jpeg;*.gif;*.bmp;*.svg|"
                          "All Files (*.*)|*.*");
}

QByteArray formatOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return formatOfDevice(&file);
}

Picture read(const QString &path)
{
    Picture picture;
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        picture.error = QStringLiteral("Cannot open file \"%1\"").arg(shown);
        return picture;
    }
    if (file.size() > kMaxFileBytes) {
        picture.error = QStringLiteral("The picture \"%1\" is too large (more than %2 MB).")
                            .arg(shown)
                            .arg(kMaxFileBytes / (1024 * 1024));
        return picture;
    }
    QByteArray bytes = file.readAll();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = formatOfDevice(&buffer);
    buffer.close();
    if (!format.isEmpty())
        picture.image = PastedPictures::read(bytes);
    if (picture.image.isNull()) {
        picture.error = QStringLiteral("\"%1\" is no picture that can be inserted (PNG, JPEG, GIF, BMP or SVG).")
                            .arg(shown);
        return picture;
    }
    // Also when the shown image was capped: the letter keeps the photograph as it was taken.
    if (format == "jpeg" && JpegPicture::sizeOf(bytes).isValid())
        picture.jpeg = bytes;
    return picture;
}

int textWidth(const ConfigSettings &settings)
{
    // 64-bit in between: the settings are hand-editable numbers.
    const long long width = static_cast<long long>(settings.PIC_W) - settings.PIC_ML - settings.PIC_MR;
    return static_cast<int>(std::clamp<long long>(width, 1, PastedPictures::kMaxSide));
}

QSizeF shownSize(const QSize &pixels, int textWidth)
{
    if (pixels.isEmpty())
        return {};
    if (textWidth <= 0 || pixels.width() <= textWidth)
        return QSizeF(pixels);
    return QSizeF(textWidth, std::max(1.0, double(pixels.height()) * textWidth / pixels.width()));
}

void insert(QTextCursor &cursor, const Picture &picture, int textWidth)
{
    if (picture.image.isNull())
        return;
    QTextImageFormat format;
    format.setName(PastedPictures::add(picture.image, cursor.document()));
    const QSizeF size = shownSize(picture.image.size(), textWidth);
    format.setWidth(size.width());
    format.setHeight(size.height());
    if (!picture.jpeg.isEmpty())
        JpegPicture::keep(format, picture.jpeg);
    cursor.beginEditBlock();
    cursor.insertImage(format);
    cursor.endEditBlock();
}

Dropped sort(const QList<QUrl> &urls)
{
    Dropped dropped;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (!QFileInfo(path).isFile())
            continue;
        (formatOf(path).isEmpty() ? dropped.others : dropped.pictures).append(path);
    }
    return dropped;
}

} // namespace PictureFile
