#include "richtext/reading/RtfFormatFactory.h"

#include "richtext/reading/RtfReader.h"
#include "richtext/reading/RtfTextDecoder.h"

#include <QFont>
#include <QList>
#include <QTextOption>
#include <algorithm>

namespace {

constexpr double kTwips = RtfReader::kTwipsPerPixel;

double twipsToPixels(int twips)
{
    return twips / kTwips;
}

} // namespace

const RtfFormatFactory::Font *RtfFormatFactory::findFont(int id) const
{
    auto it = m_fonts.find(id);
    return it == m_fonts.end() ? nullptr : &it->second;
}

void RtfFormatFactory::useFont(int id)
{
    m_fonts[id].used = true;
}

bool RtfFormatFactory::isUsed(int id) const
{
    const Font *f = findFont(id);
    return f && f->used;
}

int RtfFormatFactory::codePageOf(int fontId) const
{
    const Font *f = findFont(fontId);
    if (!f)
        return ansiCodePage;
    return RtfTextDecoder::codePageOfFont(f->name, f->charset, f->codePage, ansiCodePage);
}

void RtfFormatFactory::addColor(const QColor &color)
{
    if (m_colors.size() < static_cast<size_t>(kMaxColors))
        m_colors.push_back(color);
    m_cellCache.clear();
}

QColor RtfFormatFactory::color(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_colors.size())
        return QColor();
    return m_colors[static_cast<size_t>(index)];
}

int RtfFormatFactory::addLink(const QString &target)
{
    m_links.push_back(target);
    return static_cast<int>(m_links.size()) - 1;
}

size_t RtfFormatFactory::PropsHash::operator()(const RtfCharProps &p) const
{
    size_t h = static_cast<size_t>(p.font) * 1000003u;
    for (int v : {p.halfPoints, p.foreground, p.background, p.up, p.lang, p.link})
        h = (h ^ static_cast<size_t>(v)) * 1099511628211ull;
    const unsigned flags = unsigned(p.bold) | unsigned(p.italic) << 1 | unsigned(p.strike) << 2 | unsigned(p.hidden) << 3
        | unsigned(p.caps) << 4 | unsigned(p.vertical) << 6 | unsigned(p.underline) << 8;
    return (h ^ flags) * 1099511628211ull;
}

QTextCharFormat RtfFormatFactory::charFormat(const RtfCharProps &p)
{
    auto it = m_charCache.find(p);
    if (it != m_charCache.end())
        return it->second;

    QTextCharFormat f;
    if (const Font *font = findFont(p.font)) {
        if (!font->name.isEmpty())
            f.setFontFamilies(QStringList{font->name});
        if (font->charset >= 0)
            f.setProperty(RtfReader::CharsetProperty, font->charset);
    }
    double points = 8;
    if (p.halfPoints > 0) {
        points = std::clamp(p.halfPoints, 2, 3276) / 2.0;
        f.setFontPointSize(points);
    }
    if (p.bold)
        f.setFontWeight(QFont::Bold);
    if (p.italic)
        f.setFontItalic(true);
    if (p.strike)
        f.setFontStrikeOut(true);
    switch (p.underline) {
    case RtfUnderline::None: break;
    case RtfUnderline::Single: f.setUnderlineStyle(QTextCharFormat::SingleUnderline); break;
    case RtfUnderline::Dotted: f.setUnderlineStyle(QTextCharFormat::DotLine); break;
    case RtfUnderline::Dash: f.setUnderlineStyle(QTextCharFormat::DashUnderline); break;
    case RtfUnderline::DashDot: f.setUnderlineStyle(QTextCharFormat::DashDotLine); break;
    case RtfUnderline::DashDotDot: f.setUnderlineStyle(QTextCharFormat::DashDotDotLine); break;
    case RtfUnderline::Wave: f.setUnderlineStyle(QTextCharFormat::WaveUnderline); break;
    }
    if (p.caps == 1)
        f.setFontCapitalization(QFont::AllUppercase);
    else if (p.caps == 2)
        f.setFontCapitalization(QFont::SmallCaps);
    if (p.vertical == 1)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (p.vertical == 2)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (p.up != 0)
        f.setBaselineOffset(std::clamp(p.up / 2.0 / points * 100.0, -1000.0, 1000.0));
    const QColor fg = color(p.foreground);
    if (p.foreground > 0 && fg.isValid())
        f.setForeground(fg);
    const QColor bg = color(p.background);
    if (p.background > 0 && bg.isValid())
        f.setBackground(bg);
    if (p.lang >= 0)
        f.setProperty(RtfReader::LanguageProperty, p.lang);
    if (p.link >= 0 && static_cast<size_t>(p.link) < m_links.size()) {
        f.setAnchor(true);
        f.setAnchorHref(m_links[static_cast<size_t>(p.link)]);
    }
    m_charCache.emplace(p, f);
    return f;
}

