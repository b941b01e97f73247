#pragma once

#include <vector>

class TMailPart;

// An ordered list of part references. It never owns its items: sub-parts are destroyed
// by their part, and the message's attachment list only refers to parts of its tree.
class TMailPartList
{
public:
    int Count() const { return static_cast<int>(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }

    // Index from 0; the index must be valid.
    TMailPart *Items(int index) const { return m_items[static_cast<std::size_t>(index)]; }
    TMailPart *operator[](int index) const { return Items(index); }
    TMailPart *First() const { return m_items.front(); }
    TMailPart *Last() const { return m_items.back(); }

    // Appends and returns the new index.
    int Add(TMailPart *part);
    // Inserts before `index`; an index past the end appends.
    void Insert(int index, TMailPart *part);
    void Delete(int index);
    // Index of the first occurrence, -1 if absent.
    int IndexOf(const TMailPart *part) const;
    // Removes the first occurrence; returns its former index or -1.
    int Remove(const TMailPart *part);
    void Clear() { m_items.clear(); }

    std::vector<TMailPart *>::const_iterator begin() const { return m_items.begin(); }
    std::vector<TMailPart *>::const_iterator end() const { return m_items.end(); }

private:
    std::vector<TMailPart *> m_items;
};
