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
    : doc_(doc)
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
    const QString defaultFamily = doc_.defaultFont().family();
    fonts_.indexOf(defaultFamily, RtfFontTable::charsetOfFamily(defaultFamily));
    writeFrame(doc_.rootFrame(), 0);

    RtfOutput head;
    head.raw("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033");
    fonts_.write(head);
    head.newline();
    colors_.write(head);
    head.newline();
    writeListTable(head);
    head.raw("\\viewkind4\\uc1\\pard");
    std::string out = std::move(head.bytes());
    out.append(body_.bytes());
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
    const QFont defaultFont = doc_.defaultFont();
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
    s.font = fonts_.indexOf(family, charset);
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
        s.color = colors_.indexOf(format.foreground().color());
    if (format.background().style() != Qt::NoBrush)
        s.highlight = colors_.indexOf(format.background().color());
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
        auto it = charCache_.find(formatIndex);
        if (it == charCache_.end())
            it = charCache_.emplace(formatIndex, charState(format)).first;
        s = it->second;
    } else {
        s = charState(format);
    }
    CharState &c = char_;
    if (s.font != c.font)
        body_.word("f", s.font);
    if (s.halfPoints != c.halfPoints)
        body_.word("fs", s.halfPoints);
    if (s.color != c.color)
        body_.word("cf", s.color);
    if (s.highlight != c.highlight)
        body_.word("highlight", s.highlight);
    if (s.bold != c.bold)
        s.bold ? body_.word("b") : body_.word("b", 0);
    if (s.italic != c.italic)
        s.italic ? body_.word("i") : body_.word("i", 0);
    if (s.underline != c.underline) {
        switch (s.underline) {
        case QTextCharFormat::NoUnderline: body_.word("ulnone"); break;
        case QTextCharFormat::DashUnderline: body_.word("uldash"); break;
        case QTextCharFormat::DotLine: body_.word("uld"); break;
        case QTextCharFormat::DashDotLine: body_.word("uldashd"); break;
        case QTextCharFormat::DashDotDotLine: body_.word("uldashdd"); break;
        case QTextCharFormat::WaveUnderline: body_.word("ulwave"); break;
        default: body_.word("ul"); break;
        }
    }
    if (s.strike != c.strike)
        s.strike ? body_.word("strike") : body_.word("strike", 0);
    if (s.vertical != c.vertical) {
        if (s.vertical == QTextCharFormat::AlignSuperScript)
            body_.word("super");
        else if (s.vertical == QTextCharFormat::AlignSubScript)
            body_.word("sub");
        else
            body_.word("nosupersub");
    }
    if (s.baseline != c.baseline) {
        if (s.baseline > 0)
            body_.word("up", s.baseline);
        else if (s.baseline < 0)
            body_.word("dn", -s.baseline);
        else
            body_.word(c.baseline > 0 ? "up" : "dn", 0);
    }
    if (s.lang != c.lang)
        body_.word("lang", s.lang);
    if (s.caps != c.caps) {
        if (c.caps == QFont::AllUppercase)
            body_.word("caps", 0);
        else if (c.caps == QFont::SmallCaps)
            body_.word("scaps", 0);
        if (s.caps == QFont::AllUppercase)
            body_.word("caps");
        else if (s.caps == QFont::SmallCaps)
            body_.word("scaps");
    }
    c = s;
}

