#include "richtext/reading/RtfParser.h"

#include "os/MessagePump.h"
#include "richtext/reading/SymbolCharacters.h"

#include <QTextDocument>
#include <algorithm>

namespace {

using K = RtfKeyword;
using Type = RtfTokenizer::Type;

constexpr int kMaxTwips = 31680 * 4;
constexpr size_t kMaxDestinationBytes = 4096;
constexpr size_t kPumpBytes = 256 * 1024;

int twips(int v)
{
    return std::clamp(v, -kMaxTwips, kMaxTwips);
}

// Characters that would break the document's structure if inserted as text.
bool isStructural(char32_t c)
{
    return (c < 0x20 && c != '\t') || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1 || c == 0xFFFC || c == 0xFFFE
        || c == 0xFFFF;
}

} // namespace

RtfParser::RtfParser(QTextDocument *doc) : m_builder(doc, m_formats)
{
    m_stack.reserve(64);
}

void RtfParser::parse(std::string_view bytes)
{
    RtfTokenizer tokens(bytes);
    size_t nextPump = kPumpBytes;
    bool started = false;
    for (;;) {
        RtfTokenizer::Token t = tokens.next();
        if (t.type == Type::End)
            break;
        if (tokens.position() >= nextPump) {
            MessagePump::serve();
            nextPump = tokens.position() + kPumpBytes;
        }
        if (!started) {
            // Everything before the first brace is not RTF.
            if (t.type != Type::GroupOpen)
                continue;
            started = true;
            m_stack.emplace_back();
            continue;
        }
        if (m_skipUnits > 0) {
            // Fallback characters after \uN; never past a brace.
            if (t.type == Type::GroupOpen || t.type == Type::GroupClose) {
                m_skipUnits = 0;
            } else if (t.type == Type::Text) {
                const size_t skip = std::min(t.text.size(), static_cast<size_t>(m_skipUnits));
                m_skipUnits -= static_cast<int>(skip);
                t.text.remove_prefix(skip);
                if (t.text.empty())
                    continue;
            } else {
                --m_skipUnits;
                continue;
            }
        }
        switch (t.type) {
        case Type::GroupOpen:
            pushGroup();
            break;
        case Type::GroupClose:
            popGroup();
            break;
        case Type::Word:
            onWord(t);
            break;
        case Type::Symbol:
            onSymbol(t.symbol);
            break;
        case Type::Hex:
            m_ignorable = false;
            onByte(t.byte);
            break;
        case Type::Text:
            m_ignorable = false;
            onText(t.text);
            break;
        case Type::Binary:
            m_ignorable = false;
            onBinary(t.text);
            break;
        case Type::ParagraphBreak:
            m_ignorable = false;
            if (state().destination == RtfDestination::Normal)
                endParagraph();
            break;
        case Type::End:
            break;
        }
        if (m_stack.empty())
            break; // the outermost group closed: trailing bytes are not read
    }
    // A cut-off text: close what is open.
    m_overflow = 0;
    while (!m_stack.empty())
        popGroup();
    m_builder.finish();
    if (!m_notes.empty())
        m_builder.addNotes(std::move(m_notes));
}

void RtfParser::pushGroup()
{
    m_ignorable = false;
    if (m_stack.size() >= kMaxGroupDepth) {
        ++m_overflow;
        return;
    }
    m_stack.push_back(m_stack.back());
}

void RtfParser::popGroup()
{
    m_ignorable = false;
    if (m_overflow > 0) {
        --m_overflow;
        return;
    }
    if (m_stack.empty())
        return;
    if (m_stack.size() == 1) {
        // The outermost group: its last paragraph needs no \par.
        flushRun();
        if (!m_paragraph.runs.empty())
            endParagraph();
        m_stack.pop_back();
        return;
    }
    const RtfGroupState closing = m_stack.back();
    m_stack.pop_back();
    RtfGroupState &parent = m_stack.back();
    const RtfDestination d = closing.destination;
    if (d == RtfDestination::FontTable) {
        finishFont();
        return;
    }
    if (closing.footnote && !parent.footnote) {
        endFootnote(closing);
        return;
    }
    if (closing.listText && !parent.listText && d == RtfDestination::Normal) {
        flushRun();
        m_listTextEnd = static_cast<int>(m_paragraph.runs.size());
    }
    if (d == parent.destination)
        return;
    switch (d) {
    case RtfDestination::Picture:
        finishPicture(closing);
        break;
    case RtfDestination::Pn:
        parent.para.list = closing.para.list;
        break;
    case RtfDestination::PnTextBefore:
    case RtfDestination::PnTextAfter: {
        QString text = takeDestinationText(m_formats.codePageOf(closing.chars.font)).left(32);
        if (d == RtfDestination::PnTextBefore)
            parent.para.list.before = text;
        else
            parent.para.list.after = text;
        break;
    }
    case RtfDestination::FieldInstruction:
        finishFieldInstruction();
        break;
    case RtfDestination::LevelText:
        m_levelText = m_destinationText;
        m_levelBytes = m_destinationBytes;
        m_destinationText.clear();
        m_destinationBytes.clear();
        break;
    case RtfDestination::ListLevel:
        finishListLevel(closing);
        break;
    case RtfDestination::List:
        m_lists.endList();
        break;
    case RtfDestination::ListOverride:
        m_lists.endOverride();
        break;
    default:
        break;
    }
}

