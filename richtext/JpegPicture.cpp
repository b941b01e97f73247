#include "richtext/JpegPicture.h"

#include <QBuffer>
#include <QImageReader>
#include <QTextImageFormat>

namespace JpegPicture {

QByteArray bytesOf(const QTextImageFormat &format)
{
    const QByteArray bytes = format.property(kBytesProperty).toByteArray();
    return bytes.startsWith("\xFF\xD8\xFF") ? bytes : QByteArray();
}

void keep(QTextImageFormat &format, const QByteArray &jpeg)
{
    format.setProperty(kBytesProperty, jpeg);
}

QSize sizeOf(const QByteArray &jpeg)
{
    if (!jpeg.startsWith("\xFF\xD8\xFF"))
        return {};
    QByteArray copy = jpeg;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    const QSize size = reader.size();
    return size.isValid() && !size.isEmpty() ? size : QSize();
}

} // namespace JpegPicture