RtfWriter::ParaState RtfWriter::paraState(const QTextBlock &block, int depth)
{
    // The format's part is worked out once per distinct block format.
    const int index = block.blockFormatIndex();
    auto cached = paraCache_.find(index);
    if (cached == paraCache_.end())
        cached = paraCache_.emplace(index, formatParaState(block.blockFormat())).first;
    ParaState s = cached->second;
    s.depth = depth;
    s.list = block.textList();
    if (s.list) {
        // The list's own indentation steps are part of the paragraph's left indent; the
        // marker hangs in the first-line indent.
        s.left += toTwips(s.list->format().indent() * doc_.indentWidth());
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
    s.left = toTwips(f.leftMargin() + f.indent() * doc_.indentWidth());
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
    body_.open();
    body_.word("*");
    body_.word("pn");
    switch (lf.style()) {
    case QTextListFormat::ListDecimal:
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha:
    case QTextListFormat::ListLowerRoman:
    case QTextListFormat::ListUpperRoman: {
        body_.word("pnlvlbody");
        body_.word("pnf", 0);
        body_.word("pnindent", 0);
        const QVariant start = lf.property(RtfReader::ListStartProperty);
        body_.word("pnstart", start.isValid() ? start.toInt() : 1);
        switch (lf.style()) {
        case QTextListFormat::ListLowerAlpha: body_.word("pnlcltr"); break;
        case QTextListFormat::ListUpperAlpha: body_.word("pnucltr"); break;
        case QTextListFormat::ListLowerRoman: body_.word("pnlcrm"); break;
        case QTextListFormat::ListUpperRoman: body_.word("pnucrm"); break;
        default: body_.word("pndec"); break;
        }
        if (!lf.numberPrefix().isEmpty()) {
            body_.open();
            body_.word("pntxtb");
            body_.text(lf.numberPrefix(), 1252);
            body_.close();
        }
        const QString suffix = lf.hasProperty(QTextFormat::ListNumberSuffix) ? lf.numberSuffix() : QStringLiteral(".");
        if (!suffix.isEmpty()) {
            body_.open();
            body_.word("pntxta");
            body_.text(suffix, 1252);
            body_.close();
        }
        break;
    }
    default: {
        const BulletMark mark = bulletMark(lf.style());
        body_.word("pnlvlblt");
        body_.word("pnf", mark.font);
        body_.word("pnindent", 0);
        body_.open();
        body_.word("pntxtb");
        body_.raw(mark.bytes);
        body_.close();
        break;
    }
    }
    body_.close();
}

int RtfWriter::listNumber(const QTextList *list)
{
    const auto [it, added] = listNumbers_.try_emplace(list, static_cast<int>(lists_.size()) + 1);
    if (added)
        lists_.push_back(list);
    return it->second;
}

void RtfWriter::writeListTable(RtfOutput &out)
{
    // One single-level list per QTextList, and an override \lsN naming it, as Word
    // writes its lists: its items stay one list across the paragraphs between them.
    if (lists_.empty())
        return;
    out.open();
    out.word("*");
    out.word("listtable");
    for (size_t i = 0; i < lists_.size(); ++i) {
        const QTextListFormat lf = lists_[i]->format();
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
        const int left = lists_[i]->count() > 0 ? toTwips(lists_[i]->item(0).blockFormat().leftMargin()) : 0;
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
    for (size_t i = 0; i < lists_.size(); ++i) {
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
        return {fonts_.indexOf(QStringLiteral("Courier New"), 0), " o"}; // the space ends the control word
    if (style == QTextListFormat::ListSquare)
        return {fonts_.indexOf(QStringLiteral("Wingdings"), 2), "\\'a7"};
    return {fonts_.indexOf(QStringLiteral("Symbol"), 2), "\\'b7"};
}

void RtfWriter::writeListText(const QTextBlock &block)
{
    // The marker as text, for readers that do not number themselves; the list draws its
    // own marker, so readers drop this group.
    const QTextList *list = block.textList();
    body_.open();
    body_.word("pntext");
    switch (list->format().style()) {
    case QTextListFormat::ListDecimal:
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha:
    case QTextListFormat::ListLowerRoman:
    case QTextListFormat::ListUpperRoman:
        body_.word("f", 0);
        body_.text(list->itemText(block), 1252);
        break;
    default: {
        const BulletMark mark = bulletMark(list->format().style());
        body_.word("f", mark.font);
        body_.raw(mark.bytes);
        break;
    }
    }
    body_.word("tab");
    body_.close();
}

void RtfWriter::applyParagraph(const ParaState &s, const QTextBlock *block)
{
    const ParaState defaults;
    if (!(s == para_) || (headerPard_ && !(s == defaults))) {
        if (!headerPard_ || !(para_ == defaults))
            body_.word("pard");
        if (s.depth >= 1)
            body_.word("intbl");
        if (s.depth >= 2)
            body_.word("itap", s.depth);
        if (s.list) {
            // The \pn form for readers that know only that one, the list's \ls for the others.
            writeListDestination(s.list);
            body_.word("ls", listNumber(s.list));
        }
        if (s.rtl)
            body_.word("rtlpar");
        if (s.keep)
            body_.word("keep");
        if (s.first)
            body_.word("fi", s.first);
        if (s.left)
            body_.word("li", s.left);
        if (s.right)
            body_.word("ri", s.right);
        if (s.before)
            body_.word("sb", s.before);
        if (s.after)
            body_.word("sa", s.after);
        if (s.lineSpacing) {
            body_.word("sl", s.lineSpacing);
            body_.word("slmult", s.lineMult);
        }
        for (const auto &tab : s.tabs) {
            static const char *kinds[] = {nullptr, "tqc", "tqr", "tqdec"};
            if (tab.second > 0)
                body_.word(kinds[tab.second]);
            body_.word("tx", tab.first);
        }
        if (s.align == 1)
            body_.word("qc");
        else if (s.align == 2)
            body_.word("qr");
        else if (s.align == 3)
            body_.word("qj");
        para_ = s;
    }
    headerPard_ = false;
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
    body_.word(pageBreak ? "page" : endWord);
    if (depth == 0 || std::string_view(endWord) == "par")
        body_.newline();
}

void RtfWriter::writeFragmentText(const QTextCharFormat &format, const QString &text)
{
    if (format.isImageFormat()) {
        for (QChar ch : text)
            if (ch == QChar::ObjectReplacementCharacter)
                writeImage(format.toImageFormat());
        return;
    }
    body_.text(text, fonts_.codePage(char_.font));
}

void RtfWriter::writeLink(const QTextCharFormat &format, const QString &text)
{
    // {\field{\*\fldinst{HYPERLINK "url"}}{\fldrslt{text}}}; the group ends the result's
    // formatting, so the state after it is the one before.
    body_.open();
    body_.word("field");
    body_.open();
    body_.word("*");
    body_.word("fldinst");
    body_.open();
    body_.text(QStringLiteral("HYPERLINK \"%1\"").arg(format.anchorHref()), 1252);
    body_.close();
    body_.close();
    body_.open();
    body_.word("fldrslt");
    body_.open();
    const CharState saved = char_;
    applyChar(format, -1);
    writeFragmentText(format, text);
    char_ = saved;
    body_.close();
    body_.close();
    body_.close();
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
        const QVariant resource = doc_.resource(QTextDocument::ImageResource, QUrl(format.name()));
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
    body_.open();
    body_.word("pict");
    body_.word(jpegSize.isValid() ? "jpegblip" : "pngblip");
    body_.word("picw", size.width());
    body_.word("pich", size.height());
    body_.word("picwgoal", goalW);
    body_.word("pichgoal", goalH);
    body_.newline();
    static const char hex[] = "0123456789abcdef";
    std::string line;
    line.reserve(130);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        line.push_back(hex[b >> 4]);
        line.push_back(hex[b & 15]);
        if (line.size() == 128) {
            body_.raw(line);
            body_.newline();
            line.clear();
        }
    }
    body_.raw(line);
    body_.close();
}

void RtfWriter::writeRowDefinition(QTextTable *table, int row, const QList<int> &boundaries)
{
    const QTextTableFormat tf = table->format();
    body_.word("trowd");
    // The gap is half the space between cells: the cells' side padding. The row's other
    // padding follows where it is not what the gap alone says (the gap on both sides,
    // nothing above and below); cells that differ from the row say so themselves.
    const Padding rowPadding = paddingOf(*table, table->cellAt(row, 0));
    const int gap = rowPadding[1];
    body_.word("trgaph", gap);
    body_.word("trleft", boundaries.value(0));
    const Qt::Alignment align = tf.alignment() & Qt::AlignHorizontal_Mask;
    if (align & Qt::AlignHCenter)
        body_.word("trqc");
    else if (align & Qt::AlignRight)
        body_.word("trqr");
    writePadding("trpadd", rowPadding, {0, gap, 0, gap});
    for (int c = 0; c < table->columns(); ++c) {
        const QTextTableCell cell = table->cellAt(row, c);
        if (!cell.isValid())
            continue;
        if (cell.row() != row)
            body_.word("clvmrg");
        else if (cell.rowSpan() > 1)
            body_.word("clvmgf");
        if (cell.column() != c)
            body_.word("clmrg");
        else if (cell.columnSpan() > 1)
            body_.word("clmgf");
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
            body_.word(sides[side]);
            const bool tableBorder = !cf.hasProperty(ownWidths[side]);
            switch (cf.hasProperty(styles[side]) ? cf.intProperty(styles[side])
                    : tableBorder                ? tf.borderStyle()
                                                 : QTextFrameFormat::BorderStyle_Solid) {
            case QTextFrameFormat::BorderStyle_Double: body_.word("brdrdb"); break;
            case QTextFrameFormat::BorderStyle_Dotted: body_.word("brdrdot"); break;
            case QTextFrameFormat::BorderStyle_Dashed: body_.word("brdrdash"); break;
            default: body_.word("brdrs"); break;
            }
            body_.word("brdrw", width);
            const QBrush brush = cf.hasProperty(brushes[side]) ? cf.brushProperty(brushes[side])
                : tableBorder                                  ? tf.borderBrush()
                                                               : QBrush();
            if (brush.style() != Qt::NoBrush && brush.color() != QColor(Qt::black))
                body_.word("brdrcf", colors_.indexOf(brush.color()));
        }
        if (cf.background().style() != Qt::NoBrush)
            body_.word("clcbpat", colors_.indexOf(cf.background().color()));
        if (cf.verticalAlignment() == QTextCharFormat::AlignMiddle)
            body_.word("clvertalc");
        else if (cf.verticalAlignment() == QTextCharFormat::AlignBottom)
            body_.word("clvertalb");
        if (cell.row() == row && cell.column() == c)
            writePadding("clpad", paddingOf(*table, cell), rowPadding);
        body_.word("cellx", boundaries.value(c + 1));
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
        body_.word(word + kSides[s], sides[s]);
        body_.word(word + 'f' + kSides[s], 3);
    }
}

void RtfWriter::writeEmptyCell(int depth)
{
    ParaState s;
    s.depth = depth;
    if (!(para_ == s))
        applyParagraph(s, nullptr);
    body_.word(depth >= 2 ? "nestcell" : "cell");
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
            body_.newline();
        }
        for (int c = 0; c < columns; ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.isValid() && cell.row() == r && cell.column() == c)
                writeCell(cell, depth);
            else
                writeEmptyCell(depth);
        }
        if (depth < 2) {
            body_.word("row");
            body_.newline();
        } else {
            body_.open();
            body_.word("*");
            body_.word("nesttableprops");
            writeRowDefinition(table, r, boundaries);
            body_.word("nestrow");
            body_.close();
            body_.open();
            body_.word("nonesttables");
            body_.word("par");
            body_.close();
            body_.newline();
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
        const QList<qreal> edges = TableGeometry::columnEdges(doc_, table);
        if (edges.size() == columns + 1) {
            for (int c = 1; c <= columns; ++c)
                boundaries.append(toTwips(tf.leftMargin() + edges[c]));
            return boundaries;
        }
    }
    const qreal pageWidth = doc_.textWidth() > 0 ? doc_.textWidth() : kDefaultTableWidth;
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
