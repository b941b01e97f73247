#include "richtext/writing/RtfWriter.h"

#include "richtext/JpegPicture.h"
#include "richtext/layout/TableGeometry.h"
#include "richtext/metafile/DibImage.h"
#include "richtext/reading/RtfPictureReader.h"
#include "richtext/reading/RtfReader.h"

#include <QBuffer>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <cstdio>

namespace {

// Document lengths are pixels of a 96 dpi page.
int toTwips(qreal px)
{
    return qRound(px * RtfReader::kTwipsPerPixel);
}

// Width given to table columns without a fixed width: 6.5 inches.
constexpr qreal kDefaultTableWidth = 624;

// The hanging indent in which the control draws a list's marker.
constexpr int kListHangingTwips = -360;

// \deflang of the header: runs without a language of their own.
constexpr int kDefaultLanguage = 1033;

// The PNG bytes and pixel size of an image resource, whatever form the document holds.
bool pngOf(const QVariant &resource, QByteArray *png, QSize *size)
{
    QImage image;
    if (resource.userType() == QMetaType::QByteArray) {
        const QByteArray bytes = resource.toByteArray();
        if (bytes.startsWith("\x89PNG\r\n\x1a\n")) {
            image.loadFromData(bytes, "PNG");
            if (image.isNull())
                return false;
            *png = bytes;
            *size = image.size();
            return true;
        }
        image = DibImage::withFullColorTable(QImage::fromData(bytes));
    } else if (resource.userType() == QMetaType::QImage) {
        image = resource.value<QImage>();
    } else if (resource.userType() == QMetaType::QPixmap) {
        image = resource.value<QPixmap>().toImage();
    }
    if (image.isNull())
        return false;
    QBuffer buffer(png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return false;
    *size = image.size();
    return true;
}

// The PNG scaled down to size.
bool shrunkPng(const QSize &size, QByteArray *png, QSize *written)
{
    QImage image;
    if (!image.loadFromData(*png, "PNG"))
        return false;
    image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        return false;
    *png = bytes;
    *written = image.size();
    return true;
}

} // namespace

bool RtfWriter::ParaState::operator==(const ParaState &o) const
{
    return align == o.align && left == o.left && right == o.right && first == o.first && before == o.before
        && after == o.after && lineSpacing == o.lineSpacing && lineMult == o.lineMult && tabs == o.tabs
        && keep == o.keep && rtl == o.rtl && depth == o.depth && list == o.list;
}

RtfWriter::RtfWriter(const QTextDocument &doc)
    : m_doc(doc)
{
}

std::string RtfWriter::write(const QTextDocument &doc)
{
    RtfWriter writer(doc);
    return writer.run();
}

std::string RtfWriter::run()
{
    // \f0 is the document's default font, as \deff0 says.
    const QString defaultFamily = m_doc.defaultFont().family();
    m_fonts.indexOf(defaultFamily, RtfFontTable::charsetOfFamily(defaultFamily));
    writeFrame(m_doc.rootFrame(), 0);

    RtfOutput head;
    head.raw("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033");
    m_fonts.write(head);
    head.newline();
    m_colors.write(head);
    head.newline();
    writeListTable(head);
    head.raw("\\viewkind4\\uc1\\pard");
    std::string out = std::move(head.bytes());
    out.append(m_body.bytes());
    out.append("}\r\n");
    return out;
}

void RtfWriter::writeFrame(QTextFrame *frame, int depth)
{
    for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
        if (QTextFrame *child = it.currentFrame()) {
            if (auto *table = qobject_cast<QTextTable *>(child))
                writeTable(table, depth + 1);
            else
                writeFrame(child, depth);
        } else {
            writeBlock(it.currentBlock(), depth, "par");
        }
    }
}

