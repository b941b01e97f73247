#pragma once

class QTextCursor;

// Enter in the letter, as word processors have it. The new paragraph keeps the paragraph's
// format (alignment, list) and the character format at the caret, so what is typed after a
// blank line looks like what was typed before it. (Qt's own editor falls back to the
// default format after an empty paragraph.) Enter in an empty list paragraph ends the list
// there instead. One undo step.
namespace ParagraphBreak {

void insert(QTextCursor &cursor);

} // namespace ParagraphBreak
