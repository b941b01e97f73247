#pragma once

#include "composer/PersonalWords.h"
#include "composer/SpellChecker.h"
#include "composer/WordScanner.h"

#include <QHash>
#include <QSet>
#include <memory>
#include <vector>

// One composer's spell checking: the dictionary it checks with, the user's own words and
// the words ignored in this window. It says which words of a paragraph are misspelt and
// what to offer for one. Without a dictionary nothing is misspelt.
class SpellCheck
{
public:
    // The context menu offers at most this many suggestions.
    static constexpr int kMaxSuggestions = 8;

    explicit SpellCheck(const QString &personalWordsPath);

    // Replaces the dictionary (null: none); answers given so far are forgotten.
    void setChecker(std::unique_ptr<SpellChecker> checker);
    bool hasChecker() const { return m_checker != nullptr; }

    std::vector<WordScanner::Word> misspelt(QStringView text) const;
    bool isMisspelt(const QString &word) const;
    QStringList suggestions(const QString &word) const;
    // The misspelt word at a position of a paragraph; length 0 when there is none.
    WordScanner::Word misspeltAt(QStringView text, int position) const;

    // "Ignore All": the word counts as right in this window.
    void ignore(const QString &word);
    // "Add to Dictionary": into the personal list; false when it could not be written.
    bool addToDictionary(const QString &word);

private:
    std::unique_ptr<SpellChecker> m_checker;
    PersonalWords m_personal;
    QSet<QString> m_ignored;
    // A long letter repeats its words; each is asked of the dictionary once.
    mutable QHash<QString, bool> m_known;
};