RtfWriter::CharState RtfWriter::charState(const QTextCharFormat &format)
{
    const QFont defaultFont = m_doc.defaultFont();
    CharState s;
    QString family;
    const QVariant families = format.property(QTextFormat::FontFamilies);
    if (families.isValid() && !families.toStringList().isEmpty())
        family = families.toStringList().constFirst();
    if (family.isEmpty())
        family = format.stringProperty(QTextFormat::FontFamily);
    if (family.isEmpty())
        family = defaultFont.family();
    const QVariant charsetHint = format.property(RtfReader::CharsetProperty);
    const int charset = charsetHint.isValid() ? charsetHint.toInt() : RtfFontTable::charsetOfFamily(family);
    s.font = m_fonts.indexOf(family, charset);
    // Pasted HTML may size fonts in pixels: 96 of them to the inch, 72 points.
    qreal points = format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize()
        : format.hasProperty(QTextFormat::FontPixelSize)          ? format.intProperty(QTextFormat::FontPixelSize) * 0.75
                                                                  : defaultFont.pointSizeF();
    if (points <= 0)
        points = 8;
    points = std::min<qreal>(points, 1638);
    s.halfPoints = qRound(points * 2);
    s.bold = format.hasProperty(QTextFormat::FontWeight) ? format.fontWeight() >= QFont::DemiBold : defaultFont.bold();
    s.italic = format.fontItalic();
    s.strike = format.fontStrikeOut();
    s.underline = format.underlineStyle();
    if (s.underline == QTextCharFormat::NoUnderline && format.fontUnderline())
        s.underline = QTextCharFormat::SingleUnderline;
    if (format.foreground().style() != Qt::NoBrush)
        s.color = m_colors.indexOf(format.foreground().color());
    if (format.background().style() != Qt::NoBrush)
        s.highlight = m_colors.indexOf(format.background().color());
    s.vertical = format.verticalAlignment();
    if (s.vertical != QTextCharFormat::AlignSuperScript && s.vertical != QTextCharFormat::AlignSubScript)
        s.vertical = QTextCharFormat::AlignNormal;
    s.caps = format.fontCapitalization();
    // \up and \dn are half-points; the format holds a percentage of the font size.
    if (format.hasProperty(QTextFormat::TextBaselineOffset))
        s.baseline = qRound(format.baselineOffset() * points / 50);
    const QVariant lang = format.property(RtfReader::LanguageProperty);
    s.lang = lang.isValid() ? lang.toInt() : kDefaultLanguage;
    return s;
}

void RtfWriter::applyChar(const QTextCharFormat &format, int formatIndex)
{
    // Equal formats share an index in the document: each is worked out once.
    CharState s;
    if (formatIndex >= 0) {
        auto it = m_charCache.find(formatIndex);
        if (it == m_charCache.end())
            it = m_charCache.emplace(formatIndex, charState(format)).first;
        s = it->second;
    } else {
        s = charState(format);
    }
    CharState &c = m_char;
    if (s.font != c.font)
        m_body.word("f", s.font);
    if (s.halfPoints != c.halfPoints)
        m_body.word("fs", s.halfPoints);
    if (s.color != c.color)
        m_body.word("cf", s.color);
    if (s.highlight != c.highlight)
        m_body.word("highlight", s.highlight);
    if (s.bold != c.bold)
        s.bold ? m_body.word("b") : m_body.word("b", 0);
    if (s.italic != c.italic)
        s.italic ? m_body.word("i") : m_body.word("i", 0);
    if (s.underline != c.underline) {
        switch (s.underline) {
        case QTextCharFormat::NoUnderline: m_body.word("ulnone"); break;
        case QTextCharFormat::DashUnderline: m_body.word("uldash"); break;
        case QTextCharFormat::DotLine: m_body.word("uld"); break;
        case QTextCharFormat::DashDotLine: m_body.word("uldashd"); break;
        case QTextCharFormat::DashDotDotLine: m_body.word("uldashdd"); break;
        case QTextCharFormat::WaveUnderline: m_body.word("ulwave"); break;
        default: m_body.word("ul"); break;
        }
    }
    if (s.strike != c.strike)
        s.strike ? m_body.word("strike") : m_body.word("strike", 0);
    if (s.vertical != c.vertical) {
        if (s.vertical == QTextCharFormat::AlignSuperScript)
            m_body.word("super");
        else if (s.vertical == QTextCharFormat::AlignSubScript)
            m_body.word("sub");
        else
            m_body.word("nosupersub");
    }
    if (s.baseline != c.baseline) {
        if (s.baseline > 0)
            m_body.word("up", s.baseline);
        else if (s.baseline < 0)
            m_body.word("dn", -s.baseline);
        else
            m_body.word(c.baseline > 0 ? "up" : "dn", 0);
    }
    if (s.lang != c.lang)
        m_body.word("lang", s.lang);
    if (s.caps != c.caps) {
        if (c.caps == QFont::AllUppercase)
            m_body.word("caps", 0);
        else if (c.caps == QFont::SmallCaps)
            m_body.word("scaps", 0);
        if (s.caps == QFont::AllUppercase)
            m_body.word("caps");
        else if (s.caps == QFont::SmallCaps)
            m_body.word("scaps");
    }
    c = s;
}

