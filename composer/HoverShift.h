#pragma once

// The hover effect of the composer's tool images: the image under the mouse moves 2
// pixels right and down, and moves back when the mouse reaches the band around it.
// HoveredToolImage is the number (1 to 7) of the image that is shifted, 0 for none; all
// composer windows of the process share it.
extern int HoveredToolImage;

namespace HoverShift {

constexpr int kShift = 2;
constexpr int kImages = 7;

// The mouse is over image `number`, whose tag is 1 while it is shifted. True when the
// image must move by kShift now (it was not shifted yet); the tag is then set.
bool overImage(int number, int &tag);
// The mouse is over the band. Returns the number of the image to move back (0: none),
// and clears HoveredToolImage.
int overBand();

} // namespace HoverShift