bool RtfParser::acceptsText()
{
    const RtfGroupState &s = state();
    return s.destination == RtfDestination::Normal && !s.chars.hidden;
}

void RtfParser::onText(std::string_view text)
{
    RtfGroupState &s = state();
    switch (s.destination) {
    case RtfDestination::Normal:
        if (s.chars.hidden)
            return;
        m_highSurrogate = 0;
        ensureRun();
        m_runBytes.append(text);
        return;
    case RtfDestination::FontTable:
        for (const char c : text) {
            if (c == ';') {
                finishFont();
                m_fontIdValid = false;
            } else if (m_fontIdValid && m_destinationBytes.size() < kMaxDestinationBytes) {
                m_destinationBytes.push_back(c);
            }
        }
        return;
    case RtfDestination::ColorTable:
        for (const char c : text) {
            if (c == ';') {
                m_formats.addColor(m_colorGiven ? QColor(m_red, m_green, m_blue) : QColor());
                m_red = m_green = m_blue = 0;
                m_colorGiven = false;
            }
        }
        return;
    case RtfDestination::Picture:
        m_picture.addHex(text);
        return;
    case RtfDestination::PnTextBefore:
    case RtfDestination::PnTextAfter:
    case RtfDestination::FieldInstruction:
    case RtfDestination::LevelText:
        if (m_destinationBytes.size() + text.size() <= kMaxDestinationBytes)
            m_destinationBytes.append(text);
        return;
    default:
        return;
    }
}

void RtfParser::onByte(uint8_t byte)
{
    if (state().destination == RtfDestination::LevelText) {
        // A level's label counts its length and marks its numbers with control bytes.
        if (m_destinationBytes.size() < kMaxDestinationBytes)
            m_destinationBytes.push_back(static_cast<char>(byte));
        return;
    }
    if (byte < 0x20 && byte != '\t')
        return; // control bytes carry no text
    const char c = static_cast<char>(byte);
    RtfGroupState &s = state();
    if (s.destination == RtfDestination::Normal) {
        if (s.chars.hidden)
            return;
        m_highSurrogate = 0;
        ensureRun();
        m_runBytes.push_back(c);
        return;
    }
    if (s.destination == RtfDestination::FontTable || s.destination == RtfDestination::PnTextBefore
        || s.destination == RtfDestination::PnTextAfter || s.destination == RtfDestination::FieldInstruction) {
        if ((s.destination != RtfDestination::FontTable || m_fontIdValid) && m_destinationBytes.size() < kMaxDestinationBytes)
            m_destinationBytes.push_back(c);
    }
}

void RtfParser::onBinary(std::string_view bytes)
{
    if (state().destination == RtfDestination::Picture)
        m_picture.addBinary(bytes);
    else if (state().destination == RtfDestination::Normal && m_skipUnits > 0)
        --m_skipUnits;
}

void RtfParser::onSymbol(char symbol)
{
    m_ignorable = symbol == '*';
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        onText(std::string_view(&symbol, 1));
        break;
    case '~':
        appendChar(0x00A0);
        break;
    case '-':
        appendChar(0x00AD);
        break;
    case '_':
        appendChar(0x2011);
        break;
    case '\t':
        appendChar('\t');
        break;
    default:
        break;
    }
}

void RtfParser::onWord(const RtfTokenizer::Token &t)
{
    const bool ignorable = m_ignorable;
    m_ignorable = false;
    const RtfKeywordInfo info = rtfKeyword(t.name);
    RtfGroupState &s = state();
    const RtfDestination d = s.destination;
    if (d == RtfDestination::Skip)
        return;
    if (info.keyword == K::Unknown) {
        if (ignorable)
            s.destination = RtfDestination::Skip;
        return;
    }
    if (d == RtfDestination::Object) {
        if (info.keyword == K::Result)
            s.destination = RtfDestination::Normal;
        return;
    }
    const RtfKeyword k = info.keyword;
    const int p = t.parameter;
    const bool has = t.hasParameter;
    RtfWordFamily family = info.family;
    if (d == RtfDestination::Picture) {
        // Inside a picture every other word describes the picture.
        if (family != RtfWordFamily::Document)
            family = RtfWordFamily::Picture;
    } else if (d == RtfDestination::FontTable || d == RtfDestination::ColorTable) {
        // The tables hold their entries and destinations, no text.
        if (family != RtfWordFamily::Document && family != RtfWordFamily::Destination)
            return;
    }
    switch (family) {
    case RtfWordFamily::None:
        break;
    case RtfWordFamily::Document:
        onDocumentWord(k, p);
        break;
    case RtfWordFamily::Destination:
        onDestinationWord(k);
        break;
    case RtfWordFamily::Character:
        onCharacterWord(k, has, p);
        break;
    case RtfWordFamily::Symbol:
        if (k == K::Char)
            appendChar(info.character);
        else
            appendFootnoteMark();
        break;
    case RtfWordFamily::Paragraph:
        onParagraphWord(k, has, p);
        break;
    case RtfWordFamily::List:
        if (!onListWord(k, p))
            onParagraphWord(k, has, p);
        break;
    case RtfWordFamily::Table:
        onTableWord(k, p);
        break;
    case RtfWordFamily::Picture:
        // Picture words outside a picture are ignored.
        if (d == RtfDestination::Picture)
            onPictureWord(k, p);
        break;
    }
}

