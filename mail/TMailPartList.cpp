#include "mail/TMailPartList.h"

#include <algorithm>

int TMailPartList::Add(TMailPart *part)
{
    m_items.push_back(part);
    return Count() - 1;
}

void TMailPartList::Insert(int index, TMailPart *part)
{
    if (index < 0)
        index = 0;
    if (index >= Count())
        m_items.push_back(part);
    else
        m_items.insert(m_items.begin() + index, part);
}

void TMailPartList::Delete(int index)
{
    if (index >= 0 && index < Count())
        m_items.erase(m_items.begin() + index);
}

int TMailPartList::IndexOf(const TMailPart *part) const
{
    const auto it = std::find(m_items.begin(), m_items.end(), part);
    return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

int TMailPartList::Remove(const TMailPart *part)
{
    const int index = IndexOf(part);
    if (index >= 0)
        Delete(index);
    return index;
}
