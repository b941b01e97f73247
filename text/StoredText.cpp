#include "text/StoredText.h"

#include "text/Ansi.h"

#include <QStringDecoder>

namespace StoredText {

std::optional<std::string> windows1252(const QString &text)
{
    if (!Ansi::canHold(text))
        return std::nullopt;
    return Ansi::fromQString(text);
}

std::string fromQString(const QString &text)
{
    std::optional<std::string> bytes = windows1252(text);
    return bytes ? std::move(*bytes) : text.toStdString();
}

bool isMultiByteUtf8(std::string_view bytes)
{
    bool high = false;
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) {
            high = true;
            break;
        }
    if (!high)
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return !utf8.hasError();
}

QString toQString(std::string_view bytes, bool *readUtf8)
{
    const bool utf8 = isMultiByteUtf8(bytes);
    if (readUtf8)
        *readUtf8 = utf8;
    if (utf8)
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return Ansi::toQString(bytes);
}

} // namespace StoredText