RtfWriter::ParaState RtfWriter::paraState(const QTextBlock &block, int depth)
{
    // The format's part is worked out once per distinct block format.
    const int index = block.blockFormatIndex();
    auto cached = m_paraCache.find(index);
    if (cached == m_paraCache.end())
        cached = m_paraCache.emplace(index, formatParaState(block.blockFormat())).first;
    ParaState s = cached->second;
    s.depth = depth;
    s.list = block.textList();
    if (s.list) {
        // The list's own indentation steps are part of the paragraph's left indent; the
        // marker hangs in the first-line indent.
        s.left += toTwips(s.list->format().indent() * m_doc.indentWidth());
        if (s.first == 0)
            s.first = kListHangingTwips;
    }
    return s;
}

RtfWriter::ParaState RtfWriter::formatParaState(const QTextBlockFormat &f) const
{
    ParaState s;
    const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter)
        s.align = 1;
    else if (a & (Qt::AlignRight | Qt::AlignTrailing))
        s.align = (a & Qt::AlignAbsolute) || f.layoutDirection() != Qt::RightToLeft ? 2 : 0;
    else if (a & Qt::AlignJustify)
        s.align = 3;
    s.left = toTwips(f.leftMargin() + f.indent() * m_doc.indentWidth());
    s.right = toTwips(f.rightMargin());
    s.first = toTwips(f.textIndent());
    s.before = toTwips(f.topMargin());
    s.after = toTwips(f.bottomMargin());
    switch (f.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (qRound(f.lineHeight()) != 100 && f.lineHeight() > 0) {
            s.lineSpacing = qRound(f.lineHeight() * 240 / 100);
            s.lineMult = 1;
        }
        break;
    case QTextBlockFormat::FixedHeight:
        s.lineSpacing = -toTwips(f.lineHeight());
        break;
    case QTextBlockFormat::MinimumHeight:
        s.lineSpacing = toTwips(f.lineHeight());
        break;
    default:
        break;
    }
    for (const QTextOption::Tab &tab : f.tabPositions()) {
        int kind = 0;
        if (tab.type == QTextOption::CenterTab)
            kind = 1;
        else if (tab.type == QTextOption::RightTab)
            kind = 2;
        else if (tab.type == QTextOption::DelimiterTab)
            kind = 3;
        s.tabs.append({toTwips(tab.position), kind});
    }
    s.keep = f.nonBreakableLines();
    s.rtl = f.layoutDirection() == Qt::RightToLeft;
    return s;
}

void RtfWriter::writeListDestination(const QTextList *list)
{
    const QTextListFormat lf = list->format();
    m_body.open();
    m_body.word("*");
    m_body.word("pn");
    switch (lf.style()) {
    case QTextListFormat::ListDecimal:
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha:
    case QTextListFormat::ListLowerRoman:
    case QTextListFormat::ListUpperRoman: {
        m_body.word("pnlvlbody");
        m_body.word("pnf", 0);
        m_body.word("pnindent", 0);
        const QVariant start = lf.property(RtfReader::ListStartProperty);
        m_body.word("pnstart", start.isValid() ? start.toInt() : 1);
        switch (lf.style()) {
        case QTextListFormat::ListLowerAlpha: m_body.word("pnlcltr"); break;
        case QTextListFormat::ListUpperAlpha: m_body.word("pnucltr"); break;
        case QTextListFormat::ListLowerRoman: m_body.word("pnlcrm"); break;
        case QTextListFormat::ListUpperRoman: m_body.word("pnucrm"); break;
        default: m_body.word("pndec"); break;
        }
        if (!lf.numberPrefix().isEmpty()) {
            m_body.open();
            m_body.word("pntxtb");
            m_body.text(lf.numberPrefix(), 1252);
            m_body.close();
        }
        const QString suffix = lf.hasProperty(QTextFormat::ListNumberSuffix) ? lf.numberSuffix() : QStringLiteral(".");
        if (!suffix.isEmpty()) {
            m_body.open();
            m_body.word("pntxta");
            m_body.text(suffix, 1252);
            m_body.close();
        }
        break;
    }
    default: {
        const BulletMark mark = bulletMark(lf.style());
        m_body.word("pnlvlblt");
        m_body.word("pnf", mark.font);
        m_body.word("pnindent", 0);
        m_body.open();
        m_body.word("pntxtb");
        m_body.raw(mark.bytes);
        m_body.close();
        break;
    }
    }
    m_body.close();
}

