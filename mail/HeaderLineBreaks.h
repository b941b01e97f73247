#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The one rule for line breaks inside a mail's header block, kept by the reader and by the
// writer alike, so that a mail read, written and read again has the same fields:
//
// - A header line ends at CR LF, or at a lone LF (the line break of text files written
//   on Unix, which every mail reader takes as one).
// - A lone CR ends no line: it is a blank, the blank that unfolding leaves. No system
//   writes it as its line break, so inside a header it is damage or a forgery, such as
//   "Subject: hi<CR>Bcc: x" hiding a recipient from a reader that shows it as a subject.
// - The writer never leaves a line break inside a field: each one (CR LF, a lone LF or a
//   lone CR) is written as one blank, so no text put into a field becomes a field.
//
// Bodies keep their own reading (LineBreaks): only the header block is meant here.
namespace HeaderLineBreaks {

// The length of the break that ends a header line at text[i]: 2 for CR LF, 1 for a lone
// LF, 0 for anything else (a lone CR included).
std::size_t at(std::string_view text, std::size_t i);

// The field with every line break in it, and every lone CR, written as one blank.
void blankInside(std::string &field);
// The same for a field that is a view: the view itself when it holds no CR or LF (no
// copy), else the blanked copy kept in `store`.
std::string_view blankInside(std::string_view field, std::string &store);

// Whole mail text with every line break made CR LF (LineBreaks::makeCrLf), except that
// the lone CRs of its header block (up to its first empty line) become blanks first: what
// the mail store and the tools read gets the lines the reader gets from the raw text. A
// text without any LF is taken to have CR for its line break, as files of old Macs do.
void makeMailCrLf(std::string &text, bool endWithBreak = false);

} // namespace HeaderLineBreaks