QTextBlockFormat RtfFormatFactory::blockFormat(const RtfParagraph &paragraph)
{
    if (m_lastBlockValid && paragraph.pageBreakBefore == m_lastPageBreak && paragraph.para == m_lastPara)
        return m_lastBlock;
    m_lastBlock = makeBlockFormat(paragraph);
    m_lastPara = paragraph.para;
    m_lastPageBreak = paragraph.pageBreakBefore;
    m_lastBlockValid = true;
    return m_lastBlock;
}

QTextBlockFormat RtfFormatFactory::makeBlockFormat(const RtfParagraph &paragraph) const
{
    const RtfParaProps &p = paragraph.para;
    QTextBlockFormat f;
    switch (p.alignment) {
    case 1: f.setAlignment(Qt::AlignHCenter); break;
    case 2: f.setAlignment(Qt::AlignRight); break;
    case 3: f.setAlignment(Qt::AlignJustify); break;
    default: break;
    }
    const bool listItem = p.list.kind == RtfListKind::Bullet || p.list.kind == RtfListKind::Numbered;
    if (p.firstIndent != 0 && !listItem)
        f.setTextIndent(twipsToPixels(p.firstIndent));
    if (p.leftIndent != 0)
        f.setLeftMargin(twipsToPixels(p.leftIndent));
    if (p.rightIndent != 0)
        f.setRightMargin(twipsToPixels(p.rightIndent));
    if (p.spaceBefore != 0)
        f.setTopMargin(twipsToPixels(p.spaceBefore));
    if (p.spaceAfter != 0)
        f.setBottomMargin(twipsToPixels(p.spaceAfter));
    if (p.lineSpacing != 0) {
        if (p.lineSpacing < 0)
            f.setLineHeight(twipsToPixels(-p.lineSpacing), QTextBlockFormat::FixedHeight);
        else if (p.lineMultiple)
            f.setLineHeight(p.lineSpacing / 240.0 * 100.0, QTextBlockFormat::ProportionalHeight);
        else
            f.setLineHeight(twipsToPixels(p.lineSpacing), QTextBlockFormat::MinimumHeight);
    }
    if (p.tabCount > 0) {
        QList<QTextOption::Tab> tabs;
        for (int i = 0; i < p.tabCount; ++i) {
            const RtfTabStop &t = p.tabs[static_cast<size_t>(i)];
            QTextOption::Tab tab;
            tab.position = twipsToPixels(t.position);
            switch (t.kind) {
            case 1: tab.type = QTextOption::CenterTab; break;
            case 2: tab.type = QTextOption::RightTab; break;
            case 3: tab.type = QTextOption::DelimiterTab; tab.delimiter = QLatin1Char('.'); break;
            default: tab.type = QTextOption::LeftTab; break;
            }
            tabs.append(tab);
        }
        f.setTabPositions(tabs);
    }
    if (paragraph.pageBreakBefore)
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    if (p.keep)
        f.setNonBreakableLines(true);
    if (p.rtl)
        f.setLayoutDirection(Qt::RightToLeft);
    return f;
}

QTextListFormat RtfFormatFactory::listFormat(const RtfListProps &props)
{
    if (!m_lastListValid || !(props == m_lastList)) {
        m_lastListFormat = makeListFormat(props);
        m_lastList = props;
        m_lastListValid = true;
    }
    return m_lastListFormat;
}

QTextListFormat RtfFormatFactory::makeListFormat(const RtfListProps &p) const
{
    QTextListFormat f;
    if (p.kind == RtfListKind::Bullet) {
        QTextListFormat::Style style = QTextListFormat::ListDisc;
        const QString &mark = p.before;
        if (mark == QLatin1String("o"))
            style = QTextListFormat::ListCircle;
        else if (mark == QString(QChar(0x00A7)) || mark == QString(QChar(0x25AA)) || mark == QString(QChar(0x25A0)))
            style = QTextListFormat::ListSquare;
        f.setStyle(style);
        f.setIndent(0);
        return f;
    }
    if (p.kind != RtfListKind::Numbered)
        return f;
    switch (p.numbering) {
    case RtfNumbering::Decimal: f.setStyle(QTextListFormat::ListDecimal); break;
    case RtfNumbering::LowerAlpha: f.setStyle(QTextListFormat::ListLowerAlpha); break;
    case RtfNumbering::UpperAlpha: f.setStyle(QTextListFormat::ListUpperAlpha); break;
    case RtfNumbering::LowerRoman: f.setStyle(QTextListFormat::ListLowerRoman); break;
    case RtfNumbering::UpperRoman: f.setStyle(QTextListFormat::ListUpperRoman); break;
    }
    f.setIndent(0);
    if (p.start != 1)
        f.setProperty(RtfReader::ListStartProperty, p.start); // Qt 6.4 lists always count from 1
    f.setNumberPrefix(p.before);
    f.setNumberSuffix(p.after);
    return f;
}