int RtfWriter::listNumber(const QTextList *list)
{
    const auto [it, added] = m_listNumbers.try_emplace(list, static_cast<int>(m_lists.size()) + 1);
    if (added)
        m_lists.push_back(list);
    return it->second;
}

void RtfWriter::writeListTable(RtfOutput &out)
{
    // One single-level list per QTextList, and an override \lsN naming it, as Word
    // writes its lists: its items stay one list across the paragraphs between them.
    if (m_lists.empty())
        return;
    out.open();
    out.word("*");
    out.word("listtable");
    for (size_t i = 0; i < m_lists.size(); ++i) {
        const QTextListFormat lf = m_lists[i]->format();
        out.open();
        out.word("list");
        out.word("listtemplateid", static_cast<long long>(i) + 1);
        out.word("listsimple");
        out.open();
        out.word("listlevel");
        int nfc = 23;
        switch (lf.style()) {
        case QTextListFormat::ListDecimal: nfc = 0; break;
        case QTextListFormat::ListUpperRoman: nfc = 1; break;
        case QTextListFormat::ListLowerRoman: nfc = 2; break;
        case QTextListFormat::ListUpperAlpha: nfc = 3; break;
        case QTextListFormat::ListLowerAlpha: nfc = 4; break;
        default: break;
        }
        out.word("levelnfc", nfc);
        out.word("levelnfcn", nfc);
        out.word("leveljc", 0);
        out.word("levelfollow", 0);
        const QVariant start = lf.property(RtfReader::ListStartProperty);
        out.word("levelstartat", start.isValid() ? start.toInt() : 1);
        out.open();
        out.word("leveltext");
        int font = 0;
        if (nfc == 23) {
            // The mark in its font, as the private-use code point Word writes for it.
            const BulletMark mark = bulletMark(lf.style());
            font = mark.font;
            out.raw("\\'01");
            if (lf.style() == QTextListFormat::ListCircle)
                out.raw("o");
            else
                out.word("u", lf.style() == QTextListFormat::ListSquare ? -3929 : -3913);
            if (lf.style() != QTextListFormat::ListCircle)
                out.raw(" ?");
        } else {
            const QString prefix = lf.numberPrefix().left(32);
            const QString suffix = (lf.hasProperty(QTextFormat::ListNumberSuffix) ? lf.numberSuffix() : QStringLiteral(".")).left(32);
            char length[8];
            std::snprintf(length, sizeof length, "\\'%02x", static_cast<unsigned>(prefix.size() + 1 + suffix.size()));
            out.raw(length);
            out.text(prefix, 1252);
            out.raw("\\'00");
            out.text(suffix, 1252);
        }
        out.raw(";");
        out.close();
        // Where the number stands in the text, counted from 1 (readers place it by this).
        out.open();
        out.word("levelnumbers");
        if (nfc != 23) {
            char place[8];
            std::snprintf(place, sizeof place, "\\'%02x", static_cast<unsigned>(lf.numberPrefix().left(32).size() + 1));
            out.raw(place);
        }
        out.raw(";");
        out.close();
        out.word("f", font);
        const int left = m_lists[i]->count() > 0 ? toTwips(m_lists[i]->item(0).blockFormat().leftMargin()) : 0;
        out.word("fi", kListHangingTwips);
        out.word("li", left);
        out.close();
        out.word("listid", static_cast<long long>(i) + 1);
        out.close();
    }
    out.close();
    out.open();
    out.word("*");
    out.word("listoverridetable");
    for (size_t i = 0; i < m_lists.size(); ++i) {
        out.open();
        out.word("listoverride");
        out.word("listid", static_cast<long long>(i) + 1);
        out.word("listoverridecount", 0);
        out.word("ls", static_cast<long long>(i) + 1);
        out.close();
    }
    out.close();
    out.newline();
}

