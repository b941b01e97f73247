#pragma once

#include "composer/SpellChecker.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <memory>

class Hunspell;

// A SpellChecker over one Hunspell dictionary (LANGUAGE.aff and LANGUAGE.dic in a
// folder). Words go to Hunspell in the dictionary's own encoding; a word that encoding
// cannot write is not judged.
class HunspellChecker : public SpellChecker
{
public:
    ~HunspellChecker() override;

    // Null when the files are missing or unreadable, or their encoding is one we cannot
    // convert to.
    static std::unique_ptr<HunspellChecker> open(const QString &folder, const QString &language);

    bool isCorrect(const QString &word) const override;
    QStringList suggestions(const QString &word) const override;
    void accept(const QString &word) override;
    QChar::Script script() const override { return m_script; }

private:
    HunspellChecker() = default;
    // False when the word cannot be written in the dictionary's encoding.
    bool encode(const QString &word, std::string *out) const;

    std::unique_ptr<Hunspell> m_hunspell;
    mutable QStringEncoder m_encoder;
    mutable QStringDecoder m_decoder;
    QChar::Script m_script = QChar::Script_Latin;
};
