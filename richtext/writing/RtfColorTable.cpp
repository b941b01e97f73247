#include "richtext/writing/RtfColorTable.h"

#include "richtext/writing/RtfOutput.h"

int RtfColorTable::indexOf(const QColor &color)
{
    const QRgb rgb = color.rgb() | 0xFF000000u;
    for (size_t i = 0; i < m_colors.size(); ++i)
        if (m_colors[i] == rgb)
            return static_cast<int>(i) + 1;
    m_colors.push_back(rgb);
    return static_cast<int>(m_colors.size());
}

void RtfColorTable::write(RtfOutput &out) const
{
    out.open();
    out.word("colortbl");
    out.raw(" ;");
    for (QRgb c : m_colors) {
        out.word("red", qRed(c));
        out.word("green", qGreen(c));
        out.word("blue", qBlue(c));
        out.raw(";");
    }
    out.close();
}
