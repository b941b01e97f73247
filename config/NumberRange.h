#pragma once

#include <QString>

// The range of a number box of the configuration dialog. A box's value is the integer of
// its text, or the lower bound when the text is not an integer; it is brought into the
// range whenever the program sets it and whenever the box loses the focus.
struct NumberRange
{
    int min = 0;
    int max = 0;

    constexpr int clamp(int value) const { return value < min ? min : (value > max ? max : value); }
    // Not clamped: a box shows what was typed until it loses the focus.
    int valueOf(const QString &text) const;
};
