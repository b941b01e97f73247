#pragma once

class QTextCursor;

// Paragraph commands of the format bar. Each acts on the paragraph at the caret, or on
// every paragraph the selection touches, as one undo step.
namespace ParagraphFormat {

// tag: AlignmentTag (0 left, 1 right, 2 centre); another tag changes nothing.
void setAlignment(QTextCursor &cursor, int tag);
// Bullet paragraphs on (a disc list, also for paragraphs of a numbered list) or off
// (the paragraphs leave their list and keep their own indent).
void setBullets(QTextCursor &cursor, bool on);
bool isBulletParagraph(const QTextCursor &cursor);

} // namespace ParagraphFormat
