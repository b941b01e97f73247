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
    m_data.reserve(m_data.size() + text.size() / 2);
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
        if (m_nibble < 0) {
            m_nibble = v;
        } else {
            m_data.push_back(static_cast<char>(m_nibble << 4 | v));
            m_nibble = -1;
        }
    }
}

void RtfPictureReader::addBinary(std::string_view bytes)
{
    m_data.append(bytes);
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
    const std::string_view data(m_data);
    const QByteArray bytes = QByteArray::fromRawData(data.data(), static_cast<qsizetype>(data.size()));
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader;
    QSize sourceSize; // of a PNG or JPEG, from its header, before decoding
    switch (m_kind) {
    case Kind::Png:
    case Kind::Jpeg:
        buffer.open(QIODevice::ReadOnly);
        reader.setDevice(&buffer);
        reader.setFormat(m_kind == Kind::Png ? "png" : "jpeg");
        sourceSize = reader.size();
        break;
    case Kind::Dib: image = DibImage::decode(data); break;
    case Kind::Wmf: case Kind::Emf: case Kind::Unknown: break;
    }
    const bool metafile = m_kind == Kind::Wmf || m_kind == Kind::Emf;
    const MetafileRenderer::Format format = m_kind == Kind::Emf ? MetafileRenderer::Format::Emf : MetafileRenderer::Format::Wmf;
    const QSizeF natural = sourceSize.isValid() ? QSizeF(sourceSize)
                           : metafile         ? MetafileRenderer::naturalSize(data, format)
                                              : QSizeF(image.size());
    auto naturalLength = [&](int given, double imageSize) -> double {
        if (given > 0)
            return metafile ? given * 96.0 / 2540.0 : given; // metafiles: HIMETRIC
        return imageSize > 0 ? imageSize : 32;
    };
    width = m_goalWidth > 0 ? m_goalWidth / RtfReader::kTwipsPerPixel : naturalLength(m_width, natural.width());
    height = m_goalHeight > 0 ? m_goalHeight / RtfReader::kTwipsPerPixel : naturalLength(m_height, natural.height());
    width = std::clamp(width * m_scaleX / 100.0, 1.0, double(kMaxPixels));
    height = std::clamp(height * m_scaleY / 100.0, 1.0, double(kMaxPixels));

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
            image = MetafileRenderer::placeholder(shown, label(m_kind));
        } else {
            // Past the budget every picture of a kind shares one small stand-in.
            static QHash<int, QImage> small;
            QImage &shared = small[static_cast<int>(m_kind)];
            if (shared.isNull())
                shared = MetafileRenderer::placeholder(QSize(120, 40), label(m_kind));
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
    if (m_kind != Kind::Jpeg)
        return {};
    const QByteArray bytes(m_data.data(), static_cast<qsizetype>(m_data.size()));
    return JpegPicture::sizeOf(bytes).isValid() ? bytes : QByteArray();
}
