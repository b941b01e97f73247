#include "richtext/reading/RtfListTable.h"

#include <algorithm>

void RtfListTable::beginList()
{
    list_ = List();
}

void RtfListTable::beginLevel()
{
    level_ = Level();
}

void RtfListTable::setLevelStart(int start)
{
    level_.start = std::clamp(start, 0, 32767);
}

void RtfListTable::endLevel(const QString &text, int leftIndent, int firstIndent)
{
    Level level = level_;
    level_ = Level();
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
    if (list_.levels.size() < static_cast<size_t>(kLevels))
        list_.levels.push_back(std::move(level));
}

void RtfListTable::endList()
{
    if (lists_.size() < kMaxLists || lists_.count(list_.id)) {
        list_.levels.shrink_to_fit();
        lists_[list_.id] = std::move(list_);
    }
    list_ = List();
}

void RtfListTable::beginOverride()
{
    override_ = Override();
}

void RtfListTable::endOverride()
{
    if (override_.ls > 0 && (overrides_.size() < kMaxOverrides || overrides_.count(override_.ls)))
        overrides_[override_.ls] = override_.listId;
    override_ = Override();
}

bool RtfListTable::resolve(int ls, int level, RtfListProps &props, int &leftIndent, int &firstIndent) const
{
    const auto o = overrides_.find(ls);
    if (o == overrides_.end())
        return false;
    const auto l = lists_.find(o->second);
    if (l == lists_.end())
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
