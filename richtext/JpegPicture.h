#pragma once

#include <QByteArray>
#include <QSize>
#include <QTextFormat>

class QTextImageFormat;

// A picture that came from a JPEG file keeps that file beside its decoded image, in its
// image format, so that saving writes the same bytes again (\jpegblip) instead of a PNG
// many times larger. The bytes travel with the format through copies and undo.
namespace JpegPicture {

constexpr int kBytesProperty = QTextFormat::UserProperty + 0x5210;

// The JPEG file of a picture; empty when it has none or the bytes are no JPEG.
QByteArray bytesOf(const QTextImageFormat &format);
void keep(QTextImageFormat &format, const QByteArray &jpeg);

// The pixel size in a JPEG's header (nothing is decoded); invalid when it is no JPEG.
QSize sizeOf(const QByteArray &jpeg);

} // namespace JpegPicture
