#include "richtext/writing/RtfFontTable.h"

#include "richtext/reading/RtfTextDecoder.h"
#include "richtext/writing/CodePageEncoder.h"
#include "richtext/writing/RtfOutput.h"

#include <QStringList>

namespace {

bool nameIn(const QString &family, std::initializer_list<const char *> names)
{
    for (const char *n : names)
        if (family.compare(QString::fromUtf8(n), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The pitch-family word of a face, as the control writes it for the common ones.
const char *familyWord(const QString &family, int charset)
{
    if (charset == 2)
        return "ftech";
    if (nameIn(family, {"Arial", "MS Sans Serif", "Microsoft Sans Serif", "Tahoma", "Verdana", "Helvetica",
                        "Liberation Sans", "DejaVu Sans"}))
        return "fswiss";
    if (nameIn(family, {"Times New Roman", "MS Serif", "Times", "Georgia", "Liberation Serif", "DejaVu Serif"}))
        return "froman";
    if (nameIn(family, {"Courier New", "Courier", "Lucida Console", "Consolas", "Liberation Mono",
                        "DejaVu Sans Mono"}))
        return "fmodern";
    return "fnil";
}

} // namespace

int RtfFontTable::charsetOfFamily(const QString &family)
{
    if (nameIn(family, {"Symbol", "Wingdings", "Webdings", "Marlett"}))
        return 2;
    if (nameIn(family, {"SimSun", "NSimSun", "SimHei", "KaiTi", "KaiTi_GB2312", "FangSong", "FangSong_GB2312",
                        "Microsoft YaHei", "MS Song", "MS Hei", "WenQuanYi Micro Hei", "Noto Sans CJK SC",
                        "\xE5\xAE\x8B\xE4\xBD\x93", "\xE6\x96\xB0\xE5\xAE\x8B\xE4\xBD\x93", "\xE9\xBB\x91\xE4\xBD\x93",
                        "\xE6\xA5\xB7\xE4\xBD\x93", "\xE4\xBB\xBF\xE5\xAE\x8B", "\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91"}))
        return 134;
    if (nameIn(family, {"MingLiU", "PMingLiU", "\xE6\x96\xB0\xE7\xB4\xB0\xE6\x98\x8E\xE9\xAB\x94",
                        "\xE7\xB4\xB0\xE6\x98\x8E\xE9\xAB\x94"}))
        return 136;
    if (nameIn(family, {"MS Mincho", "MS Gothic", "MS PMincho", "MS PGothic", "MS UI Gothic", "Meiryo"}))
        return 128;
    if (nameIn(family, {"Gulim", "Batang", "Dotum", "Gungsuh", "GulimChe", "BatangChe"}))
        return 129;
    return 0;
}

int RtfFontTable::indexOf(const QString &family, int charset)
{
    for (size_t i = 0; i < m_fonts.size(); ++i)
        if (m_fonts[i].charset == charset && m_fonts[i].family == family)
            return static_cast<int>(i);
    m_fonts.push_back({family, charset});
    return static_cast<int>(m_fonts.size()) - 1;
}

int RtfFontTable::codePage(int index) const
{
    // A face the reader takes for a symbol font is written in that font's bytes.
    const Font &f = m_fonts[static_cast<size_t>(index)];
    const int read = RtfTextDecoder::codePageOfFont(f.family, f.charset, 0, 0);
    return RtfTextDecoder::isSymbol(read) ? read : CodePageEncoder::codePageOfCharset(f.charset);
}

void RtfFontTable::write(RtfOutput &out) const
{
    out.open();
    out.word("fonttbl");
    for (size_t i = 0; i < m_fonts.size(); ++i) {
        const Font &f = m_fonts[i];
        out.open();
        out.word("f", static_cast<long long>(i));
        out.word(familyWord(f.family, f.charset));
        out.word("fcharset", f.charset);
        // Names are bytes in the font's own code page (a Chinese face in GBK).
        const int cp = CodePageEncoder::codePageOfCharset(f.charset); // 0 for symbol fonts
        // A tab would be written as \tab, which a font name does not take: it reads back
        // without it. A blank keeps the name the same from the first save on.
        QString name = f.family;
        name.replace(QLatin1Char('\t'), QLatin1Char(' '));
        out.text(name, cp ? cp : 1252);
        out.raw(";");
        out.close();
    }
    out.close();
}
