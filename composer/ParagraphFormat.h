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

// The numbered lists the composer makes: "1.", "a)" and "i.".
enum class Numbering { None, Decimal, LowerAlpha, LowerRoman };
// Numbered paragraphs of that style (None: the paragraphs leave their list, as with
// bullets off). Paragraphs already numbered so stay in their list; the others join the
// list of the paragraph above when it is numbered so, or else one new list.
void setNumbering(QTextCursor &cursor, Numbering numbering);
// The numbering of the paragraph at the caret; None also for bullets and for numbered
// lists of other styles ("A.", "(1)" read from a letter).
Numbering numberingOf(const QTextCursor &cursor);

} // namespace ParagraphFormat
