#pragma once

#include "richtext/reading/RtfGroupState.h"

#include <QString>
#include <map>
#include <vector>

// The list definitions of a Word document: {\*\listtable} describes each list's levels
// (numbering style, start number, the label's text, indents) under a \listid, and
// {\*\listoverridetable} gives each list the \lsN number that paragraphs name. A
// paragraph's \lsN\ilvlM is resolved here into the list properties of its level.
class RtfListTable
{
public:
    static constexpr int kLevels = 9;
    static constexpr size_t kMaxLists = 1000;
    static constexpr size_t kMaxOverrides = 2000;

    // {\list ...}: levels in order, then \listid.
    void beginList();
    void setListId(int id) { m_list.id = id; }
    void beginLevel();
    // \levelnfc: 0 decimal, 1 upper roman, 2 lower roman, 3 upper letter, 4 lower letter,
    // 23 bullet, 255 no label; the rest count as decimal.
    void setLevelFormat(int nfc) { m_level.nfc = nfc; }
    void setLevelStart(int start);
    // text: \leveltext as characters (its first one is the length; 0..8 stand for the
    // numbers of the levels), indents in twips (0 when the level gives none).
    void endLevel(const QString &text, int leftIndent, int firstIndent);
    void endList();

    // {\listoverride\listidN ... \lsM}
    void beginOverride();
    void setOverrideListId(int id) { m_override.listId = id; }
    void setOverrideNumber(int ls) { m_override.ls = ls; }
    void endOverride();

    // The list properties of level of list override ls; false when either is unknown or
    // the level shows no label.
    bool resolve(int ls, int level, RtfListProps &props, int &leftIndent, int &firstIndent) const;

private:
    struct Level
    {
        int nfc = 0;
        int start = 1;
        QString before;     // the label's text before the number, or the bullet
        QString after;
        int leftIndent = 0;
        int firstIndent = 0;
    };
    struct List
    {
        int id = 0;
        // The levels read, at most kLevels: a letter's lists mostly have one, and a text
        // may define a thousand lists, so no room is kept for levels never given.
        std::vector<Level> levels;
    };
    struct Override
    {
        int listId = 0;
        int ls = 0;
    };

    std::map<int, List> m_lists;
    std::map<int, int> m_overrides; // \ls -> \listid
    List m_list;
    Level m_level;
    Override m_override;
};