void RtfParser::onDocumentWord(RtfKeyword k, int p)
{
    RtfGroupState &s = state();
    const RtfDestination d = s.destination;
    switch (k) {
    case K::Rtf:
    case K::Ansi:
        break;
    case K::Mac:
        m_formats.ansiCodePage = 10000;
        break;
    case K::Pc:
        m_formats.ansiCodePage = 437;
        break;
    case K::Pca:
        m_formats.ansiCodePage = 850;
        break;
    case K::AnsiCodePage:
        if (RtfTextDecoder::isSupported(p))
            m_formats.ansiCodePage = p;
        break;
    case K::DefaultFont:
        m_defaultFont = p;
        if (s.chars.font < 0)
            s.chars.font = p;
        break;
    case K::Font:
        if (d == RtfDestination::FontTable) {
            finishFont();
            // An entry for a font that text was already read in is skipped (see useFont).
            m_fontId = p;
            m_fontIdValid = !m_formats.isUsed(p);
            if (m_fontIdValid)
                m_formats.font(p);
        } else {
            s.chars.font = p;
        }
        break;
    case K::FontCharset:
        if (d == RtfDestination::FontTable && m_fontIdValid)
            m_formats.font(m_fontId).charset = std::clamp(p, 0, 255);
        break;
    case K::FontCodePage:
        if (d == RtfDestination::FontTable && m_fontIdValid)
            m_formats.font(m_fontId).codePage = std::clamp(p, 0, 65535);
        break;
    case K::Red:
    case K::Green:
    case K::Blue:
        if (d == RtfDestination::ColorTable) {
            const int v = std::clamp(p, 0, 255);
            (k == K::Red ? m_red : k == K::Green ? m_green : m_blue) = v;
            m_colorGiven = true;
        }
        break;
    case K::Unicode:
        if (d == RtfDestination::Normal) {
            if (!s.chars.hidden)
                appendUnicode(p);
        } else if (d == RtfDestination::PnTextBefore || d == RtfDestination::PnTextAfter
                   || d == RtfDestination::FontTable || d == RtfDestination::FieldInstruction
                   || d == RtfDestination::LevelText) {
            const int v = p < 0 ? p + 65536 : p;
            if (v > 0 && v < 0x10000 && !(v >= 0xD800 && v < 0xE000))
                appendDestinationChar(static_cast<char32_t>(v));
        }
        m_skipUnits = s.unicodeSkip;
        break;
    case K::UnicodeSkip:
        s.unicodeSkip = std::clamp(p, 0, 16);
        break;
    default:
        break;
    }
}

void RtfParser::onDestinationWord(RtfKeyword k)
{
    RtfGroupState &s = state();
    switch (k) {
    case K::FontTable:
        s.destination = RtfDestination::FontTable;
        m_fontIdValid = false;
        break;
    case K::ColorTable:
        s.destination = RtfDestination::ColorTable;
        m_colorGiven = false;
        m_red = m_green = m_blue = 0;
        break;
    case K::SkipDestination:
    case K::PnText:
    case K::NonShpPict:
    case K::NonNestTables:
        s.destination = RtfDestination::Skip;
        break;
    case K::Pict:
        s.destination = RtfDestination::Picture;
        m_picture.reset();
        break;
    case K::Pn:
        s.destination = RtfDestination::Pn;
        s.para.list = RtfListProps();
        break;
    case K::PnTextAfter:
    case K::PnTextBefore:
        s.destination = k == K::PnTextAfter ? RtfDestination::PnTextAfter : RtfDestination::PnTextBefore;
        m_destinationBytes.clear();
        m_destinationText.clear();
        break;
    case K::Field:
        m_fieldLink = -1;
        break;
    case K::FieldInstruction:
        s.destination = RtfDestination::FieldInstruction;
        m_destinationBytes.clear();
        m_destinationText.clear();
        break;
    case K::FieldResult:
        s.destination = RtfDestination::Normal;
        if (m_fieldLink >= 0)
            s.chars.link = m_fieldLink;
        break;
    case K::ShpPict:
        s.destination = RtfDestination::Normal;
        break;
    case K::ListText:
        s.destination = RtfDestination::Normal;
        if (!s.listText) {
            // The writer's rendering of a list item's label: kept aside until the
            // paragraph tells whether its list is known.
            flushRun();
            s.listText = true;
            m_listTextBegin = static_cast<int>(m_paragraph.runs.size());
            m_listTextEnd = -1;
        }
        break;
    case K::ListTable:
        s.destination = RtfDestination::ListTable;
        break;
    case K::List:
        if (s.destination == RtfDestination::ListTable) {
            s.destination = RtfDestination::List;
            m_lists.beginList();
        } else {
            s.destination = RtfDestination::Skip;
        }
        break;
    case K::ListLevel:
        if (s.destination == RtfDestination::List) {
            s.destination = RtfDestination::ListLevel;
            m_lists.beginLevel();
            m_levelText.clear();
            m_levelBytes.clear();
        } else {
            s.destination = RtfDestination::Skip;
        }
        break;
    case K::LevelText:
        if (s.destination == RtfDestination::ListLevel) {
            s.destination = RtfDestination::LevelText;
            m_destinationBytes.clear();
            m_destinationText.clear();
        } else {
            s.destination = RtfDestination::Skip;
        }
        break;
    case K::ListOverrideTable:
        s.destination = RtfDestination::ListOverrideTable;
        break;
    case K::ListOverride:
        if (s.destination == RtfDestination::ListOverrideTable) {
            s.destination = RtfDestination::ListOverride;
            m_lists.beginOverride();
        } else {
            s.destination = RtfDestination::Skip;
        }
        break;
    case K::Footnote:
        // A footnote inside a footnote (or outside the body) is not read.
        if (s.destination == RtfDestination::Normal && !s.footnote && !s.chars.hidden) {
            beginFootnote();
            s.footnote = true;
            s.listText = false;
        } else {
            s.destination = RtfDestination::Skip;
        }
        break;
    case K::Object:
        s.destination = RtfDestination::Object;
        break;
    case K::NestTableProps:
        s.nestTableProps = true;
        break;
    default:
        break;
    }
}

