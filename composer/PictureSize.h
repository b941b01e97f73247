#pragma once

#include <QSize>
#include <QTextCursor>

class QTextImageFormat;

// Resizing a picture of the letter ("Picture Size..."): which picture the caret stands
// on, its own pixel size, and the sizes a percentage or one side gives with the aspect
// kept. Sizes are pixels at 96 dpi, as the letter shows and stores them.
namespace PictureSize {

// Largest side a picture may be given (what the RTF reader accepts back).
constexpr int kMaxSide = 10000;
constexpr int kMaxPercent = 1000;

// A cursor that selects the picture the cursor stands on: its selection when that is one
// picture, else the picture just after the caret, else the one just before it. No
// selection when there is none.
QTextCursor pictureAt(const QTextCursor &cursor);

// The picture's own size: its JPEG's when it came from one, else its image's.
QSize naturalSize(const QTextCursor &picture);
// The size the letter shows the picture at.
QSize shownSize(const QTextCursor &picture);

// natural scaled by percent; each side at least 1 and at most kMaxSide.
QSize scaled(const QSize &natural, int percent);
// The other side follows to keep natural's aspect.
QSize withWidth(const QSize &natural, int width);
QSize withHeight(const QSize &natural, int height);
// The percentage of natural that size's width is (rounded).
int percentOf(const QSize &natural, const QSize &size);

// Shows the picture at size, as one undo step.
void resize(QTextCursor &picture, const QSize &size);

} // namespace PictureSize
