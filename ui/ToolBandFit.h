#pragma once

// How the white band of picture buttons (main window and composer) fits its width: the
// pictures and captions keep their places from the left, and the maker's logo stands at
// the right edge only where it clears them. At narrow widths the logo gives way, so it
// never lies over a button (a click meant for Empty must not open the web site). The
// band's least width is that of its buttons; the windows keep at least that.
class ToolBandFit
{
public:
    // Space between the logo and the band's right edge, and between the buttons' right
    // end and the logo.
    static constexpr int Margin = 8;
    static constexpr int Gap = 12;

    // The logo's left edge in a band `bandWidth` wide whose buttons and captions end at
    // `contentRight`; -1 when it does not fit and is hidden.
    static int logoLeft(int bandWidth, int contentRight, int logoWidth);
    // The band's least width.
    static int minimumWidth(int contentRight) { return contentRight + Margin; }
    // The width in which buttons and logo both show.
    static int preferredWidth(int contentRight, int logoWidth) { return contentRight + Gap + logoWidth + Margin; }
};
