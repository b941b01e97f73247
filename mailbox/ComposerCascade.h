#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where a new composer window opens: the first at its own place (the centre of the
// screen), each further one a step down and to the right, instead of all lying exactly on
// top of each other. A place an open composer holds is skipped; when the steps would leave
// the screen's free area, a new run starts at its top left, a little further right each
// time.
class ComposerCascade
{
public:
    static constexpr int Step = 30;

    // available: the screen's free area; size: the window's size; origin: where the first
    // composer goes; open: the top-left corners of the composers already open.
    static QPoint place(const QRect &available, const QSize &size, const QPoint &origin, const QList<QPoint> &open);

    // The k-th place of the cascade (0 is the origin).
    static QPoint candidate(const QRect &available, const QSize &size, const QPoint &origin, int k);
};
