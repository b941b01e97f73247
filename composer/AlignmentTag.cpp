#include "composer/AlignmentTag.h"

namespace AlignmentTag {

int of(Qt::Alignment alignment)
{
    const Qt::Alignment h = alignment & Qt::AlignHorizontal_Mask;
    if (h & Qt::AlignJustify)
        return -1;
    if (h & Qt::AlignHCenter)
        return Center;
    if (h & Qt::AlignRight)
        return Right;
    return Left;
}

Qt::Alignment alignment(int tag)
{
    switch (tag) {
    case Right: return Qt::AlignRight;
    case Center: return Qt::AlignHCenter;
    default: return Qt::AlignLeft;
    }
}

bool valid(int tag)
{
    return tag == Left || tag == Right || tag == Center;
}

} // namespace AlignmentTag
