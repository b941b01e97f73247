#pragma once

#include <QString>

// What the format bar shows for the text at the caret. The window applies it to its
// buttons; nothing here knows a widget.
struct ToolBarState
{
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool bullets = false;
    int numbering = 0; // ParagraphFormat::Numbering
    int fontSize = 0;  // points; 0 when the selection mixes sizes
    QString fontName;  // empty when the selection mixes faces
    int alignment = -1; // alignment tag (AlignmentTag), -1 for justified text

    bool operator==(const ToolBarState &) const = default;
};