void RtfParser::onCharacterWord(RtfKeyword k, bool has, int p)
{
    RtfCharProps &c = state().chars;
    const bool on = !has || p != 0;
    switch (k) {
    case K::Plain:
        c = RtfCharProps();
        c.font = m_defaultFont;
        break;
    case K::Bold: c.bold = on; break;
    case K::Italic: c.italic = on; break;
    case K::Underline: c.underline = on ? RtfUnderline::Single : RtfUnderline::None; break;
    case K::UnderlineDotted: c.underline = on ? RtfUnderline::Dotted : RtfUnderline::None; break;
    case K::UnderlineDash: c.underline = on ? RtfUnderline::Dash : RtfUnderline::None; break;
    case K::UnderlineDashDot: c.underline = on ? RtfUnderline::DashDot : RtfUnderline::None; break;
    case K::UnderlineDashDotDot: c.underline = on ? RtfUnderline::DashDotDot : RtfUnderline::None; break;
    case K::UnderlineWave: c.underline = on ? RtfUnderline::Wave : RtfUnderline::None; break;
    case K::UnderlineNone: c.underline = RtfUnderline::None; break;
    case K::Strike: c.strike = on; break;
    case K::Hidden: c.hidden = on; break;
    case K::Caps: c.caps = on ? 1 : 0; break;
    case K::SmallCaps: c.caps = on ? 2 : 0; break;
    case K::Super: c.vertical = on ? 1 : 0; break;
    case K::Sub: c.vertical = on ? 2 : 0; break;
    case K::NoSuperSub: c.vertical = 0; break;
    case K::Up: c.up = std::clamp(has ? p : 6, -3276, 3276); break;
    case K::Down: c.up = -std::clamp(has ? p : 6, -3276, 3276); break;
    case K::FontSize: c.halfPoints = has ? std::clamp(p, 0, 3276) : 24; break;
    case K::Foreground: c.foreground = std::max(p, 0); break;
    case K::Highlight:
    case K::Background: c.background = std::max(p, 0); break;
    case K::Lang: c.lang = std::clamp(p, 0, 0xFFFF); break;
    case K::Tab: appendChar('\t'); break;
    case K::Line: appendChar(0x2028); break;
    default: break;
    }
}

