#include "RtfPictureReader.h"

#include "RtfReader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

uint32_t u32(std::string_view d, size_t at)
{
    if (at + 4 > d.size())
        return 0;
    const auto *p = reinterpret_cast<const unsigned char *>(d.data() + at);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t u16(std::string_view d, size_t at)
{
    if (at + 2 > d.size())
        return 0;
    const auto *p = reinterpret_cast<const unsigned char *>(d.data() + at);
    return uint16_t(p[0] | p[1] << 8);
}

void put32(QByteArray &b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

} // namespace

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

QImage RtfPictureReader::imageOfDib(std::string_view dib, size_t headerAndPaletteSize)
{
    const uint32_t headerSize = u32(dib, 0);
    if (headerSize < 12 || headerSize > dib.size())
        return QImage();
    qint64 w, h;
    uint32_t bits, colors = 0, compression = 0;
    size_t entry = 4;
    if (headerSize == 12) { // BITMAPCOREHEADER
        w = u16(dib, 4);
        h = u16(dib, 6);
        bits = u16(dib, 10);
        entry = 3;
    } else {
        w = static_cast<int32_t>(u32(dib, 4));
        h = static_cast<int32_t>(u32(dib, 8));
        bits = u16(dib, 14);
        compression = u32(dib, 16);
        if (headerSize >= 36)
            colors = u32(dib, 32);
    }
    if (w <= 0 || h == 0 || w * std::abs(h) > kMaxImagePixels)
        return QImage();
    if (headerAndPaletteSize == 0) {
        if (colors == 0 && bits <= 8)
            colors = 1u << bits;
        if (colors > 256)
            return QImage();
        headerAndPaletteSize = headerSize + colors * entry;
        if (headerSize == 40 && (compression == 3 || compression == 6))
            headerAndPaletteSize += compression == 3 ? 12 : 16;
    }
    if (headerAndPaletteSize > dib.size())
        return QImage();
    QByteArray file("BM");
    put32(file, static_cast<uint32_t>(14 + dib.size()));
    put32(file, 0);
    put32(file, static_cast<uint32_t>(14 + headerAndPaletteSize));
    file.append(dib.data(), static_cast<qsizetype>(dib.size()));
    QImage image;
    image.loadFromData(file, "BMP");
    return image;
}

QImage RtfPictureReader::bitmapOfWmf(std::string_view wmf)
{
    size_t at = 0;
    if (u32(wmf, 0) == 0x9AC6CDD7u)
        at = 22; // placeable header
    const size_t headerWords = u16(wmf, at + 2);
    if (headerWords < 9)
        return QImage();
    at += headerWords * 2;
    std::string_view best;
    while (at + 6 <= wmf.size()) {
        const uint64_t words = u32(wmf, at);
        const uint16_t function = u16(wmf, at + 4);
        if (words < 3 || words * 2 > wmf.size() - at)
            break;
        const size_t size = static_cast<size_t>(words * 2);
        size_t dibAt = 0;
        switch (function) {
        case 0x0B41: dibAt = 26; break; // META_DIBSTRETCHBLT
        case 0x0F43: dibAt = 28; break; // META_STRETCHDIB
        case 0x0940: dibAt = 22; break; // META_DIBBITBLT
        case 0x0D33: dibAt = 24; break; // META_SETDIBTODEV
        default: break;
        }
        if (dibAt && dibAt + 40 <= size && size - dibAt > best.size())
            best = wmf.substr(at + dibAt, size - dibAt);
        if (function == 0)
            break; // META_EOF
        at += size;
    }
    return best.empty() ? QImage() : imageOfDib(best);
}

QImage RtfPictureReader::bitmapOfEmf(std::string_view emf)
{
    size_t at = 0;
    QImage best;
    qint64 bestArea = 0;
    while (at + 8 <= emf.size()) {
        const uint32_t type = u32(emf, at);
        const uint32_t size = u32(emf, at + 4);
        if (size < 8 || size > emf.size() - at)
            break;
        std::string_view record = emf.substr(at, size);
        size_t fields = 0;
        if (type == 81 || type == 80) // EMR_STRETCHDIBITS, EMR_SETDIBITSTODEVICE
            fields = 48;
        else if (type == 76 || type == 77) // EMR_BITBLT, EMR_STRETCHBLT
            fields = 84;
        if (fields && fields + 16 <= record.size()) {
            const uint32_t offBmi = u32(record, fields), cbBmi = u32(record, fields + 4);
            const uint32_t offBits = u32(record, fields + 8), cbBits = u32(record, fields + 12);
            if (cbBmi >= 12 && offBmi <= record.size() && cbBmi <= record.size() - offBmi
                && offBits <= record.size() && cbBits <= record.size() - offBits) {
                std::string dib(record.substr(offBmi, cbBmi));
                dib.append(record.substr(offBits, cbBits));
                QImage image = imageOfDib(dib, cbBmi);
                const qint64 area = qint64(image.width()) * image.height();
                if (area > bestArea) {
                    best = image;
                    bestArea = area;
                }
            }
        }
        if (type == 14) // EMR_EOF
            break;
        at += size;
    }
    return best;
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
    case Kind::Dib: image = imageOfDib(data); break;
    case Kind::Wmf: image = bitmapOfWmf(data); break;
    case Kind::Emf: image = bitmapOfEmf(data); break;
    case Kind::Unknown: break;
    }
    const QSize natural = sourceSize.isValid() ? sourceSize : image.size();
    const bool metafile = kind_ == Kind::Wmf || kind_ == Kind::Emf;
    auto naturalLength = [&](int given, int imageSize) -> double {
        if (given > 0)
            return metafile ? given * 96.0 / 2540.0 : given; // metafiles: HIMETRIC
        return imageSize > 0 ? imageSize : 32;
    };
    width = goalWidth_ > 0 ? goalWidth_ / RtfReader::kTwipsPerPixel : naturalLength(width_, natural.width());
    height = goalHeight_ > 0 ? goalHeight_ / RtfReader::kTwipsPerPixel : naturalLength(height_, natural.height());
    width = std::clamp(width * scaleX_ / 100.0, 1.0, double(kMaxPixels));
    height = std::clamp(height * scaleY_ / 100.0, 1.0, double(kMaxPixels));

    if (sourceSize.isValid()) {
        // Twice the displayed size keeps the picture sharp when zoomed; more only costs memory.
        const QSize wanted(static_cast<int>(std::ceil(width * 2)), static_cast<int>(std::ceil(height * 2)));
        if (sourceSize.width() > wanted.width() || sourceSize.height() > wanted.height())
            reader.setScaledSize(sourceSize.scaled(wanted, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
        const QSize decoded = reader.scaledSize().isValid() ? reader.scaledSize() : sourceSize;
        if (qint64(decoded.width()) * decoded.height() <= std::min(kMaxImagePixels, pixelBudget))
            image = reader.read();
    }
    const qint64 pixels = qint64(image.width()) * image.height();
    if (pixels > pixelBudget)
        image = QImage();
    else
        pixelBudget -= pixels;
    if (image.isNull()) {
        static const QImage blank = [] {
            QImage white(1, 1, QImage::Format_RGB32);
            white.fill(Qt::white);
            return white;
        }();
        image = blank; // shared by every blank box
    }
    return image;
}
