#include "ui/ToolBandFit.h"

int ToolBandFit::logoLeft(int bandWidth, int contentRight, int logoWidth)
{
    const int left = bandWidth - Margin - logoWidth;
    return left >= contentRight + Gap ? left : -1;
}
