#include "mailbox/ComposerCascade.h"

#include <algorithm>
#include <cstdlib>

namespace {

using Step = std::integral_constant<int, ComposerCascade::Step>;

// An open window this close to a place holds it (window managers move windows by a few
// pixels for their frames).
constexpr int Near = ComposerCascade::Step / 3;

bool held(const QPoint &place, const QList<QPoint> &open)
{
    return std::any_of(open.begin(), open.end(), [&place](const QPoint &p) {
        return std::abs(p.x() - place.x()) < Near && std::abs(p.y() - place.y()) < Near;
    });
}

// Diagonal steps from `start` that keep the window inside the free area (at least one).
int stepsFrom(const QRect &available, const QSize &size, const QPoint &start)
{
    const int roomDown = available.bottom() + 1 - (start.y() + size.height());
    const int roomRight = available.right() + 1 - (start.x() + size.width());
    return std::max(1, std::min(roomDown, roomRight) / Step::value + 1);
}

} // namespace

QPoint ComposerCascade::candidate(const QRect &available, const QSize &size, const QPoint &origin, int k)
{
    QPoint start = origin;
    int run = 0;
    for (int steps = stepsFrom(available, size, start); k >= steps; steps = stepsFrom(available, size, start)) {
        k -= steps;
        ++run;
        start = available.topLeft() + QPoint(Step / 2 + run * Step / 2, Step / 2);
    }
    QPoint place = start + QPoint(k * Step, k * Step);
    // A window wider or taller than the free area starts at its edge.
    place.setX(std::max(available.left(), std::min(place.x(), available.right() + 1 - size.width())));
    place.setY(std::max(available.top(), std::min(place.y(), available.bottom() + 1 - size.height())));
    return place;
}

QPoint ComposerCascade::place(const QRect &available, const QSize &size, const QPoint &origin,
                              const QList<QPoint> &open)
{
    // Each open window holds at most one place, so one of the first open.size() + 1 is
    // free, unless a screen too small for the window made places coincide.
    for (int k = 0; k <= int(open.size()); ++k) {
        const QPoint p = candidate(available, size, origin, k);
        if (!held(p, open))
            return p;
    }
    return candidate(available, size, origin, int(open.size()));
}
