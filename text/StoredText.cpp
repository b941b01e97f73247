#include "text/StoredText.h"

#include "text/Ansi.h"

#include <QStringDecoder>

namespace StoredText {

std::string fromQString(const QString &text)
{
    if (Ansi::canHold(text))
        return Ansi::fromQString(text);
    return text.toStdString();
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

QString toQString(std::string_view bytes)
{
    if (isMultiByteUtf8(bytes))
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return Ansi::toQString(bytes);
}

} // namespace StoredText
