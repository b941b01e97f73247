#include "richtext/reading/RtfPictureReader.h"

#include "richtext/JpegPicture.h"
#include "richtext/metafile/DibImage.h"
#include "richtext/metafile/MetafileCache.h"
#include "richtext/metafile/MetafileRenderer.h"
#include "richtext/reading/RtfReader.h"

#include <QBuffer>
#include <QHash>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

int RtfPictureReader::clampSize(int v)
{
    return std::clamp(v, 0, 1000000);
}

int RtfPictureReader::clampScale(int v)
{
    return v <= 0 ? 100 : std::min(v, 10000);
}

void RtfPictureReader::reset()
{
    *this = RtfPictureReader();
}

void RtfPictureReader::addHex(std::string_view text)
{
    data_.reserve(data_.size() + text.size() / 2);
    for (const char ch : text) {
        int v;
        if (ch >= '0' && ch <= '9')
            v = ch - '0';
        else if (ch >= 'a' && ch <= 'f')
            v = ch - 'a' + 10;
        else if (ch >= 'A' && ch <= 'F')
            v = ch - 'A' + 10;
        else
            continue;
        if (nibble_ < 0) {
            nibble_ = v;
        } else {
            data_.push_back(static_cast<char>(nibble_ << 4 | v));
            nibble_ = -1;
        }
    }
}

void RtfPictureReader::addBinary(std::string_view bytes)
{
    data_.append(bytes);
}

QString RtfPictureReader::label(Kind kind)
{
    switch (kind) {
    case Kind::Png: return QStringLiteral("PNG picture");
    case Kind::Jpeg: return QStringLiteral("JPEG picture");
    case Kind::Dib: return QStringLiteral("Bitmap picture");
    case Kind::Wmf: return QStringLiteral("WMF picture");
    case Kind::Emf: return QStringLiteral("EMF picture");
    case Kind::Unknown: break;
    }
    return QStringLiteral("Picture");
}

QImage RtfPictureReader::image(double &width, double &height, qint64 &pixelBudget) const
{
    QImage image;
    const std::string_view data(data_);
    const QByteArray bytes = QByteArray::fromRawData(data.data(), static_cast<qsizetype>(data.size()));
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader;
    QSize sourceSize; // of a PNG or JPEG, from its header, before decoding
    switch (kind_) {
    case Kind::Png:
    case Kind::Jpeg:
        buffer.open(QIODevice::ReadOnly);
        reader.setDevice(&buffer);
        reader.setFormat(kind_ == Kind::Png ? "png" : "jpeg");
        sourceSize = reader.size();
        break;
    case Kind::Dib: image = DibImage::decode(data); break;
    case Kind::Wmf: case Kind::Emf: case Kind::Unknown: break;
    }
    const bool metafile = kind_ == Kind::Wmf || kind_ == Kind::Emf;
    const MetafileRenderer::Format format = kind_ == Kind::Emf ? MetafileRenderer::Format::Emf : MetafileRenderer::Format::Wmf;
    const QSizeF natural = sourceSize.isValid() ? QSizeF(sourceSize)
                           : metafile         ? MetafileRenderer::naturalSize(data, format)
                                              : QSizeF(image.size());
    auto naturalLength = [&](int given, double imageSize) -> double {
        if (given > 0)
            return metafile ? given * 96.0 / 2540.0 : given; // metafiles: HIMETRIC
        return imageSize > 0 ? imageSize : 32;
    };
    width = goalWidth_ > 0 ? goalWidth_ / RtfReader::kTwipsPerPixel : naturalLength(width_, natural.width());
    height = goalHeight_ > 0 ? goalHeight_ / RtfReader::kTwipsPerPixel : naturalLength(height_, natural.height());
    width = std::clamp(width * scaleX_ / 100.0, 1.0, double(kMaxPixels));
    height = std::clamp(height * scaleY_ / 100.0, 1.0, double(kMaxPixels));

    if (sourceSize.isValid()) {
        const QSize kept = keptSize(sourceSize, QSizeF(width, height));
        if (kept != sourceSize)
            reader.setScaledSize(kept);
        const QSize decoded = reader.scaledSize().isValid() ? reader.scaledSize() : sourceSize;
        if (qint64(decoded.width()) * decoded.height() <= std::min(kMaxImagePixels, pixelBudget))
            image = reader.read();
    }
    if (metafile) {
        // Drawn at twice the displayed size where the budget allows, else at that size.
        for (const double scale : {2.0, 1.0}) {
            const QSize size(static_cast<int>(std::ceil(width * scale)), static_cast<int>(std::ceil(height * scale)));
            if (qint64(size.width()) * size.height() <= std::min(MetafileRenderer::kMaxPixels, pixelBudget)) {
                // The same picture again (in this letter or one read before) is not played again.
                image = MetafileCache::render(data, format, size, QSizeF(width, height));
                break;
            }
        }
    }
    const qint64 pixels = qint64(image.width()) * image.height();
    if (pixels > pixelBudget)
        image = QImage();
    if (image.isNull()) {
        const QSize shown(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
        if (qint64(shown.width()) * shown.height() <= pixelBudget) {
            image = MetafileRenderer::placeholder(shown, label(kind_));
        } else {
            // Past the budget every picture of a kind shares one small stand-in.
            static QHash<int, QImage> small;
            QImage &shared = small[static_cast<int>(kind_)];
            if (shared.isNull())
                shared = MetafileRenderer::placeholder(QSize(120, 40), label(kind_));
            image = shared;
            return image;
        }
    }
    pixelBudget -= qint64(image.width()) * image.height();
    return image;
}

QSize RtfPictureReader::keptSize(const QSize &pixels, const QSizeF &shown)
{
    // Twice the displayed size keeps the picture sharp when zoomed; more only costs memory.
    const QSize wanted(static_cast<int>(std::ceil(shown.width() * 2)), static_cast<int>(std::ceil(shown.height() * 2)));
    if (pixels.width() <= wanted.width() && pixels.height() <= wanted.height())
        return pixels;
    return pixels.scaled(wanted, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QByteArray RtfPictureReader::jpegBytes() const
{
    if (kind_ != Kind::Jpeg)
        return {};
    const QByteArray bytes(data_.data(), static_cast<qsizetype>(data_.size()));
    return JpegPicture::sizeOf(bytes).isValid() ? bytes : QByteArray();
}
