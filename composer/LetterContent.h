#pragma once

class QTextCursor;
class QTextDocument;

// Whether a letter holds anything a person would miss, and emptying it. Ctrl+N and Import
// ask before they replace a letter that has content, and only then.
namespace LetterContent {

// True when the letter holds a character that is not blank, a picture or a table.
bool hasContent(const QTextDocument &letter);

// Empties the letter as one undo step: the text, its tables and pictures, and the
// paragraph and typing formats (back to the letter's default font). The document's own
// modified flag records the change.
void clear(QTextCursor &cursor);

} // namespace LetterContent