void RtfFormatFactory::applyBorder(QTextTableCellFormat &format, int side, const RtfBorder &border) const
{
    if (border.style == 0)
        return;
    const double width = border.width > 0 ? twipsToPixels(border.width) : 1.0;
    QTextFrameFormat::BorderStyle style = QTextFrameFormat::BorderStyle_Solid;
    if (border.style == 2)
        style = QTextFrameFormat::BorderStyle_Double;
    else if (border.style == 3)
        style = QTextFrameFormat::BorderStyle_Dotted;
    else if (border.style == 4)
        style = QTextFrameFormat::BorderStyle_Dashed;
    QColor c = color(border.color);
    if (!c.isValid())
        c = Qt::black;
    switch (side) {
    case 0:
        format.setTopBorder(width);
        format.setTopBorderStyle(style);
        format.setTopBorderBrush(c);
        break;
    case 1:
        format.setLeftBorder(width);
        format.setLeftBorderStyle(style);
        format.setLeftBorderBrush(c);
        break;
    case 2:
        format.setBottomBorder(width);
        format.setBottomBorderStyle(style);
        format.setBottomBorderBrush(c);
        break;
    default:
        format.setRightBorder(width);
        format.setRightBorderStyle(style);
        format.setRightBorderBrush(c);
        break;
    }
}

QTextTableCellFormat RtfFormatFactory::cellFormat(const RtfRowDef &row, size_t cell, bool firstCell, bool lastCell)
{
    const CellKey key = cellKey(row, cell, firstCell, lastCell);
    const auto it = m_cellCache.find(key);
    if (it != m_cellCache.end())
        return it->second;
    if (m_cellCache.size() >= kMaxCachedCells)
        m_cellCache.clear();
    return m_cellCache.emplace(key, makeCellFormat(key)).first->second;
}

RtfFormatFactory::CellKey RtfFormatFactory::cellKey(const RtfRowDef &row, size_t cell, bool firstCell, bool lastCell)
{
    CellKey key{};
    RtfCellDef def;
    if (cell < row.cells.size())
        def = row.cells[cell];
    // The cell's own padding, else the row's; left and right default to the gap.
    for (int side = 0; side < 4; ++side) {
        const int twips = def.padding.given(side) ? def.padding.twips[side]
            : row.padding.given(side)             ? row.padding.twips[side]
            : side % 2 == 1                       ? row.gap
                                                  : 0;
        key[static_cast<size_t>(side)] = std::max(twips, 0);
    }
    const RtfBorder sides[4] = {
        def.borders[0].style ? def.borders[0] : row.borders[0],
        def.borders[1].style ? def.borders[1] : (firstCell ? row.borders[1] : row.borders[5]),
        def.borders[2].style ? def.borders[2] : row.borders[2],
        def.borders[3].style ? def.borders[3] : (lastCell ? row.borders[3] : row.borders[5]),
    };
    for (size_t side = 0; side < 4; ++side) {
        key[4 + 3 * side] = sides[side].style;
        key[5 + 3 * side] = sides[side].width;
        key[6 + 3 * side] = sides[side].color;
    }
    key[16] = def.shading;
    key[17] = def.vAlign;
    return key;
}

QTextTableCellFormat RtfFormatFactory::makeCellFormat(const CellKey &key) const
{
    QTextTableCellFormat f;
    for (int side = 0; side < 4; ++side) {
        const int twips = key[static_cast<size_t>(side)];
        if (twips <= 0)
            continue;
        const qreal pixels = twipsToPixels(twips);
        switch (side) {
        case 0: f.setTopPadding(pixels); break;
        case 1: f.setLeftPadding(pixels); break;
        case 2: f.setBottomPadding(pixels); break;
        default: f.setRightPadding(pixels); break;
        }
    }
    for (size_t side = 0; side < 4; ++side) {
        RtfBorder border;
        border.style = static_cast<uint8_t>(key[4 + 3 * side]);
        border.width = key[5 + 3 * side];
        border.color = key[6 + 3 * side];
        applyBorder(f, static_cast<int>(side), border);
    }
    const int shading = key[16];
    const QColor shade = color(shading);
    if (shading > 0 && shade.isValid())
        f.setBackground(shade);
    if (key[17] == 1)
        f.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    else if (key[17] == 2)
        f.setVerticalAlignment(QTextCharFormat::AlignBottom);
    return f;
}
