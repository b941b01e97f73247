#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// A dictionary that says whether a word is spelt right and what it might have meant.
// The composer's spell checking asks only this; HunspellChecker answers with an
// installed dictionary, tests may answer with their own words.
class SpellChecker
{
public:
    virtual ~SpellChecker() = default;

    virtual bool isCorrect(const QString &word) const = 0;
    // The dictionary's proposals, best first.
    virtual QStringList suggestions(const QString &word) const = 0;
    // Takes a word as correct for as long as this checker lives.
    virtual void accept(const QString &word) = 0;
    // The script the dictionary's words are written in; words in others are not its to judge.
    virtual QChar::Script script() const = 0;
};
