#include "composer/ComposerTitle.h"

namespace ComposerTitle {

QString of(const QString &subject)
{
    // One line: a pasted subject may carry tabs, line breaks or other control characters.
    QString shown = subject;
    for (QChar &c : shown) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line
            || c.category() == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    shown = shown.simplified();
    QString title = QLatin1String(kCaption);
    if (shown.isEmpty())
        return title;
    // A window title reads "[*]" as the place of its modified mark; doubled it stays text.
    shown.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
    return title + QLatin1String(" - ") + shown;
}

} // namespace ComposerTitle
