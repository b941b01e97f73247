#pragma once

#include <QSet>
#include <QString>

// The user's own words ("Add to Dictionary"): one word a line in a UTF-8 file of the data
// folder, read when created and written again after every added word, so they count in
// every composer from then on and after a restart.
class PersonalWords
{
public:
    // The file's name in the data folder.
    static constexpr const char *kFileName = "PersonalWords.txt";
    // Lines beyond these are not read: the list is the user's typing, not a dictionary.
    static constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;
    static constexpr int kMaxWordLength = 100;

    explicit PersonalWords(const QString &path);

    bool contains(const QString &word) const { return m_words.contains(word); }
    const QSet<QString> &words() const { return m_words; }
    // Adds the word and writes the file; false when the word cannot be one (empty, too
    // long, with blanks) or the file could not be written (the word then counts until
    // the window closes).
    bool add(const QString &word);

private:
    void load();
    bool save() const;

    QString m_path;
    QSet<QString> m_words;
};