void RtfParser::onParagraphWord(RtfKeyword k, bool has, int p)
{
    RtfGroupState &s = state();
    RtfParaProps &a = s.para;
    switch (k) {
    case K::Par:
    case K::Section:
        if (s.destination == RtfDestination::Normal)
            endParagraph();
        break;
    case K::Page:
        // A page break ends the paragraph (even an empty one); the next one starts the page.
        if (s.destination == RtfDestination::Normal) {
            endParagraph();
            m_pageBreakPending = m_pageBreakPending || !s.footnote;
        }
        break;
    case K::Pard: {
        const RtfParaProps fresh;
        a = fresh;
        break;
    }
    case K::AlignLeft: a.alignment = 0; break;
    case K::AlignCenter: a.alignment = 1; break;
    case K::AlignRight: a.alignment = 2; break;
    case K::AlignJustify: a.alignment = 3; break;
    case K::FirstIndent: a.firstIndent = twips(p); break;
    case K::LeftIndent: a.leftIndent = twips(p); break;
    case K::RightIndent: a.rightIndent = twips(p); break;
    case K::SpaceBefore: a.spaceBefore = std::clamp(p, 0, kMaxTwips); break;
    case K::SpaceAfter: a.spaceAfter = std::clamp(p, 0, kMaxTwips); break;
    case K::LineSpacing: a.lineSpacing = has ? twips(p) : 0; break;
    case K::LineMultiple: a.lineMultiple = !has || p != 0; break;
    case K::TabRight: a.pendingTabKind = 2; break;
    case K::TabCenter: a.pendingTabKind = 1; break;
    case K::TabDecimal: a.pendingTabKind = 3; break;
    case K::TabPosition:
        if (a.tabCount < RtfParaProps::kMaxTabs) {
            a.tabs[static_cast<size_t>(a.tabCount)] = RtfTabStop{std::clamp(p, 0, kMaxTwips), a.pendingTabKind};
            ++a.tabCount;
        }
        a.pendingTabKind = 0;
        break;
    case K::InTable: a.inTable = true; break;
    case K::NestLevel: a.nestLevel = std::clamp(p, 0, RtfDocumentBuilder::kMaxDepth); break;
    case K::Keep: a.keep = !has || p != 0; break;
    case K::RtlPar: a.rtl = true; break;
    case K::PageBreakBefore: a.pageBreakBefore = !has || p != 0; break;
    case K::ListOverrideNumber: a.ls = std::max(p, 0); break;
    case K::ListLevelNumber: a.ilvl = std::clamp(p, 0, RtfListTable::kLevels - 1); break;
    case K::LtrPar: a.rtl = false; break;
    case K::PnBullet: a.list.kind = RtfListKind::Bullet; break;
    case K::PnBody:
    case K::PnLevel: a.list.kind = RtfListKind::Numbered; break;
    case K::PnContinue: a.list.kind = RtfListKind::Continue; break;
    case K::PnStart: a.list.start = std::clamp(p, 0, 32767); break;
    case K::PnDecimal: a.list.numbering = RtfNumbering::Decimal; break;
    case K::PnLowerLetter: a.list.numbering = RtfNumbering::LowerAlpha; break;
    case K::PnUpperLetter: a.list.numbering = RtfNumbering::UpperAlpha; break;
    case K::PnLowerRoman: a.list.numbering = RtfNumbering::LowerRoman; break;
    case K::PnUpperRoman: a.list.numbering = RtfNumbering::UpperRoman; break;
    case K::PnIndent: a.list.indent = twips(p); break;
    case K::PnFont:
        if (s.destination == RtfDestination::Pn)
            s.chars.font = p; // the marker text of \pntxtb/\pntxta is in this font
        break;
    default: break;
    }
}

