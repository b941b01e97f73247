#pragma once

#include "composer/ToolBarState.h"

class QTextCursor;

// Reads the format bar's state from the text at the caret. With a selection, a style
// counts as on only when every selected character has it, and the face and size are
// given only when all selected characters share them.
namespace CaretFormat {

ToolBarState read(const QTextCursor &cursor);

// The size in whole points of the first selected character, or of what is typed at the
// caret: where the size box's arrows step from when a selection mixes sizes.
int firstSize(const QTextCursor &cursor);

} // namespace CaretFormat
