#pragma once

// The size box's arrows. They step from the size the box shows or, while it shows none (a
// selection of mixed sizes), from the size of the first selected character: never from 0,
// which is no font size, and never past the box's range of whole points.
namespace FontSizeStep {

inline constexpr int kSmallest = 1;
inline constexpr int kLargest = 100;

// Where a step starts: the shown size, else the first selected character's.
int base(int shown, int firstSize);
// The size after `steps` steps (negative: down), kept within kSmallest..kLargest.
int stepped(int shown, int firstSize, int steps);

} // namespace FontSizeStep