RtfWriter::BulletMark RtfWriter::bulletMark(int style)
{
    // The marks Word gives its bullet levels: a Symbol dot, a Courier New "o", a
    // Wingdings square.
    if (style == QTextListFormat::ListCircle)
        return {m_fonts.indexOf(QStringLiteral("Courier New"), 0), " o"}; // the space ends the control word
    if (style == QTextListFormat::ListSquare)
        return {m_fonts.indexOf(QStringLiteral("Wingdings"), 2), "\\'a7"};
    return {m_fonts.indexOf(QStringLiteral("Symbol"), 2), "\\'b7"};
}

void RtfWriter::writeListText(const QTextBlock &block)
{
    // The marker as text, for readers that do not number themselves; the list draws its
    // own marker, so readers drop this group.
    const QTextList *list = block.textList();
    m_body.open();
    m_body.word("pntext");
    switch (list->format().style()) {
    case QTextListFormat::ListDecimal:
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha:
    case QTextListFormat::ListLowerRoman:
    case QTextListFormat::ListUpperRoman:
        m_body.word("f", 0);
        m_body.text(list->itemText(block), 1252);
        break;
    default: {
        const BulletMark mark = bulletMark(list->format().style());
        m_body.word("f", mark.font);
        m_body.raw(mark.bytes);
        break;
    }
    }
    m_body.word("tab");
    m_body.close();
}

void RtfWriter::applyParagraph(const ParaState &s, const QTextBlock *block)
{
    const ParaState defaults;
    if (!(s == m_para) || (m_headerPard && !(s == defaults))) {
        if (!m_headerPard || !(m_para == defaults))
            m_body.word("pard");
        if (s.depth >= 1)
            m_body.word("intbl");
        if (s.depth >= 2)
            m_body.word("itap", s.depth);
        if (s.list) {
            // The \pn form for readers that know only that one, the list's \ls for the others.
            writeListDestination(s.list);
            m_body.word("ls", listNumber(s.list));
        }
        if (s.rtl)
            m_body.word("rtlpar");
        if (s.keep)
            m_body.word("keep");
        if (s.first)
            m_body.word("fi", s.first);
        if (s.left)
            m_body.word("li", s.left);
        if (s.right)
            m_body.word("ri", s.right);
        if (s.before)
            m_body.word("sb", s.before);
        if (s.after)
            m_body.word("sa", s.after);
        if (s.lineSpacing) {
            m_body.word("sl", s.lineSpacing);
            m_body.word("slmult", s.lineMult);
        }
        for (const auto &tab : s.tabs) {
            static const char *kinds[] = {nullptr, "tqc", "tqr", "tqdec"};
            if (tab.second > 0)
                m_body.word(kinds[tab.second]);
            m_body.word("tx", tab.first);
        }
        if (s.align == 1)
            m_body.word("qc");
        else if (s.align == 2)
            m_body.word("qr");
        else if (s.align == 3)
            m_body.word("qj");
        m_para = s;
    }
    m_headerPard = false;
    if (block && s.list)
        writeListText(*block);
}

void RtfWriter::writeBlock(const QTextBlock &block, int depth, const char *endWord)
{
    applyParagraph(paraState(block, depth), &block);
    bool empty = true;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment frag = it.fragment();
        if (!frag.isValid())
            continue;
        const QTextCharFormat format = frag.charFormat();
        empty = false;
        if (format.isAnchor() && !format.anchorHref().isEmpty() && !format.isImageFormat()) {
            writeLink(format, frag.text());
            continue;
        }
        applyChar(format, frag.charFormatIndex());
        writeFragmentText(format, frag.text());
    }
    if (empty)
        applyChar(block.charFormat(), block.charFormatIndex()); // an empty line keeps its size
    // A page break before the next paragraph ends this one with \page.
    const QTextBlock next = block.next();
    const bool pageBreak = depth == 0 && std::string_view(endWord) == "par" && next.isValid()
        && ((next.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            || (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter))
        && !QTextCursor(next).currentTable();
    m_body.word(pageBreak ? "page" : endWord);
    if (depth == 0 || std::string_view(endWord) == "par")
        m_body.newline();
}

