#pragma once

#include <QChar>
#include <QStringView>
#include <vector>

// Finds the words of a paragraph that a spell checker should look at. Not words for it:
// numbers and words joined to digits ("A4", "3rd"), e-mail addresses, web addresses and
// words written in another script than the dictionary's.
namespace WordScanner {

struct Word
{
    int start;
    int length;
    bool operator==(const Word &o) const { return start == o.start && length == o.length; }
};

// Longer runs of letters are no words anyone misspells; they are left alone.
constexpr int kMaxWordLength = 64;

std::vector<Word> words(QStringView text, QChar::Script script);

// The word (as words() finds it) that covers position, or one with length 0.
Word wordAt(QStringView text, int position, QChar::Script script);

} // namespace WordScanner
