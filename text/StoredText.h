#pragma once

#include <QString>
#include <string>
#include <string_view>

// Text kept as bytes without a charset beside it (the values of Config.dat, header text
// outside encoded words, the name on a uuencode "begin" line). Windows-1252 where that
// code page holds the text, so that such files stay as they always were; UTF-8 where it
// does not, so that no character is lost.
namespace StoredText {

// Windows-1252 bytes when every character has one, else UTF-8.
std::string fromQString(const QString &text);
// UTF-8 when the bytes are valid UTF-8 holding at least one multi-byte sequence, else
// Windows-1252 (which reads any bytes).
QString toQString(std::string_view bytes);
// Valid UTF-8 with at least one byte above 127.
bool isMultiByteUtf8(std::string_view bytes);

} // namespace StoredText