void RtfWriter::writeFragmentText(const QTextCharFormat &format, const QString &text)
{
    if (format.isImageFormat()) {
        for (QChar ch : text)
            if (ch == QChar::ObjectReplacementCharacter)
                writeImage(format.toImageFormat());
        return;
    }
    m_body.text(text, m_fonts.codePage(m_char.font));
}

void RtfWriter::writeLink(const QTextCharFormat &format, const QString &text)
{
    // {\field{\*\fldinst{HYPERLINK "url"}}{\fldrslt{text}}}; the group ends the result's
    // formatting, so the state after it is the one before.
    m_body.open();
    m_body.word("field");
    m_body.open();
    m_body.word("*");
    m_body.word("fldinst");
    m_body.open();
    m_body.text(QStringLiteral("HYPERLINK \"%1\"").arg(format.anchorHref()), 1252);
    m_body.close();
    m_body.close();
    m_body.open();
    m_body.word("fldrslt");
    m_body.open();
    const CharState saved = m_char;
    applyChar(format, -1);
    writeFragmentText(format, text);
    m_char = saved;
    m_body.close();
    m_body.close();
    m_body.close();
}

void RtfWriter::writeImage(const QTextImageFormat &format)
{
    QByteArray bytes;
    QSize size;
    // A picture from a JPEG file is written as that file; any other as PNG.
    const QByteArray jpeg = JpegPicture::bytesOf(format);
    const QSize jpegSize = JpegPicture::sizeOf(jpeg);
    if (jpegSize.isValid()) {
        bytes = jpeg;
        size = jpegSize;
    } else {
        const QVariant resource = m_doc.resource(QTextDocument::ImageResource, QUrl(format.name()));
        if (!pngOf(resource, &bytes, &size))
            return;
    }
    const int goalW = format.width() > 0 ? toTwips(format.width()) : toTwips(size.width());
    const int goalH = format.height() > 0 ? toTwips(format.height()) : toTwips(size.height());
    if (!jpegSize.isValid()) {
        // Reading keeps at most twice the shown size: a larger picture is written at what
        // reading keeps, so that the letter reads back as it was written.
        const auto shown = [](int goal, int pixels) {
            const double length = goal > 0 ? goal / RtfReader::kTwipsPerPixel : pixels;
            return std::clamp(length, 1.0, double(RtfPictureReader::kMaxPixels));
        };
        const QSize kept = RtfPictureReader::keptSize(size, QSizeF(shown(goalW, size.width()), shown(goalH, size.height())));
        if (kept != size && !shrunkPng(kept, &bytes, &size))
            return;
    }
    m_body.open();
    m_body.word("pict");
    m_body.word(jpegSize.isValid() ? "jpegblip" : "pngblip");
    m_body.word("picw", size.width());
    m_body.word("pich", size.height());
    m_body.word("picwgoal", goalW);
    m_body.word("pichgoal", goalH);
    m_body.newline();
    static const char hex[] = "0123456789abcdef";
    std::string line;
    line.reserve(130);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        line.push_back(hex[b >> 4]);
        line.push_back(hex[b & 15]);
        if (line.size() == 128) {
            m_body.raw(line);
            m_body.newline();
            line.clear();
        }
    }
    m_body.raw(line);
    m_body.close();
}