void RtfParser::onTableWord(RtfKeyword k, int p)
{
    RtfGroupState &s = state();
    RtfRowDef &row = m_rowDefs[static_cast<size_t>(m_defDepth)];
    auto borderOf = [&](RtfBorder &b) {
        m_border = &b;
        b = RtfBorder();
    };
    switch (k) {
    case K::RowDefaults:
        m_defDepth = s.nestTableProps ? std::clamp(s.para.nestLevel, 2, RtfDocumentBuilder::kMaxDepth) : 1;
        m_rowDefs[static_cast<size_t>(m_defDepth)] = RtfRowDef();
        m_cellDef = RtfCellDef();
        m_border = nullptr;
        break;
    case K::RowGap: row.gap = std::clamp(p, 0, kMaxTwips); break;
    case K::RowLeft: row.left = twips(p); break;
    case K::RowAlignLeft: row.alignment = 0; break;
    case K::RowAlignCenter: row.alignment = 1; break;
    case K::RowAlignRight: row.alignment = 2; break;
    case K::CellX:
        m_cellDef.right = twips(p);
        if (row.cells.size() < 256)
            row.cells.push_back(m_cellDef);
        m_cellDef = RtfCellDef();
        m_border = nullptr;
        break;
    case K::Cell:
        if (s.destination == RtfDestination::Normal)
            endCell(1);
        break;
    case K::NestCell:
        if (s.destination == RtfDestination::Normal)
            endCell(std::max(2, s.para.nestLevel));
        break;
    case K::Row:
        // A footnote's cells are read as its paragraphs: its rows end no table of the letter.
        if (s.destination == RtfDestination::Normal && !s.footnote)
            m_builder.endRow(m_rowDefs[1], 1);
        break;
    case K::NestRow:
        if (s.destination == RtfDestination::Normal && !s.footnote) {
            const int depth = std::clamp(s.para.nestLevel, 2, RtfDocumentBuilder::kMaxDepth);
            m_builder.endRow(m_rowDefs[static_cast<size_t>(depth)], depth);
        }
        break;
    case K::RowBorderTop: borderOf(row.borders[0]); break;
    case K::RowBorderLeft: borderOf(row.borders[1]); break;
    case K::RowBorderBottom: borderOf(row.borders[2]); break;
    case K::RowBorderRight: borderOf(row.borders[3]); break;
    case K::RowBorderH: borderOf(row.borders[4]); break;
    case K::RowBorderV: borderOf(row.borders[5]); break;
    case K::CellBorderTop: borderOf(m_cellDef.borders[0]); break;
    case K::CellBorderLeft: borderOf(m_cellDef.borders[1]); break;
    case K::CellBorderBottom: borderOf(m_cellDef.borders[2]); break;
    case K::CellBorderRight: borderOf(m_cellDef.borders[3]); break;
    case K::ParagraphBorder: borderOf(m_ignoredBorder); break;
    case K::BorderSingle: if (m_border) m_border->style = 1; break;
    case K::BorderDouble: if (m_border) m_border->style = 2; break;
    case K::BorderDotted: if (m_border) m_border->style = 3; break;
    case K::BorderDashed: if (m_border) m_border->style = 4; break;
    case K::BorderNone: if (m_border) m_border->style = 0; break;
    case K::BorderWidth: if (m_border) m_border->width = std::clamp(p, 0, 1500); break;
    case K::BorderColor: if (m_border) m_border->color = std::max(p, 0); break;
    case K::CellShading: m_cellDef.shading = std::max(p, 0); break;
    case K::CellMergeFirst: m_cellDef.mergeFirst = true; break;
    case K::CellMerge: m_cellDef.merged = true; break;
    case K::CellVMergeFirst: m_cellDef.vMergeFirst = true; break;
    case K::CellVMerge: m_cellDef.vMerged = true; break;
    case K::CellTop: m_cellDef.vAlign = 0; break;
    case K::CellCenter: m_cellDef.vAlign = 1; break;
    case K::CellBottom: m_cellDef.vAlign = 2; break;
    case K::RowPadTop: case K::RowPadLeft: case K::RowPadBottom: case K::RowPadRight:
        row.padding.twips[static_cast<int>(k) - static_cast<int>(K::RowPadTop)] = std::clamp(p, 0, kMaxTwips);
        break;
    case K::RowPadUnitTop: case K::RowPadUnitLeft: case K::RowPadUnitBottom: case K::RowPadUnitRight:
        row.padding.unit[static_cast<int>(k) - static_cast<int>(K::RowPadUnitTop)] = std::clamp(p, 0, 255);
        break;
    case K::CellPadTop: case K::CellPadLeft: case K::CellPadBottom: case K::CellPadRight:
        m_cellDef.padding.twips[static_cast<int>(k) - static_cast<int>(K::CellPadTop)] = std::clamp(p, 0, kMaxTwips);
        break;
    case K::CellPadUnitTop: case K::CellPadUnitLeft: case K::CellPadUnitBottom: case K::CellPadUnitRight:
        m_cellDef.padding.unit[static_cast<int>(k) - static_cast<int>(K::CellPadUnitTop)] = std::clamp(p, 0, 255);
        break;
    default: break;
    }
}

void RtfParser::onPictureWord(RtfKeyword k, int p)
{
    switch (k) {
    case K::PngBlip: m_picture.setKind(RtfPictureReader::Kind::Png); break;
    case K::JpegBlip: m_picture.setKind(RtfPictureReader::Kind::Jpeg); break;
    case K::DibBitmap: m_picture.setKind(RtfPictureReader::Kind::Dib); break;
    case K::WMetafile: m_picture.setKind(RtfPictureReader::Kind::Wmf); break;
    case K::EmfBlip: m_picture.setKind(RtfPictureReader::Kind::Emf); break;
    case K::OtherPicture: m_picture.setKind(RtfPictureReader::Kind::Unknown); break;
    case K::PicW: m_picture.setWidth(p); break;
    case K::PicH: m_picture.setHeight(p); break;
    case K::PicWGoal: m_picture.setGoalWidth(p); break;
    case K::PicHGoal: m_picture.setGoalHeight(p); break;
    case K::PicScaleX: m_picture.setScaleX(p); break;
    case K::PicScaleY: m_picture.setScaleY(p); break;
    case K::SkipDestination: state().destination = RtfDestination::Skip; break;
    default: break;
    }
}

void RtfParser::ensureRun()
{
    const RtfCharProps &props = state().chars;
    if (m_runOpen && props == m_runProps)
        return;
    flushRun();
    m_runProps = props;
    m_formats.useFont(props.font);
    m_runCodePage = m_formats.codePageOf(props.font);
    m_runOpen = true;
    m_runStart = m_paragraph.text.size();
}

void RtfParser::flushBytes()
{
    if (m_runBytes.empty())
        return;
    QString &text = m_paragraph.text;
    const qsizetype start = text.size();
    m_decoder.decode(m_runBytes, m_runCodePage, text);
    m_runBytes.clear();
    // Converters may answer bad bytes with control characters; they must not split blocks.
    QChar *p = text.data() + start;
    QChar *end = text.data() + text.size();
    for (; p != end; ++p)
        if (isStructural(p->unicode()))
            *p = QChar(0xFFFD);
}

void RtfParser::flushRun()
{
    flushBytes();
    const qsizetype end = m_paragraph.text.size();
    if (m_runOpen && end > m_runStart) {
        RtfRun run;
        run.begin = m_runStart;
        run.length = end - m_runStart;
        run.chars = m_runProps;
        if (m_paragraph.runs.capacity() == 0)
            m_paragraph.runs.reserve(4);   // most paragraphs hold a few runs: one allocation
        m_paragraph.runs.push_back(run);
    }
    m_runOpen = false;
}

