#include "richtext/reading/RtfKeyword.h"

#include <cstdint>
#include <unordered_map>

namespace {

using K = RtfKeyword;

const std::unordered_map<std::string_view, RtfKeywordInfo> &table()
{
    static const std::unordered_map<std::string_view, RtfKeywordInfo> t = [] {
        std::unordered_map<std::string_view, RtfKeywordInfo> m;
        // Each row takes the family set before it.
        RtfWordFamily family = RtfWordFamily::Document;
        auto add = [&m, &family](std::string_view name, K k, char16_t c = 0) {
            m[name] = RtfKeywordInfo{k, c, family};
        };
        add("rtf", K::Rtf);
        add("mac", K::Mac);
        add("pc", K::Pc);
        add("pca", K::Pca);
        add("ansi", K::Ansi);
        add("ansicpg", K::AnsiCodePage);
        add("deff", K::DefaultFont);
        add("f", K::Font);
        add("fcharset", K::FontCharset);
        add("cpg", K::FontCodePage);
        add("red", K::Red);
        add("green", K::Green);
        add("blue", K::Blue);
        add("u", K::Unicode);
        add("uc", K::UnicodeSkip);

        family = RtfWordFamily::Destination;
        add("fonttbl", K::FontTable);
        add("colortbl", K::ColorTable);
        for (std::string_view skip : {"stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer", "footerl",
                                      "footerr", "footerf", "annotation", "xe", "tc", "txe", "objdata",
                                      "falt", "fname", "panose", "revtbl", "rsidtbl",
                                      "filetbl", "pgdsctbl", "themedata", "colorschememapping", "datastore",
                                      "latentstyles", "xmlnstbl", "generator", "template", "userprops", "docvar", "listname", "levelnumbers", "lfolevel",
                                      "comment", "private", "bkmkstart", "bkmkend", "atnid", "atnauthor", "pnseclvl",
                                      "mmathPr", "wgrffmtfilter", "blipuid", "picprop"})
            add(skip, K::SkipDestination);
        add("pict", K::Pict);
        add("pn", K::Pn);
        add("pntext", K::PnText);
        add("pntxta", K::PnTextAfter);
        add("pntxtb", K::PnTextBefore);
        add("field", K::Field);
        add("fldinst", K::FieldInstruction);
        add("fldrslt", K::FieldResult);
        add("shppict", K::ShpPict);
        add("nonshppict", K::NonShpPict);
        add("object", K::Object);
        add("result", K::Result);
        add("nesttableprops", K::NestTableProps);
        add("nonesttables", K::NonNestTables);
        add("listtext", K::ListText);
        add("listtable", K::ListTable);
        add("list", K::List);
        add("listlevel", K::ListLevel);
        add("leveltext", K::LevelText);
        add("listoverridetable", K::ListOverrideTable);
        add("listoverride", K::ListOverride);
        add("footnote", K::Footnote);

        family = RtfWordFamily::List;
        add("listid", K::ListId);
        add("levelnfc", K::LevelNfc);
        add("levelnfcn", K::LevelNfc);
        add("levelstartat", K::LevelStartAt);
        // Outside a list override table \ls is the paragraph's list (see RtfParser::onListWord).
        add("ls", K::ListOverrideNumber);

        family = RtfWordFamily::Character;
        add("plain", K::Plain);
        add("b", K::Bold);
        add("i", K::Italic);
        for (std::string_view u : {"ul", "uldb", "ulth", "ulw"})
            add(u, K::Underline);
        add("uld", K::UnderlineDotted);
        add("ulthd", K::UnderlineDotted);
        add("uldash", K::UnderlineDash);
        add("ulthdash", K::UnderlineDash);
        add("ulldash", K::UnderlineDash);
        add("uldashd", K::UnderlineDashDot);
        add("uldashdd", K::UnderlineDashDotDot);
        add("ulwave", K::UnderlineWave);
        add("ululdbwave", K::UnderlineWave);
        add("ulnone", K::UnderlineNone);
        add("strike", K::Strike);
        add("striked", K::Strike);
        add("v", K::Hidden);
        add("caps", K::Caps);
        add("scaps", K::SmallCaps);
        add("sub", K::Sub);
        add("super", K::Super);
        add("nosupersub", K::NoSuperSub);
        add("up", K::Up);
        add("dn", K::Down);
        add("fs", K::FontSize);
        add("cf", K::Foreground);
        add("highlight", K::Highlight);
        add("cb", K::Background);
        add("chcbpat", K::Background);
        add("lang", K::Lang);
        add("line", K::Line);
        add("tab", K::Tab);

        family = RtfWordFamily::Symbol;
        add("chftn", K::FootnoteMark);
        add("emdash", K::Char, 0x2014);
        add("endash", K::Char, 0x2013);
        add("bullet", K::Char, 0x2022);
        add("lquote", K::Char, 0x2018);
        add("rquote", K::Char, 0x2019);
        add("ldblquote", K::Char, 0x201C);
        add("rdblquote", K::Char, 0x201D);
        add("emspace", K::Char, 0x2003);
        add("enspace", K::Char, 0x2002);
        add("qmspace", K::Char, 0x2005);
        add("zwj", K::Char, 0x200D);
        add("zwnj", K::Char, 0x200C);
        add("ltrmark", K::Char, 0x200E);
        add("rtlmark", K::Char, 0x200F);

        family = RtfWordFamily::Paragraph;
        add("par", K::Par);
        add("page", K::Page);
        add("sect", K::Section);
        add("pard", K::Pard);
        add("ql", K::AlignLeft);
        add("qc", K::AlignCenter);
        add("qr", K::AlignRight);
        add("qj", K::AlignJustify);
        add("qd", K::AlignJustify);
        add("fi", K::FirstIndent);
        add("li", K::LeftIndent);
        add("lin", K::LeftIndent);
        add("ri", K::RightIndent);
        add("rin", K::RightIndent);
        add("sb", K::SpaceBefore);
        add("sa", K::SpaceAfter);
        add("sl", K::LineSpacing);
        add("slmult", K::LineMultiple);
        add("tx", K::TabPosition);
        add("tb", K::TabPosition);
        add("tqr", K::TabRight);
        add("tqc", K::TabCenter);
        add("tqdec", K::TabDecimal);
        add("intbl", K::InTable);
        add("itap", K::NestLevel);
        add("keep", K::Keep);
        add("rtlpar", K::RtlPar);
        add("ltrpar", K::LtrPar);
        add("pagebb", K::PageBreakBefore);
        add("ilvl", K::ListLevelNumber);

        add("pnlvlblt", K::PnBullet);
        add("pnlvlbody", K::PnBody);
        add("pnlvlcont", K::PnContinue);
        add("pnlvl", K::PnLevel);
        add("pnstart", K::PnStart);
        add("pndec", K::PnDecimal);
        add("pncard", K::PnDecimal);
        add("pnord", K::PnDecimal);
        add("pnordt", K::PnDecimal);
        add("pnlcltr", K::PnLowerLetter);
        add("pnucltr", K::PnUpperLetter);
        add("pnlcrm", K::PnLowerRoman);
        add("pnucrm", K::PnUpperRoman);
        add("pnindent", K::PnIndent);
        add("pnf", K::PnFont);

        family = RtfWordFamily::Table;
        add("trowd", K::RowDefaults);
        add("trgaph", K::RowGap);
        add("trleft", K::RowLeft);
        add("trql", K::RowAlignLeft);
        add("trqc", K::RowAlignCenter);
        add("trqr", K::RowAlignRight);
        add("cellx", K::CellX);
        add("cell", K::Cell);
        add("row", K::Row);
        add("nestcell", K::NestCell);
        add("nestrow", K::NestRow);
        add("trbrdrt", K::RowBorderTop);
        add("trbrdrl", K::RowBorderLeft);
        add("trbrdrb", K::RowBorderBottom);
        add("trbrdrr", K::RowBorderRight);
        add("trbrdrh", K::RowBorderH);
        add("trbrdrv", K::RowBorderV);
        add("clbrdrt", K::CellBorderTop);
        add("clbrdrl", K::CellBorderLeft);
        add("clbrdrb", K::CellBorderBottom);
        add("clbrdrr", K::CellBorderRight);
        for (std::string_view p : {"brdrt", "brdrl", "brdrb", "brdrr", "box", "brdrbtw", "brdrbar"})
            add(p, K::ParagraphBorder);
        for (std::string_view s : {"brdrs", "brdrth", "brdrsh", "brdrhair", "brdroutset", "brdrinset", "brdremboss",
                                   "brdrengrave", "brdrframe"})
            add(s, K::BorderSingle);
        for (std::string_view s : {"brdrdb", "brdrtriple", "brdrthtnsg", "brdrtnthsg", "brdrtnthtnsg"})
            add(s, K::BorderDouble);
        add("brdrdot", K::BorderDotted);
        for (std::string_view s : {"brdrdash", "brdrdashsm", "brdrdashd", "brdrdashdd", "brdrdashdotstr"})
            add(s, K::BorderDashed);
        add("brdrnone", K::BorderNone);
        add("brdrnil", K::BorderNone);
        add("brdrw", K::BorderWidth);
        add("brdrcf", K::BorderColor);
        add("clcbpat", K::CellShading);
        add("clmgf", K::CellMergeFirst);
        add("clmrg", K::CellMerge);
        add("clvmgf", K::CellVMergeFirst);
        add("clvmrg", K::CellVMerge);
        add("clvertalt", K::CellTop);
        add("clvertalc", K::CellCenter);
        add("clvertalb", K::CellBottom);
        add("trpaddt", K::RowPadTop);
        add("trpaddl", K::RowPadLeft);
        add("trpaddb", K::RowPadBottom);
        add("trpaddr", K::RowPadRight);
        add("trpaddft", K::RowPadUnitTop);
        add("trpaddfl", K::RowPadUnitLeft);
        add("trpaddfb", K::RowPadUnitBottom);
        add("trpaddfr", K::RowPadUnitRight);
        add("clpadt", K::CellPadTop);
        add("clpadl", K::CellPadLeft);
        add("clpadb", K::CellPadBottom);
        add("clpadr", K::CellPadRight);
        add("clpadft", K::CellPadUnitTop);
        add("clpadfl", K::CellPadUnitLeft);
        add("clpadfb", K::CellPadUnitBottom);
        add("clpadfr", K::CellPadUnitRight);

        family = RtfWordFamily::Picture;
        add("pngblip", K::PngBlip);
        add("jpegblip", K::JpegBlip);
        add("dibitmap", K::DibBitmap);
        add("wmetafile", K::WMetafile);
        add("emfblip", K::EmfBlip);
        add("wbitmap", K::OtherPicture);
        add("macpict", K::OtherPicture);
        add("pmmetafile", K::OtherPicture);
        add("picw", K::PicW);
        add("pich", K::PicH);
        add("picwgoal", K::PicWGoal);
        add("pichgoal", K::PicHGoal);
        add("picscalex", K::PicScaleX);
        add("picscaley", K::PicScaleY);
        return m;
    }();
    return t;
}

} // namespace

