#pragma once

#include <QImage>
#include <QRgb>
#include <initializer_list>
#include <vector>

// Reduces a drawn page to a palette of at most 16 or 256 colours for a palette PNG.
//
// A page of text is a few flat colours (the ground, the ink of each text colour) and the
// anti-aliased edges between them, which lie on straight ramps from the ground to each ink.
// The palette is the ground, the most frequent colours that lie on no ramp yet (the inks),
// evenly spaced steps along each ramp from the ground, and the most frequent colours left
// in the places that remain. A page with no more colours than the palette has is kept
// exactly. A page with very many colours (a photo) is not reduced at all: a palette would
// band it, and JPEG suits it better.
class PaletteQuantizer
{
public:
    // More distinct colours than this and the page counts as a photo.
    static constexpr int MaxDistinctColours = 32768;

    struct Result
    {
        // The page as palette indexes (Format_Indexed8, the colour table its palette);
        // null when the page is a photo.
        QImage indexed;
        // Peak signal-to-noise ratio of the reduced page against the page, in dB over the
        // three colour channels; infinity when nothing was lost.
        double psnr = 0;
    };

    // `page` is Format_RGB32 or ARGB32 (alpha is ignored); maxColours is 2 to 256.
    static Result reduce(const QImage &page, int maxColours);
    // The first of the palette sizes (smallest first) whose PSNR reaches minPsnr; a null
    // picture (with the last size's PSNR) when none does.
    static Result reduce(const QImage &page, std::initializer_list<int> sizes, double minPsnr);

    // PSNR of two pictures of the same size over their RGB channels (infinity when
    // equal); 0 when their sizes differ.
    static double psnr(const QImage &a, const QImage &b);
};
