#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The one reading of line breaks in the mail model's bytes, for every place that takes
// text with breaks of any kind (a file, a letter, a stored record) and writes CR LF.
//
// A line break is CR LF, a lone CR or a lone LF. LF CR is two breaks: a LF that ends
// one line and a CR that ends the next, empty one; so "a\n\rb" is three lines, as any
// reader that knows CR LF and the two lone forms sees it. CR CR LF is two breaks too.
//
// Header folding, the soft line break of quoted-printable ("=" and a break) and the
// base64 of a login (Base64EncodeString) read LF CR as one break instead
// (LfCr::OneBreak): what they were given always came out that way.
namespace LineBreaks {

enum class LfCr { TwoBreaks, OneBreak };

// The length of the line break that starts at text[i]: 2 for CR LF (and, with
// LfCr::OneBreak, LF CR), 1 for a lone CR or LF, 0 when no break starts there (or i is
// past the end).
std::size_t lengthAt(std::string_view text, std::size_t i, LfCr lfCr = LfCr::TwoBreaks);

// The text with every line break written as CR LF. With endWithBreak a text that does
// not end with a break gets one; an empty text stays empty.
std::string toCrLf(std::string_view text, bool endWithBreak = false, LfCr lfCr = LfCr::TwoBreaks);
// The same done to the text itself: a text whose breaks are all CR LF already is kept
// as it is (a large mail is not copied for nothing).
void makeCrLf(std::string &text, bool endWithBreak = false, LfCr lfCr = LfCr::TwoBreaks);

} // namespace LineBreaks
