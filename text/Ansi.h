#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

// Windows-1252, the byte code page of the mail model, the store and the INI file: bytes
// known to be in that code page read here. Whether text is written in it or in UTF-8 is
// decided in one place, StoredText.
namespace Ansi {

QString toQString(std::string_view bytes);
QString toQString(const QByteArray &bytes);
// Whether every character of the text has a Windows-1252 byte (fromQString keeps it).
bool canHold(const QString &text);
// Characters that Windows-1252 cannot hold become '?'.
std::string fromQString(const QString &text);

// A file name given as bytes (as the mail model stores it) as a path the OS can open.
QString fileNameToPath(std::string_view bytes);

} // namespace Ansi
