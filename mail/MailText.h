#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Where the mail model's bytes meet QString. Reading: header text with encoded words in
// their charsets, parameters that name a charset, and text bodies in the charset of
// their part; a charset this machine does not know reads as Windows-1252. Writing: text
// that Windows-1252 holds keeps the bytes and labels the mail model always wrote; any
// other text is written as UTF-8 encoded words, so that nothing typed is lost. Which of
// the two a text gets is StoredText's rule (StoredText::windows1252).
namespace MailText {

// ---- reading
// Bytes in a charset named by a mail ("iso-8859-1", "gb2312", "UTF-8*en", ...). ISO-8859-1
// and US-ASCII read as Windows-1252 (what their writers mean by them); no charset means
// UTF-8 when the bytes are valid multi-byte UTF-8, else Windows-1252. readAs receives
// the lower-case name of the converter used.
QString decode(std::string_view bytes, std::string_view charset, std::string *readAs = nullptr);
// Header text: encoded words decoded in their charsets, each on its own, the texts
// joined (adjacent words of one charset are decoded joined instead when that gives fewer
// replacement characters: a character split over two words reads whole); the text
// between them is bytes without a label.
QString headerText(std::string_view raw);
// A parameter value: in `charset` when an extended form named one, else header text.
QString paramText(std::string_view bytes, std::string_view charset);
// The charset an HTML document declares in a <meta charset> or <meta http-equiv=
// "Content-Type" content="...; charset=..."> within its first 1,024 bytes, as browsers
// look for it; empty when it declares none.
std::string htmlMetaCharset(std::string_view html);
// TrimBlanks on characters: leading blanks and trailing spaces removed.
QString trimBlanks(const QString &text);
// The rules of SafeFileName on characters, and a name whose UTF-8 form is longer than a
// file system allows (255 bytes) shortened before its extension.
QString safeFileName(const QString &name);

// ---- writing
// UTF-8 encoded words of at most 68 characters each, separated by spaces; Q when that is
// shorter than B. Only letters, digits and "!*+-/" stand for themselves in Q, so the
// words are safe in a phrase, inside double quotes and in a parameter.
std::string utf8Words(const QString &text);
// The bytes as encoded words naming `charset`, at most 68 characters each, separated by
// spaces, so that a header folds between them; a UTF-8 character is never split.
std::string encodedWords(std::string_view bytes, std::string_view charset);
// A subject: plain ASCII as it is when it folds (no run of more than 66 characters without
// a blank); otherwise encoded words, in `charset` when Windows-1252 holds the text, else
// in UTF-8.
std::string headerWord(const QString &text, std::string_view charset);
// A file name in double quotes, as the X-Mail-Attachment field carries it: a name of
// printable ASCII as quotedString writes it, any other name as encoded words (above).
std::string quotedName(const QString &text, std::string_view charset);
// Printable ASCII in double quotes, the backslash and the double quote in it written as
// quoted pairs (RFC 5322 quoted-string), so that a reader gives back the text as it was.
std::string quotedString(std::string_view ascii);
// A name that stands for itself in a quoted string: printable ASCII without "=?", which
// a reader would take for the start of an encoded word.
bool plainAsciiName(const QString &text);
// A file name as the parameter `param` of a part's field: a plain ASCII name as one
// quoted string, any other as extendedParam writes it (an encoded word inside quotes is
// no form a parameter may take).
std::vector<std::pair<std::string, std::string>> fileNameParam(std::string_view param, const QString &text);
// A parameter as RFC 2231 writes it in UTF-8: {param + "*", "UTF-8''%E4..."}, or numbered
// sections {param + "*0*", ...}, {param + "*1*", ...} when the value is long, so that a
// header can be folded between them.
std::vector<std::pair<std::string, std::string>> extendedParam(std::string_view param, const QString &text);

} // namespace MailText
