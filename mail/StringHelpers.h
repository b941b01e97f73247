#pragma once

// Small helpers on 8-bit byte strings under the mail model: a "character" is one byte,
// NUL included. Blanks are space and TAB.

#include <string>
#include <string_view>

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