void RtfParser::appendChar(char32_t c)
{
    RtfGroupState &s = state();
    if (s.destination != RtfDestination::Normal) {
        if (s.destination == RtfDestination::PnTextBefore || s.destination == RtfDestination::PnTextAfter
            || s.destination == RtfDestination::LevelText)
            appendDestinationChar(c);
        return;
    }
    if (s.chars.hidden || isStructural(c))
        return;
    ensureRun();
    flushBytes();
    QString &text = m_paragraph.text;
    if (c >= 0x10000) {
        text.append(QChar(QChar::highSurrogate(c)));
        text.append(QChar(QChar::lowSurrogate(c)));
    } else {
        text.append(QChar(static_cast<char16_t>(c)));
    }
}

void RtfParser::appendUnicode(int value)
{
    // The parameter is a signed 16-bit number (or already unsigned); others are out of range.
    if (value < -32768 || value > 0xFFFF)
        return;
    const int v = value < 0 ? value + 65536 : value;
    if (v > 0xFFFF)
        return; // out of range: nothing to show
    if (v >= 0xD800 && v < 0xDC00) {
        m_highSurrogate = static_cast<char16_t>(v);
        return;
    }
    if (v >= 0xDC00 && v < 0xE000) {
        if (m_highSurrogate)
            appendChar(QChar::surrogateToUcs4(m_highSurrogate, static_cast<char16_t>(v)));
        m_highSurrogate = 0;
        return;
    }
    m_highSurrogate = 0;
    appendChar(fromPrivateUse(static_cast<char32_t>(v), state().chars.font));
}

char32_t RtfParser::fromPrivateUse(char32_t c, int fontId) const
{
    if (c < 0xF020 || c > 0xF0FF)
        return c;
    // Symbol fonts' characters written as U+F0xx: what the font shows there.
    const int codePage = m_formats.codePageOf(fontId);
    return SymbolCharacters::fromPrivateUse(RtfTextDecoder::symbolFace(codePage), static_cast<char16_t>(c));
}

int RtfParser::paragraphDepth()
{
    const RtfParaProps &a = state().para;
    if (a.inTable)
        return std::max(1, a.nestLevel);
    return a.nestLevel;
}

void RtfParser::finishParagraph(RtfParagraph &p)
{
    RtfParaProps &a = p.para;
    if (a.ls > 0) {
        RtfListProps list;
        int left = 0;
        int first = 0;
        if (m_lists.resolve(a.ls, a.ilvl, list, left, first)) {
            a.list = list;
            if (a.leftIndent == 0 && a.firstIndent == 0) {
                a.leftIndent = left;
                a.firstIndent = first;
            }
        }
    }
    const bool item = a.list.kind == RtfListKind::Bullet || a.list.kind == RtfListKind::Numbered;
    const int size = static_cast<int>(p.runs.size());
    // Only a closed \listtext group is a label: text after an unclosed one is the paragraph's.
    if (item && m_listTextBegin >= 0 && m_listTextEnd >= m_listTextBegin && m_listTextEnd <= size)
        p.runs.erase(p.runs.begin() + m_listTextBegin, p.runs.begin() + m_listTextEnd);
    m_listTextBegin = -1;
    m_listTextEnd = -1;
}

void RtfParser::resetParagraph()
{
    m_paragraph.text.resize(0);
    m_paragraph.runs.clear();
    m_paragraph.para = RtfParaProps();
    m_paragraph.mark = RtfCharProps();
    m_paragraph.pageBreakBefore = false;
}

void RtfParser::endParagraph()
{
    flushRun();
    RtfParagraph &p = m_paragraph;
    p.para = state().para;
    p.mark = state().chars;
    finishParagraph(p);
    if (state().footnote) {
        p.para.inTable = false;
        p.para.nestLevel = 0;
        if (m_notes.size() < kMaxNoteParagraphs)
            m_notes.push_back(std::move(p));
        resetParagraph();
        return;
    }
    p.pageBreakBefore = m_pageBreakPending || p.para.pageBreakBefore;
    m_pageBreakPending = false;
    m_builder.addParagraph(p, paragraphDepth());
    resetParagraph();
}

void RtfParser::endCell(int depth)
{
    if (state().footnote) {
        endParagraph();
        return;
    }
    flushRun();
    RtfParagraph &p = m_paragraph;
    p.para = state().para;
    p.mark = state().chars;
    p.pageBreakBefore = false;
    finishParagraph(p);
    m_builder.endCell(std::move(p), depth);
    resetParagraph();
}

void RtfParser::beginFootnote()
{
    ++m_noteNumber;
    flushRun();
    m_bodyParagraph = std::move(m_paragraph);
    m_paragraph = RtfParagraph();
    m_bodyListTextBegin = m_listTextBegin;
    m_bodyListTextEnd = m_listTextEnd;
    m_listTextBegin = m_listTextEnd = -1;
}

