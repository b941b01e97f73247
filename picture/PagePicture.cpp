#include "picture/PagePicture.h"

#include <algorithm>
#include <cmath>

namespace PagePicture {

Format formatOf(std::string_view bytes)
{
    static constexpr std::string_view signature("\x89PNG\r\n\x1a\n", 8);
    return bytes.substr(0, signature.size()) == signature ? Format::Png : Format::Jpeg;
}

const char *extension(Format format)
{
    return format == Format::Png ? "png" : "jpg";
}

const char *mimeType(Format format)
{
    return format == Format::Png ? "image/png" : "image/jpeg";
}

std::string fileName(int page, std::string_view bytes)
{
    return std::to_string(page) + "." + extension(formatOf(bytes));
}

QString fileNameText(int page, std::string_view bytes)
{
    return QString::fromStdString(fileName(page, bytes));
}

QImage decode(const QByteArray &bytes)
{
    QImage image;
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (!image.loadFromData(bytes, formatOf(view) == Format::Png ? "PNG" : "JPEG"))
        return {};
    // Pages come at 96 dpi times a whole ratio; anything else (no density) reads as 1x.
    const double dpi = image.dotsPerMeterX() * 0.0254;
    image.setDevicePixelRatio(std::clamp<double>(std::round(dpi / 96.0), 1.0, 4.0));
    return image;
}

} // namespace PagePicture
