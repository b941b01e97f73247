#pragma once

#include <QFont>

struct ConfigSettings;

// The font a new letter starts in: the configured face (LET_FontName), or the desktop's
// sans-serif face when none is named, at the configured size in points (12 unless set).
// The face is resolved to an installed family, so that the letter's text stores a name
// that draws the same on the pages. Letters that exist keep the fonts they have.
namespace NewLetterFont {

QFont font(const ConfigSettings &settings);

} // namespace NewLetterFont
