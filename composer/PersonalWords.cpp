#include "composer/PersonalWords.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>

PersonalWords::PersonalWords(const QString &path)
    : m_path(path)
{
    load();
}

void PersonalWords::load()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QString text = QString::fromUtf8(file.read(kMaxFileBytes));
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString word = line.trimmed();
        if (!word.isEmpty() && word.size() <= kMaxWordLength)
            m_words.insert(word);
    }
}

bool PersonalWords::add(const QString &word)
{
    if (word.isEmpty() || word.size() > kMaxWordLength
        || std::any_of(word.begin(), word.end(), [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; }))
        return false;
    // Another composer may have added words since this one read the file: they stay.
    load();
    m_words.insert(word);
    return save();
}

bool PersonalWords::save() const
{
    QStringList sorted(m_words.begin(), m_words.end());
    sorted.sort();
    const bool created = !QFile::exists(m_path);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // A new list is the person's own; an existing one keeps the mode it was given.
    if (created)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(sorted.join(QLatin1Char('\n')).toUtf8() + '\n');
    return file.commit();
}
