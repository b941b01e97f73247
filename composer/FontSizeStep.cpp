#include "composer/FontSizeStep.h"

#include <algorithm>

namespace FontSizeStep {

int base(int shown, int firstSize)
{
    return shown >= kSmallest ? shown : firstSize;
}

int stepped(int shown, int firstSize, int steps)
{
    // A size outside the range (a pasted 300-point title) steps back into it.
    const long long from = std::clamp(base(shown, firstSize), kSmallest, kLargest);
    return int(std::clamp<long long>(from + steps, kSmallest, kLargest));
}

} // namespace FontSizeStep
