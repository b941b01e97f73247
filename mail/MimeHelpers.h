#pragma once

// The toolbox under the mail model: transfer encodings (base64, quoted-printable,
// uuencode), RFC 2047 header words, helpers that read and rewrite one header line,
// header folding, RFC 822 dates, boundaries, content types and small string helpers.
//
// Everything works on 8-bit byte strings; a "character" is one byte, NUL included.
// A line break is CR LF; a lone CR or LF is an ordinary character unless stated.
// Blanks are space and TAB. None of these functions keeps state except the shared
// pseudo-random generator (MailRandom32).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QDateTime;

// ---------------------------------------------------------------- string helpers

// Removes leading blanks and trailing spaces (trailing TABs stay).
std::string TrimBlanks(std::string_view s);
// Removes leading blanks.
std::string TrimBlanksLeft(std::string_view s);
// Removes trailing blanks.
std::string TrimBlanksRight(std::string_view s);
// Value of a hexadecimal digit of either case; -1 for any other byte.
int HexDigitValue(char c);
// Whether `s` begins with `prefix`, ASCII letters compared without regard to case.
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
// The text with every CR and LF removed, so that it cannot start a new header line.
std::string WithoutLineBreaks(std::string_view text);

// Returns the bytes from `position` (1-based) up to and including the next CR LF and
// moves `position` behind them. At the end of the text `position` becomes -1 and the
// rest is returned (with its CR LF if it had one). Callers loop while position >= 0.
// A position outside the text (or < 1) returns an empty string and sets -1.
std::string NextLine(const std::string &text, int &position);
// The same without copying: a view into `text`, valid while `text` lives.
std::string_view NextLineView(std::string_view text, int &position);

// TrimBlanks, at most 254 bytes, then every byte below 32 and any of :\/*?"<>|'
// becomes "_".
std::string SafeFileName(std::string_view s);

// True when `host` split at "." is only non-empty runs of decimal digits.
bool IsNumericAddress(std::string_view host);

// ---------------------------------------------------------------- header lines
// A double quote toggles a quoted state; ":", ";" and "=" inside quotes are ordinary.

// Index of the n-th (from 0) line starting with `prefix` (ASCII case ignored); -1 if
// there is none or `lines` is null (an absent list).
int FindHeaderLine(const std::vector<std::string> *lines, std::string_view prefix, int n);
int FindHeaderLine(const std::vector<std::string> &lines, std::string_view prefix, int n);

// Text after the first unquoted ":" up to the next unquoted ";", trimmed, with one
// pair of enclosing double quotes removed.
std::string HeaderLineValue(std::string_view line);
// Replaces the value (between ":" and ";") by " " + TrimBlanks(value); parameters stay.
std::string ReplaceHeaderLineValue(std::string_view line, std::string_view value);
// Value of parameter `param` (case and surrounding blanks ignored), trimmed and
// unquoted; empty if absent.
std::string HeaderLineParam(std::string_view line, std::string_view param);
// The same, reading also the forms of parameters that carry a charset or run over
// several sections: "param*=charset'language'%XX..." and "param*0*=", "param*1=", ...
// joined in the order of their numbers. The "%XX" escapes become bytes, kept as they
// are in the value's charset. When a parameter is given in more than one form, the form
// that comes first counts.
std::string DecodedHeaderLineParam(std::string_view line, std::string_view param);
// The same, giving the charset named by an extended value in *charset (empty when the
// value names none).
std::string DecodedHeaderLineParam(std::string_view line, std::string_view param, std::string *charset);
// Sets parameter `param` to TrimBlanks(value) (written as given, no quotes added),
// appending "; param=value" when it is absent. Works on TrimBlanks(line); a trailing
// ";" is dropped.
std::string ReplaceHeaderLineParam(std::string_view line, std::string_view param, std::string_view value);
// Every form of parameter `param` (plain, extended, numbered sections) as written, in
// order: {name, value} with the value trimmed and still quoted or escaped.
std::vector<std::pair<std::string, std::string>> HeaderLineParamForms(std::string_view line, std::string_view param);
// The line without any form of parameter `param` (each with the ";" before it).
std::string RemoveHeaderLineParam(std::string_view line, std::string_view param);
// Canonical field name spelling ("Content-Type:", "Message-ID:") and blanks outside
// quotes in the value collapsed to one space.
std::string NormalizeHeaderLine(std::string_view line);
// The header block for output: CR LF line ends, lines longer than 72 folded at a
// space, "," or ";" outside quotes with CR LF TAB; every line ends with CR LF.
std::string FoldHeaders(std::string_view text);

// ---------------------------------------------------------------- encodings

