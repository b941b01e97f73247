#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

// The Hunspell dictionaries installed in a folder (LANGUAGE.aff beside LANGUAGE.dic), and
// which of them the composer checks with.
namespace SpellDictionaries {

// Where Debian's hunspell-* packages put them.
inline constexpr const char *kSystemFolder = "/usr/share/hunspell/";

// The languages ("en_US", "de_DE", ...) whose two files are there and whose encoding we
// can convert to, sorted.
QStringList available(const QString &folder);

// The language to check with: the configured one when installed, else the one of the
// system's locale, else US English, else the first; empty when none is installed.
QString chosen(const QStringList &available, const QString &configured, const QString &localeName);

// folder/language, or an empty string when language is no plain file name.
QString basePath(const QString &folder, const QString &language);
// The encoding an .aff file declares (SET), as Qt names it; ISO-8859-1 when it declares none.
QByteArray encodingOf(const QString &affPath);
// The script a language is written in (Latin when unknown).
QChar::Script scriptOf(const QString &language);

} // namespace SpellDictionaries