void RtfParser::endFootnote(const RtfGroupState &noteState)
{
    // The footnote's last paragraph needs no \par.
    flushRun();
    if (!m_paragraph.runs.empty() && m_notes.size() < kMaxNoteParagraphs) {
        RtfParagraph p = std::move(m_paragraph);
        p.para = noteState.para;
        p.para.inTable = false;
        p.para.nestLevel = 0;
        p.mark = noteState.chars;
        finishParagraph(p);
        m_notes.push_back(std::move(p));
    }
    m_paragraph = std::move(m_bodyParagraph);
    m_bodyParagraph = RtfParagraph();
    m_listTextBegin = m_bodyListTextBegin;
    m_listTextEnd = m_bodyListTextEnd;
}

void RtfParser::appendFootnoteMark()
{
    // In the text the mark numbers the footnote that follows; in a footnote, its own.
    const int number = state().footnote ? m_noteNumber : m_noteNumber + 1;
    for (const QChar c : QString::number(number))
        appendChar(c.unicode());
}

void RtfParser::appendDestinationChar(char32_t c)
{
    const int cp = m_formats.codePageOf(state().chars.font);
    m_destinationText += takeDestinationText(cp);
    if (c < 0x10000 && static_cast<size_t>(m_destinationText.size()) < kMaxDestinationBytes)
        m_destinationText.append(QChar(static_cast<char16_t>(c)));
}

QString RtfParser::takeDestinationText(int codePage)
{
    QString text = m_destinationText;
    m_decoder.decode(m_destinationBytes, codePage, text);
    m_destinationBytes.clear();
    m_destinationText.clear();
    return text;
}

void RtfParser::finishFont()
{
    if (m_fontIdValid)
        m_formats.fontsChanged();
    if (!m_fontIdValid || (m_destinationBytes.empty() && m_destinationText.isEmpty()))
        return;
    int cp = m_formats.codePageOf(m_fontId);
    if (cp < 0)
        cp = m_formats.ansiCodePage; // a symbol font's name is in the ANSI code page
    const QString name = takeDestinationText(cp).trimmed();
    RtfFormatFactory::Font &font = m_formats.font(m_fontId);
    if (font.name.isEmpty())
        font.name = name;
}

void RtfParser::finishPicture(const RtfGroupState &pictureState)
{
    const RtfGroupState &parent = state();
    if (parent.destination != RtfDestination::Normal || pictureState.chars.hidden)
        return;
    double width = 0;
    double height = 0;
    const QImage image = m_picture.image(width, height, m_pictureBudget);
    const QByteArray jpeg = m_picture.jpegBytes();
    m_picture.reset();
    const int index = m_builder.addPicture(image, width, height, jpeg);
    if (index < 0)
        return;
    flushRun();
    RtfRun run;
    run.begin = m_paragraph.text.size();
    run.chars = pictureState.chars;
    run.image = index;
    m_paragraph.runs.push_back(run);
}

bool RtfParser::onListWord(RtfKeyword k, int p)
{
    const RtfDestination d = state().destination;
    switch (k) {
    case K::ListId:
        if (d == RtfDestination::List)
            m_lists.setListId(p);
        else if (d == RtfDestination::ListOverride)
            m_lists.setOverrideListId(p);
        return true;
    case K::LevelNfc:
        if (d == RtfDestination::ListLevel)
            m_lists.setLevelFormat(p);
        return true;
    case K::LevelStartAt:
        if (d == RtfDestination::ListLevel)
            m_lists.setLevelStart(p);
        return true;
    case K::ListOverrideNumber:
        if (d == RtfDestination::ListOverride) {
            m_lists.setOverrideNumber(p);
            return true;
        }
        return false; // a paragraph's \ls
    default:
        return false;
    }
}

void RtfParser::finishListLevel(const RtfGroupState &levelState)
{
    // The level's font usually comes after its text: decode the label now.
    const int font = levelState.chars.font;
    QString text = m_levelText;
    m_decoder.decode(m_levelBytes, m_formats.codePageOf(font), text);
    for (QChar &c : text)
        c = QChar(static_cast<char16_t>(fromPrivateUse(c.unicode(), font)));
    m_levelText.clear();
    m_levelBytes.clear();
    m_lists.endLevel(text, levelState.para.leftIndent, levelState.para.firstIndent);
}

void RtfParser::finishFieldInstruction()
{
    const QString inst = takeDestinationText(m_formats.ansiCodePage).trimmed();
    if (!inst.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive))
        return;
    QString target = inst.mid(9).trimmed();
    // Switches such as \l come before or after the quoted target.
    const qsizetype open = target.indexOf(QLatin1Char('"'));
    if (open >= 0) {
        const qsizetype close = target.indexOf(QLatin1Char('"'), open + 1);
        target = target.mid(open + 1, close > open ? close - open - 1 : -1);
    } else {
        target = target.section(QLatin1Char(' '), 0, 0);
    }
    if (!target.isEmpty())
        m_fieldLink = m_formats.addLink(target);
}
