#include "config/NumberRange.h"

#include "config/IniFile.h"

int NumberRange::valueOf(const QString &text) const
{
    // The boxes accept only digits, signs and the decimal separator, so the text is ASCII;
    // anything else simply fails to parse.
    const QByteArray bytes = text.toLatin1();
    bool ok = false;
    const int value = IniFile::parseInteger(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), &ok);
    return ok ? value : min;
}
