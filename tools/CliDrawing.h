#pragma once

// The commands that draw (fonts, images, a paint engine). They live in vellorn-cli-draw,
// which loads Qt Gui; vellorn-cli itself stays a plain QCoreApplication and hands these
// over, so that every other command starts without Gui's libraries and font set-up.
namespace CliDrawing {

inline constexpr char Program[] = "vellorn-cli-draw";

struct Command
{
    const char *name;
    const char *usage;
};

inline constexpr Command Render{"render",
                                "render LETTER -o DIR [--config CONFIG]   letter to DIR/1.jpg, 2.jpg, ...; prints the page count"};
inline constexpr Command Picture{"picture",
                                 "picture MAILFILE -o OUT.eml [--config CONFIG]   stored mail text to the picture mail"};
inline constexpr Command Rtf{"rtf", "rtf text|html|write FILE   the letter's plain text, its HTML, or our RTF of it"};

inline constexpr Command All[] = {Render, Picture, Rtf};

} // namespace CliDrawing
