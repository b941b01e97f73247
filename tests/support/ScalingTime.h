#pragma once

#include <QElapsedTimer>
#include <algorithm>
#include <limits>

// Tells work that grows in proportion to its input from work that grows faster, by the ratio
// of its times at two sizes, never by a time of its own. Each time is the best of a few runs,
// so that a busy machine slows both and the ratio holds.
namespace ScalingTime {

template<typename Work>
qint64 bestNanoseconds(Work work, int runs = 5)
{
    qint64 best = std::numeric_limits<qint64>::max();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed());
    }
    return std::max<qint64>(best, 1);
}

// The time of large() over the time of small().
template<typename Small, typename Large>
double ratio(Small small, Large large, int runs = 5)
{
    const qint64 s = bestNanoseconds(small, runs);
    const qint64 l = bestNanoseconds(large, runs);
    return double(l) / double(s);
}

} // namespace ScalingTime
