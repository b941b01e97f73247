#pragma once

// Pictures for tests: encoded image files, and the pictures a letter holds.
// Header only: the tests that include it link QtGui through the code they test.
#include <QBuffer>
#include <QImage>
#include <QList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFormat>

namespace TestPictures {

// An image of one colour, encoded in format ("PNG", "JPEG", "BMP").
inline QByteArray encoded(int w, int h, const char *format, QRgb color = qRgb(10, 120, 200))
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// The formats of the document's pictures, in reading order (outside tables).
inline QList<QTextImageFormat> in(const QTextDocument &doc)
{
    QList<QTextImageFormat> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                out.append(it.fragment().charFormat().toImageFormat());
    return out;
}

} // namespace TestPictures
