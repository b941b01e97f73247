#pragma once

#include <QFont>

// "MS Sans Serif" and the other Windows faces that stored letters name, mapped to
// installed faces (Liberation, then DejaVu) with a CJK fallback.
namespace DefaultFont {

// Installs the substitutions once per process; safe to call repeatedly.
void installSubstitutions();
// The default font of the letter and the page numbers: "MS Sans Serif", 8 points.
QFont font();

} // namespace DefaultFont