void RtfWriter::writeRowDefinition(QTextTable *table, int row, const QList<int> &boundaries)
{
    const QTextTableFormat tf = table->format();
    m_body.word("trowd");
    // The gap is half the space between cells: the cells' side padding. The row's other
    // padding follows where it is not what the gap alone says (the gap on both sides,
    // nothing above and below); cells that differ from the row say so themselves.
    const Padding rowPadding = paddingOf(*table, table->cellAt(row, 0));
    const int gap = rowPadding[1];
    m_body.word("trgaph", gap);
    m_body.word("trleft", boundaries.value(0));
    const Qt::Alignment align = tf.alignment() & Qt::AlignHorizontal_Mask;
    if (align & Qt::AlignHCenter)
        m_body.word("trqc");
    else if (align & Qt::AlignRight)
        m_body.word("trqr");
    writePadding("trpadd", rowPadding, {0, gap, 0, gap});
    for (int c = 0; c < table->columns(); ++c) {
        const QTextTableCell cell = table->cellAt(row, c);
        if (!cell.isValid())
            continue;
        if (cell.row() != row)
            m_body.word("clvmrg");
        else if (cell.rowSpan() > 1)
            m_body.word("clvmgf");
        if (cell.column() != c)
            m_body.word("clmrg");
        else if (cell.columnSpan() > 1)
            m_body.word("clmgf");
        const QTextTableCellFormat cf = cell.format().toTableCellFormat();
        // A table-wide border (pasted HTML, documents built in code) stands for every
        // side a cell does not set, in the table's style and colour.
        const QMarginsF border = TableGeometry::borders(*table, cell);
        const qreal borderWidths[] = {border.top(), border.left(), border.bottom(), border.right()};
        static const char *sides[] = {"clbrdrt", "clbrdrl", "clbrdrb", "clbrdrr"};
        static const int ownWidths[] = {QTextFormat::TableCellTopBorder, QTextFormat::TableCellLeftBorder,
                                        QTextFormat::TableCellBottomBorder, QTextFormat::TableCellRightBorder};
        static const int styles[] = {QTextFormat::TableCellTopBorderStyle, QTextFormat::TableCellLeftBorderStyle,
                                     QTextFormat::TableCellBottomBorderStyle, QTextFormat::TableCellRightBorderStyle};
        static const int brushes[] = {QTextFormat::TableCellTopBorderBrush, QTextFormat::TableCellLeftBorderBrush,
                                      QTextFormat::TableCellBottomBorderBrush, QTextFormat::TableCellRightBorderBrush};
        for (int side = 0; side < 4; ++side) {
            const int width = toTwips(borderWidths[side]);
            if (width <= 0)
                continue;
            m_body.word(sides[side]);
            const bool tableBorder = !cf.hasProperty(ownWidths[side]);
            switch (cf.hasProperty(styles[side]) ? cf.intProperty(styles[side])
                    : tableBorder                ? tf.borderStyle()
                                                 : QTextFrameFormat::BorderStyle_Solid) {
            case QTextFrameFormat::BorderStyle_Double: m_body.word("brdrdb"); break;
            case QTextFrameFormat::BorderStyle_Dotted: m_body.word("brdrdot"); break;
            case QTextFrameFormat::BorderStyle_Dashed: m_body.word("brdrdash"); break;
            default: m_body.word("brdrs"); break;
            }
            m_body.word("brdrw", width);
            const QBrush brush = cf.hasProperty(brushes[side]) ? cf.brushProperty(brushes[side])
                : tableBorder                                  ? tf.borderBrush()
                                                               : QBrush();
            if (brush.style() != Qt::NoBrush && brush.color() != QColor(Qt::black))
                m_body.word("brdrcf", m_colors.indexOf(brush.color()));
        }
        if (cf.background().style() != Qt::NoBrush)
            m_body.word("clcbpat", m_colors.indexOf(cf.background().color()));
        if (cf.verticalAlignment() == QTextCharFormat::AlignMiddle)
            m_body.word("clvertalc");
        else if (cf.verticalAlignment() == QTextCharFormat::AlignBottom)
            m_body.word("clvertalb");
        if (cell.row() == row && cell.column() == c)
            writePadding("clpad", paddingOf(*table, cell), rowPadding);
        m_body.word("cellx", boundaries.value(c + 1));
    }
}

RtfWriter::Padding RtfWriter::paddingOf(const QTextTable &table, const QTextTableCell &cell)
{
    const QMarginsF m = TableGeometry::padding(table, cell);
    return {toTwips(m.top()), toTwips(m.left()), toTwips(m.bottom()), toTwips(m.right())};
}

void RtfWriter::writePadding(std::string_view prefix, const Padding &sides, const Padding &defaults)
{
    // \trpaddt90\trpaddft3: the value, then its unit (3: twips).
    static constexpr char kSides[] = "tlbr";
    for (size_t s = 0; s < sides.size(); ++s) {
        if (sides[s] == defaults[s])
            continue;
        std::string word(prefix);
        m_body.word(word + kSides[s], sides[s]);
        m_body.word(word + 'f' + kSides[s], 3);
    }
}

