#include "composer/LetterFile.h"

#include <QDir>
#include <QSaveFile>

namespace LetterFile {

QString suggestedName(const QString &subject)
{
    QString name;
    for (const QChar c : subject.simplified()) {
        // Characters that file systems or file managers refuse in a name.
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c == QLatin1Char('*')
            || c == QLatin1Char('?') || c == QLatin1Char('"') || c == QLatin1Char('<') || c == QLatin1Char('>')
            || c == QLatin1Char('|') || c.category() == QChar::Other_Control)
            name += QLatin1Char('_');
        else
            name += c;
    }
    name = name.left(100).trimmed();
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    return (name.isEmpty() ? QStringLiteral("letter") : name) + QStringLiteral(".rtf");
}

QString save(const QString &path, const std::string &rtf)
{
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly)
        && file.write(rtf.data(), qint64(rtf.size())) == qint64(rtf.size()) && file.commit();
    if (written)
        return {};
    return QStringLiteral("Cannot write file \"%1\": %2").arg(QDir::toNativeSeparators(path), file.errorString());
}

} // namespace LetterFile
