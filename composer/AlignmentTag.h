#pragma once

#include <Qt>

// Paragraph alignment as the alignment buttons and menu items carry it in their tags:
// 0 left, 1 right, 2 centre.
namespace AlignmentTag {

constexpr int Left = 0;
constexpr int Right = 1;
constexpr int Center = 2;

// The tag of a paragraph alignment; -1 for any other (justified).
int of(Qt::Alignment alignment);
// The alignment of a tag; an unknown tag gives left.
Qt::Alignment alignment(int tag);
bool valid(int tag);

} // namespace AlignmentTag