void RtfWriter::writeEmptyCell(int depth)
{
    ParaState s;
    s.depth = depth;
    if (!(m_para == s))
        applyParagraph(s, nullptr);
    m_body.word(depth >= 2 ? "nestcell" : "cell");
}

void RtfWriter::writeCell(const QTextTableCell &cell, int depth)
{
    // Every paragraph of the cell but the last ends with \par, the last with \cell.
    std::vector<std::pair<QTextFrame *, QTextBlock>> items;
    for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it)
        items.emplace_back(it.currentFrame(), it.currentBlock());
    const char *cellWord = depth >= 2 ? "nestcell" : "cell";
    if (items.empty()) {
        writeEmptyCell(depth);
        return;
    }
    for (size_t i = 0; i < items.size(); ++i) {
        if (QTextFrame *child = items[i].first) {
            if (auto *table = qobject_cast<QTextTable *>(child))
                writeTable(table, depth + 1);
            else
                writeFrame(child, depth);
            if (i + 1 == items.size())
                writeEmptyCell(depth);
        } else {
            writeBlock(items[i].second, depth, i + 1 == items.size() ? cellWord : "par");
        }
    }
}

void RtfWriter::writeTable(QTextTable *table, int depth)
{
    const int columns = table->columns();
    const QList<int> boundaries = columnBoundaries(*table);
    for (int r = 0; r < table->rows(); ++r) {
        if (depth < 2) {
            writeRowDefinition(table, r, boundaries);
            m_body.newline();
        }
        for (int c = 0; c < columns; ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.isValid() && cell.row() == r && cell.column() == c)
                writeCell(cell, depth);
            else
                writeEmptyCell(depth);
        }
        if (depth < 2) {
            m_body.word("row");
            m_body.newline();
        } else {
            m_body.open();
            m_body.word("*");
            m_body.word("nesttableprops");
            writeRowDefinition(table, r, boundaries);
            m_body.word("nestrow");
            m_body.close();
            m_body.open();
            m_body.word("nonesttables");
            m_body.word("par");
            m_body.close();
            m_body.newline();
        }
    }
}

QList<int> RtfWriter::columnBoundaries(const QTextTable &table) const
{
    // Column boundaries in twips. Fixed widths are written as they are; a table whose
    // columns size themselves (pasted HTML mostly) keeps the widths the layout gives it,
    // so a compact table stays compact. Without a layout to ask, such columns share what
    // is left of the document's width.
    const int columns = table.columns();
    const QTextTableFormat tf = table.format();
    const QList<QTextLength> widths = tf.columnWidthConstraints();
    const bool allFixed = widths.size() >= columns
        && std::all_of(widths.begin(), widths.begin() + columns,
                       [](const QTextLength &l) { return l.type() == QTextLength::FixedLength; });
    QList<int> boundaries{toTwips(tf.leftMargin())};
    if (!allFixed) {
        const QList<qreal> edges = TableGeometry::columnEdges(m_doc, table);
        if (edges.size() == columns + 1) {
            for (int c = 1; c <= columns; ++c)
                boundaries.append(toTwips(tf.leftMargin() + edges[c]));
            return boundaries;
        }
    }
    const qreal pageWidth = m_doc.textWidth() > 0 ? m_doc.textWidth() : kDefaultTableWidth;
    // A column's width where the format gives one, else -1.
    auto given = [pageWidth](const QTextLength &l) {
        return l.type() == QTextLength::FixedLength        ? l.rawValue()
            : l.type() == QTextLength::PercentageLength ? l.rawValue() * pageWidth / 100
                                                        : -1.0;
    };
    qreal fixed = 0;
    int variable = 0;
    for (int c = 0; c < columns; ++c) {
        const qreal w = given(widths.value(c));
        if (w >= 0)
            fixed += w;
        else
            ++variable;
    }
    const qreal share = variable > 0 ? std::max<qreal>(pageWidth - fixed, variable * 20) / variable : 0;
    qreal x = tf.leftMargin();
    for (int c = 0; c < columns; ++c) {
        const qreal w = given(widths.value(c));
        x += w >= 0 ? w : share;
        boundaries.append(toTwips(x));
    }
    return boundaries;
}
