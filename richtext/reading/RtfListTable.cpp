#include "richtext/reading/RtfListTable.h"

#include <algorithm>

void RtfListTable::beginList()
{
    m_list = List();
}

void RtfListTable::beginLevel()
{
    m_level = Level();
}

void RtfListTable::setLevelStart(int start)
{
    m_level.start = std::clamp(start, 0, 32767);
}

void RtfListTable::endLevel(const QString &text, int leftIndent, int firstIndent)
{
    Level level = m_level;
    m_level = Level();
    level.leftIndent = leftIndent;
    level.firstIndent = firstIndent;
    // The first character counts the characters of the label that follow it.
    const qsizetype length = text.isEmpty() ? 0 : std::min<qsizetype>(text.at(0).unicode(), text.size() - 1);
    const QString label = text.mid(1, length);
    qsizetype first = -1;
    qsizetype last = -1;
    for (qsizetype i = 0; i < label.size(); ++i) {
        if (label.at(i).unicode() < kLevels) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0) {
        level.before = label.left(32);
    } else {
        // Only the level's own number is drawn: the text around the numbers stays.
        level.before = label.left(first).left(32);
        level.after = label.mid(last + 1).left(32);
    }
    if (m_list.levels.size() < static_cast<size_t>(kLevels))
        m_list.levels.push_back(std::move(level));
}

void RtfListTable::endList()
{
    if (m_lists.size() < kMaxLists || m_lists.count(m_list.id)) {
        m_list.levels.shrink_to_fit();
        m_lists[m_list.id] = std::move(m_list);
    }
    m_list = List();
}

void RtfListTable::beginOverride()
{
    m_override = Override();
}

void RtfListTable::endOverride()
{
    if (m_override.ls > 0 && (m_overrides.size() < kMaxOverrides || m_overrides.count(m_override.ls)))
        m_overrides[m_override.ls] = m_override.listId;
    m_override = Override();
}

bool RtfListTable::resolve(int ls, int level, RtfListProps &props, int &leftIndent, int &firstIndent) const
{
    const auto o = m_overrides.find(ls);
    if (o == m_overrides.end())
        return false;
    const auto l = m_lists.find(o->second);
    if (l == m_lists.end())
        return false;
    const int index = std::clamp(level, 0, kLevels - 1);
    const std::vector<Level> &levels = l->second.levels;
    if (static_cast<size_t>(index) >= levels.size())
        return false;
    const Level &lv = levels[static_cast<size_t>(index)];
    if (lv.nfc == 255)
        return false;
    props = RtfListProps();
    props.ls = ls;
    props.level = index;
    props.start = lv.start;
    props.before = lv.before;
    props.after = lv.after;
    switch (lv.nfc) {
    case 23: props.kind = RtfListKind::Bullet; break;
    case 1: props.kind = RtfListKind::Numbered; props.numbering = RtfNumbering::UpperRoman; break;
    case 2: props.kind = RtfListKind::Numbered; props.numbering = RtfNumbering::LowerRoman; break;
    case 3: props.kind = RtfListKind::Numbered; props.numbering = RtfNumbering::UpperAlpha; break;
    case 4: props.kind = RtfListKind::Numbered; props.numbering = RtfNumbering::LowerAlpha; break;
    default: props.kind = RtfListKind::Numbered; props.numbering = RtfNumbering::Decimal; break;
    }
    leftIndent = lv.leftIndent;
    firstIndent = lv.firstIndent;
    return true;
}
