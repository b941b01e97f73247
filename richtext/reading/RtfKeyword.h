#pragma once

#include <string_view>

// The control words the reader acts on; everything else is Unknown.
enum class RtfKeyword {
    Unknown,
    // destinations
    Rtf, FontTable, ColorTable, SkipDestination, Pict, Pn, PnText, PnTextAfter, PnTextBefore, Field, FieldInstruction,
    FieldResult, ShpPict, NonShpPict, Object, Result, NestTableProps, NonNestTables, ListText,
    ListTable, List, ListLevel, LevelText, ListOverrideTable, ListOverride, Footnote,
    // header
    Ansi, Mac, Pc, Pca, AnsiCodePage, DefaultFont, Font, FontCharset, FontCodePage, Red, Green, Blue,
    // characters
    Plain, Bold, Italic, Underline, UnderlineDotted, UnderlineDash, UnderlineDashDot, UnderlineDashDotDot,
    UnderlineWave, UnderlineNone, Strike, Hidden, Caps, SmallCaps, Sub, Super, NoSuperSub, Up, Down, FontSize,
    Foreground, Highlight, Background, Lang,
    // special characters
    Par, Line, Tab, Page, Section, Unicode, UnicodeSkip, Char, FootnoteMark,
    // paragraphs
    Pard, AlignLeft, AlignCenter, AlignRight, AlignJustify, FirstIndent, LeftIndent, RightIndent, SpaceBefore,
    SpaceAfter, LineSpacing, LineMultiple, TabPosition, TabRight, TabCenter, TabDecimal, InTable, NestLevel, Keep,
    RtlPar, LtrPar, PageBreakBefore,
    // Word lists
    ListId, LevelNfc, LevelStartAt, ListOverrideNumber, ListLevelNumber,
    // \pn lists
    PnBullet, PnBody, PnContinue, PnLevel, PnStart, PnDecimal, PnLowerLetter, PnUpperLetter, PnLowerRoman,
    PnUpperRoman, PnIndent, PnFont,
    // tables
    RowDefaults, RowGap, RowLeft, RowAlignLeft, RowAlignCenter, RowAlignRight, CellX, Cell, Row, NestCell, NestRow,
    RowBorderTop, RowBorderLeft, RowBorderBottom, RowBorderRight, RowBorderH, RowBorderV,
    CellBorderTop, CellBorderLeft, CellBorderBottom, CellBorderRight, ParagraphBorder,
    BorderSingle, BorderDouble, BorderDotted, BorderDashed, BorderNone, BorderWidth, BorderColor,
    CellShading, CellMergeFirst, CellMerge, CellVMergeFirst, CellVMerge, CellTop, CellCenter, CellBottom,
    // padding words, each group in the order top, left, bottom, right
    RowPadTop, RowPadLeft, RowPadBottom, RowPadRight, RowPadUnitTop, RowPadUnitLeft, RowPadUnitBottom,
    RowPadUnitRight, CellPadTop, CellPadLeft, CellPadBottom, CellPadRight, CellPadUnitTop, CellPadUnitLeft,
    CellPadUnitBottom, CellPadUnitRight,
    // pictures
    PngBlip, JpegBlip, DibBitmap, WMetafile, EmfBlip, OtherPicture, PicW, PicH, PicWGoal, PicHGoal, PicScaleX,
    PicScaleY,
};

// Which part of the reader a control word goes to.
enum class RtfWordFamily {
    None,        // an unknown word
    Document,    // character set, font and colour table entries, Unicode characters: read in every destination
    Destination, // opens a destination
    Character,   // character format, \tab and \line
    Symbol,      // a character given by name, the footnote mark
    Paragraph,   // paragraph format, paragraph ends, \pn list format
    List,        // entries of the Word list tables
    Table,       // row and cell definitions, cell and row ends
    Picture,     // picture kind and size
};

struct RtfKeywordInfo
{
    RtfKeyword keyword = RtfKeyword::Unknown;
    char16_t character = 0; // for Char: the character the word stands for
    RtfWordFamily family = RtfWordFamily::None;
};

RtfKeywordInfo rtfKeyword(std::string_view name);
