#include "composer/SpellCheck.h"

SpellCheck::SpellCheck(const QString &personalWordsPath)
    : m_personal(personalWordsPath)
{
}

void SpellCheck::setChecker(std::unique_ptr<SpellChecker> checker)
{
    m_checker = std::move(checker);
    m_known.clear();
}

bool SpellCheck::isMisspelt(const QString &word) const
{
    if (!m_checker || word.isEmpty() || m_ignored.contains(word) || m_personal.contains(word))
        return false;
    const auto known = m_known.constFind(word);
    if (known != m_known.constEnd())
        return !known.value();
    const bool right = m_checker->isCorrect(word);
    m_known.insert(word, right);
    return !right;
}

std::vector<WordScanner::Word> SpellCheck::misspelt(QStringView text) const
{
    std::vector<WordScanner::Word> out;
    if (!m_checker)
        return out;
    for (const WordScanner::Word &w : WordScanner::words(text, m_checker->script())) {
        if (isMisspelt(text.mid(w.start, w.length).toString()))
            out.push_back(w);
    }
    return out;
}

WordScanner::Word SpellCheck::misspeltAt(QStringView text, int position) const
{
    if (!m_checker)
        return {position, 0};
    const WordScanner::Word w = WordScanner::wordAt(text, position, m_checker->script());
    if (w.length == 0 || !isMisspelt(text.mid(w.start, w.length).toString()))
        return {position, 0};
    return w;
}

QStringList SpellCheck::suggestions(const QString &word) const
{
    if (!m_checker)
        return {};
    QStringList all = m_checker->suggestions(word);
    if (all.size() > kMaxSuggestions)
        all.resize(kMaxSuggestions);
    return all;
}

void SpellCheck::ignore(const QString &word)
{
    m_ignored.insert(word);
}

bool SpellCheck::addToDictionary(const QString &word)
{
    if (m_checker)
        m_checker->accept(word);
    m_known.insert(word, true);
    return m_personal.add(word);
}