namespace {

// Open addressing over the names above: the reader looks a word up for every control
// word of the text, so this is kept to one short hash and usually one compare.
class KeywordIndex
{
public:
    KeywordIndex()
    {
        for (const auto &[name, info] : table()) {
            size_t i = hash(name) & kMask;
            while (!m_slots[i].name.empty())
                i = (i + 1) & kMask;
            m_slots[i] = Slot{name, info};
        }
    }

    RtfKeywordInfo find(std::string_view name) const
    {
        if (name.empty())
            return RtfKeywordInfo();
        for (size_t i = hash(name) & kMask;; i = (i + 1) & kMask) {
            const Slot &s = m_slots[i];
            if (s.name.empty())
                return RtfKeywordInfo();
            if (s.name == name)
                return s.info;
        }
    }

private:
    static constexpr size_t kSize = 1024; // more than three times the number of words
    static constexpr size_t kMask = kSize - 1;
    struct Slot
    {
        std::string_view name;
        RtfKeywordInfo info;
    };
    static size_t hash(std::string_view name)
    {
        uint32_t h = 2166136261u;
        for (const char c : name)
            h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
        return h ^ (h >> 15);
    }
    Slot m_slots[kSize];
};

} // namespace

RtfKeywordInfo rtfKeyword(std::string_view name)
{
    static const KeywordIndex index;
    return index.find(name);
}
