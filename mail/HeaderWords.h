#pragma once

// RFC 2047 encoded words in header text, as 8-bit bytes.

#include <functional>
#include <string>
#include <string_view>

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
