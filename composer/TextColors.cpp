#include "composer/TextColors.h"

const std::array<TextColors::Choice, TextColors::kCount> &TextColors::standard()
{
    static const std::array<Choice, kCount> colors = {{
        {"Black", qRgb(0, 0, 0)},
        {"Maroon", qRgb(128, 0, 0)},
        {"Green", qRgb(0, 128, 0)},
        {"Olive", qRgb(128, 128, 0)},
        {"Navy", qRgb(0, 0, 128)},
        {"Purple", qRgb(128, 0, 128)},
        {"Teal", qRgb(0, 128, 128)},
        {"Gray", qRgb(128, 128, 128)},
        {"Silver", qRgb(192, 192, 192)},
        {"Red", qRgb(255, 0, 0)},
        {"Lime", qRgb(0, 255, 0)},
        {"Yellow", qRgb(255, 255, 0)},
        {"Blue", qRgb(0, 0, 255)},
        {"Fuchsia", qRgb(255, 0, 255)},
        {"Aqua", qRgb(0, 255, 255)},
        {"White", qRgb(255, 255, 255)},
    }};
    return colors;
}

QString TextColors::nameOf(const QColor &color)
{
    if (isAutomatic(color))
        return QStringLiteral("Automatic");
    for (const Choice &c : standard())
        if (c.rgb == color.rgb())
            return QLatin1String(c.name);
    return color.name();
}

QColor TextColors::defaultText()
{
    return QColor(qRgb(255, 0, 0));
}

QColor TextColors::defaultHighlight()
{
    return QColor(qRgb(255, 255, 0));
}
