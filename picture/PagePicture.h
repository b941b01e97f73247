#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <string>
#include <string_view>

// The two formats a page picture is sent in, recognised by the picture's first bytes, and
// what the mail, the file names and the preview call each.
namespace PagePicture {

enum class Format {
    Jpeg,
    Png,
};

// PNG when the bytes begin with PNG's signature, JPEG otherwise.
Format formatOf(std::string_view bytes);
// "jpg" or "png".
const char *extension(Format format);
// "image/jpeg" or "image/png".
const char *mimeType(Format format);
// The file name of page n in the mail and on disk: "1.jpg", "2.png", ...
std::string fileName(int page, std::string_view bytes);
QString fileNameText(int page, std::string_view bytes);

// The picture decoded, its device pixel ratio set from the resolution it states (2 for a
// sharp page at 192 dpi, 1 for 96 dpi or none): deviceIndependentSize() is the page's
// size. A null image when the bytes are no picture.
QImage decode(const QByteArray &bytes);

} // namespace PagePicture
