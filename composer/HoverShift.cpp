#include "HoverShift.h"

int HoveredToolImage = 0;

namespace HoverShift {

bool overImage(int number, int &tag)
{
    HoveredToolImage = number;
    if (tag != 0)
        return false;
    tag = 1;
    return true;
}

int overBand()
{
    const int number = HoveredToolImage;
    HoveredToolImage = 0;
    return number >= 1 && number <= kImages ? number : 0;
}

} // namespace HoverShift
