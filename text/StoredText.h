#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

// The one rule by which the program turns text into bytes where no charset label travels
// with them (the values of Config.dat and the address book, header text outside encoded
// words, a file name given as bytes, the name on a uuencode "begin" line, a text body):
//
//   - Windows-1252 when that code page holds every character of the text, so that such
//     files and mails stay byte for byte as they always were;
//   - UTF-8 otherwise, so that no character is lost.
//
// Reading bytes back: valid UTF-8 holding at least one multi-byte sequence reads as UTF-8,
// any other bytes as Windows-1252 (which reads every byte).
//
// Ansi is the Windows-1252 code page itself, for bytes known to be in it. MailText builds
// the mail's labelled forms (encoded words, charset parameters) on top of this rule: where
// it writes Windows-1252 it asks windows1252() here.
namespace StoredText {

// The Windows-1252 bytes of the text when the code page holds every character, else
// nothing: the point where the rule decides.
std::optional<std::string> windows1252(const QString &text);
// The rule: Windows-1252 bytes when every character has one, else UTF-8.
std::string fromQString(const QString &text);
// UTF-8 when the bytes are valid UTF-8 holding at least one multi-byte sequence, else
// Windows-1252; *readUtf8 tells which.
QString toQString(std::string_view bytes, bool *readUtf8 = nullptr);
// Valid UTF-8 with at least one byte above 127.
bool isMultiByteUtf8(std::string_view bytes);

} // namespace StoredText
