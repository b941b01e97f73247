#pragma once

#include <string>
#include <vector>

class QTextDocument;

// The letter as plain HTML for readers that do not look at the pictures (screen readers,
// search, reply quoting): paragraphs, bulleted and numbered lists, tables with their
// cells, nothing of the letter's fonts or colours. ASCII only (HtmlBody::escaped), one
// paragraph, item or row a line.
namespace LetterHtml {

std::vector<std::string> lines(const QTextDocument &letter);

} // namespace LetterHtml
