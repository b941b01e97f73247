#include "text/Ansi.h"

#include <array>

namespace {

// 0x80..0x9F of Windows-1252. The five unassigned codes map to the C1 control with the
// same number, so every byte round-trips.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t decodeByte(unsigned char b)
{
    if (b >= 0x80 && b < 0xA0)
        return kHigh[b - 0x80];
    return b;
}

// The byte of c, or -1 when the code page has none.
int byteOf(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == c)
            return static_cast<int>(0x80 + i);
    return -1;
}

char encodeChar(char16_t c)
{
    const int b = byteOf(c);
    return b < 0 ? '?' : static_cast<char>(b);
}

} // namespace

namespace Ansi {

QString toQString(std::string_view bytes)
{
    QString out;
    out.resize(static_cast<qsizetype>(bytes.size()));
    QChar *d = out.data();
    for (size_t i = 0; i < bytes.size(); ++i)
        d[i] = QChar(decodeByte(static_cast<unsigned char>(bytes[i])));
    return out;
}

QString toQString(const QByteArray &bytes)
{
    return toQString(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

bool canHold(const QString &text)
{
    for (const QChar c : text)
        if (c.isSurrogate() || byteOf(c.unicode()) < 0)
            return false;
    return true;
}

std::string fromQString(const QString &text)
{
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.push_back('?');
            ++i;
            continue;
        }
        out.push_back(encodeChar(c.unicode()));
    }
    return out;
}

QString fileNameToPath(std::string_view bytes)
{
    return toQString(bytes);
}

} // namespace Ansi