// Quoted-printable. Body mode escapes bytes > 127 and "="; header mode also bytes
// <= 32, '"', "_" and "?" (so that no "?=" can end an encoded word early) and never
// breaks lines. Body mode writes a soft break "=" CR LF
// when the column reaches 72.
std::string QPEncode(std::string_view text, bool headerMode);
// Decodes "=XX" (hex digits of either case) and soft line breaks; other "=" stay.
std::string QPDecode(std::string_view text);

// Clears dest and writes the base64 form of source in lines of 76 characters (57
// bytes), every line (the last included) followed by CR LF. Returns dest.size().
std::size_t Base64EncodeStream(std::string_view source, std::string &dest);
// The same, appending to dest. A source given in pieces of whole lines (a multiple of 57
// bytes each, the last piece of any size) makes the same text as the source encoded at
// once.
void Base64EncodeStreamAppend(std::string_view source, std::string &dest);
// The size of Base64EncodeStream's text for `bytes` bytes.
std::size_t Base64StreamSize(std::size_t bytes);
// Bytes of one base64 line (any length); bytes outside the alphabet are skipped,
// "=" marks padding; a last group of two or three characters without its padding
// reads as if padded, a single last character is dropped.
std::string Base64DecodeLine(std::string_view line);
// The same, appending to `dest`.
void Base64DecodeLineAppend(std::string_view line, std::string &dest);
// Clears dest and decodes a whole base64 body as one stream: bytes outside the alphabet
// (line breaks included) are skipped, the first group that carries padding ends the
// data (what follows it, such as a footer appended on the way, is not decoded), and a
// last group without its padding reads as Base64DecodeLine reads it. Base64Decoder
// decodes a body given in pieces the same way.
void Base64DecodeText(std::string_view text, std::string &dest);
// Base64 of a short string as one line without a break (line breaks in `s` are made
// CR LF first). Longer strings are encoded whole, still as one line.
std::string Base64EncodeString(std::string_view s);

// Value 0..63 of one uuencode character ("`" and " " are 0, "!".."_" are 1..63);
// throws AppError("UUCODE message format error") for any other byte.
int UUCharValue(char c);
// Bytes of one uuencoded line without its line break; a format error or an empty
// line gives no bytes. Never more than 45 bytes; missing bits read as zero.
std::string UUDecodeLine(std::string_view line);
// Clears dest and appends the bytes of every non-empty CR LF separated line.
void UUDecodeText(std::string_view text, std::string &dest);

// ---------------------------------------------------------------- header words

// The charset to name for 8-bit text: "windows-1252" in place of "iso-8859-1" when the
// bytes hold 0x80..0x9F (the euro sign, typographic quotes and dashes), which are
// control characters in ISO-8859-1; any other charset as given.
std::string CharsetLabel(std::string_view bytes, std::string_view charset);
// "=?charset?Q?...?=" (header-mode QP) if any byte is > 127 or < 32, or if the text
// holds "=?" (which a reader would take for an encoded word); else the text as is.
std::string EncodeHeaderWord(std::string_view text, std::string_view charset);
// Walks TrimBlanks(text): onText for the text outside encoded words, onWord with the
// charset and the decoded bytes of each encoded word (B, Q, U), in order. Blanks between
// two adjacent encoded words are skipped; a malformed word ends the walk.
void ScanHeaderWords(std::string_view text, const std::function<void(std::string_view)> &onText,
                     const std::function<void(std::string_view, std::string)> &onWord);
// Decodes every encoded word of TrimBlanks(text) (B, Q, U); the charset is ignored.
// Blanks between two adjacent encoded words are dropped (a word split over two encoded
// words reads whole). The search goes on after each replaced word, so decoded text is
// never decoded again.
std::string DecodeHeaderWords(std::string_view text);

// ---------------------------------------------------------------- content types, dates, ids

// Content type by the file name's extension; "application/octet-stream" if unknown.
std::string ContentTypeOfFile(std::string_view fileName);
// ".ext" for a content type; empty if unknown.
std::string ExtensionOfContentType(std::string_view contentType);

// A full 32-bit value from the shared pseudo-random generator, seeded once from the
// clock and the system's entropy on first use.
std::uint32_t MailRandom32();
// Makes MailRandom32 draw from `source` (tests fix the values); an empty function goes
// back to the generator.
void SetMailRandomSource(std::function<std::uint32_t()> source);
// "boundary" + 8 upper-case hex digits of MailRandom32().
std::string NewBoundary();

// "Ddd, dd Mmm yyyy hh:nn:ss zone" of a local date and time; zone is +hhmm / -hhmm
// from the local offset, or "GMT" when the offset is zero.
std::string Rfc822Date(const QDateTime &dateTime);
