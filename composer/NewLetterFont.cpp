#include "composer/NewLetterFont.h"

#include "config/ConfigKeys.h"
#include "config/ConfigSettings.h"
#include "text/StoredText.h"

#include <QFontInfo>
#include <QStringList>

namespace NewLetterFont {

QFont font(const ConfigSettings &settings)
{
    const QString named = StoredText::toQString(settings.LET_FontName).trimmed();
    QFont font;
    if (named.isEmpty()) {
        // The face the desktop's font configuration gives for "sans-serif".
        font.setStyleHint(QFont::SansSerif);
        font.setFamilies(QStringList{QStringLiteral("sans-serif")});
        font.setFamily(QFontInfo(font).family());
    } else {
        font.setFamily(named);
    }
    font.setPointSize(ConfigKeys::LetterFontSize.clamp(settings.LET_FontSize));
    return font;
}

} // namespace NewLetterFont
