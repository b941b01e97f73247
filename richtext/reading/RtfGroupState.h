#pragma once

#include <QString>
#include <array>
#include <cstdint>

// What one RTF group carries: character and paragraph properties, \uc and the destination.
// Plain values only, so that pushing a group is a copy.

enum class RtfDestination : uint8_t {
    Normal,         // body text
    Skip,           // ignored destination: tokens are read, nothing is kept
    FontTable,
    ColorTable,
    Picture,
    Pn,             // {\*\pn ...}: list properties of the paragraph
    PnTextBefore,   // {\pntxtb ...}
    PnTextAfter,    // {\pntxta ...}
    FieldInstruction,
    Object,         // {\object ...}: only its \result is read
    ListTable,      // {\*\listtable ...}
    List,           // {\list ...} in the list table
    ListLevel,      // {\listlevel ...}
    LevelText,      // {\leveltext ...}: the label of a level
    ListOverrideTable,
    ListOverride,   // {\listoverride ...}
};

enum class RtfUnderline : uint8_t { None, Single, Dotted, Dash, DashDot, DashDotDot, Wave };

struct RtfCharProps
{
    int font = -1;          // font table id
    int halfPoints = 0;     // \fs; 0 = not given
    int foreground = 0;     // colour table index; 0 = automatic
    int background = 0;     // \highlight / \cb
    int up = 0;             // \up (positive) / \dn (negative), half-points
    int lang = -1;
    int link = -1;          // index of a hyperlink target
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool hidden = false;
    uint8_t caps = 0;       // 1 \caps, 2 \scaps
    uint8_t vertical = 0;   // 1 \super, 2 \sub
    RtfUnderline underline = RtfUnderline::None;

    bool operator==(const RtfCharProps &) const = default;
};

enum class RtfListKind : uint8_t { None, Bullet, Numbered, Continue };
enum class RtfNumbering : uint8_t { Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman };

struct RtfListProps
{
    RtfListKind kind = RtfListKind::None;
    RtfNumbering numbering = RtfNumbering::Decimal;
    int start = 1;
    int indent = 0;          // \pnindent, twips
    QString before;          // \pntxtb
    QString after;           // \pntxta
    int ls = 0;              // a Word list: its \ls number (0 for \pn lists) ...
    int level = 0;           // ... and \ilvl

    bool operator==(const RtfListProps &) const = default;
};

struct RtfTabStop
{
    int position = 0;        // twips
    uint8_t kind = 0;        // 0 left, 1 centre, 2 right, 3 decimal

    bool operator==(const RtfTabStop &) const = default;
};

struct RtfParaProps
{
    static constexpr int kMaxTabs = 32;

    uint8_t alignment = 0;   // 0 left, 1 centre, 2 right, 3 justify
    int firstIndent = 0;     // \fi, twips
    int leftIndent = 0;      // \li
    int rightIndent = 0;     // \ri
    int spaceBefore = 0;     // \sb
    int spaceAfter = 0;      // \sa
    int lineSpacing = 0;     // \sl
    bool lineMultiple = false; // \slmult1
    bool keep = false;
    bool rtl = false;
    bool inTable = false;
    bool pageBreakBefore = false; // \pagebb
    int ls = 0;              // \ls: the Word list the paragraph belongs to (0 = none)
    int ilvl = 0;            // \ilvl
    int nestLevel = 0;       // \itap
    int tabCount = 0;
    std::array<RtfTabStop, kMaxTabs> tabs{};
    uint8_t pendingTabKind = 0; // \tqr etc. applies to the next \tx
    RtfListProps list;

    bool operator==(const RtfParaProps &) const = default;
};

struct RtfGroupState
{
    RtfCharProps chars;
    RtfParaProps para;
    int unicodeSkip = 1;     // \uc
    RtfDestination destination = RtfDestination::Normal;
    bool nestTableProps = false; // inside {\*\nesttableprops}
    bool listText = false;   // inside {\listtext}: the label as text, dropped for list items
    bool footnote = false;   // inside {\footnote}
};
