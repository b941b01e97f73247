#include "composer/SpellDictionaries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStringConverter>

namespace SpellDictionaries {

namespace {

// Only the start of an .aff file is read for its SET line.
constexpr qint64 kHeaderBytes = 64 * 1024;

bool plainName(const QString &language)
{
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9][A-Za-z0-9_@.-]{0,63}$"));
    return name.match(language).hasMatch() && !language.contains(QLatin1String(".."));
}

} // namespace

QString basePath(const QString &folder, const QString &language)
{
    if (!plainName(language))
        return {};
    QString base = folder;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base + language;
}

QByteArray encodingOf(const QString &affPath)
{
    QFile file(affPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(kHeaderBytes);
    for (QByteArray line : head.split('\n')) {
        line = line.trimmed();
        if (!line.startsWith("SET ") && !line.startsWith("SET\t"))
            continue;
        const QByteArray name = line.mid(4).trimmed().toUpper();
        // Hunspell writes "ISO8859-1"; Qt knows it as "ISO-8859-1".
        return name == "ISO8859-1" ? QByteArray("ISO-8859-1") : name;
    }
    return "ISO-8859-1";
}

QStringList available(const QString &folder)
{
    QStringList out;
    const QDir dir(folder);
    const QStringList affs = dir.entryList({QStringLiteral("*.aff")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString &aff : affs) {
        const QString language = aff.chopped(4);
        if (!plainName(language) || !QFileInfo(dir.filePath(language + QStringLiteral(".dic"))).isReadable())
            continue;
        if (QStringConverter::encodingForName(encodingOf(dir.filePath(aff)).constData()))
            out.append(language);
    }
    return out;
}

QString chosen(const QStringList &available, const QString &configured, const QString &localeName)
{
    for (const QString &wanted : {configured, localeName, QStringLiteral("en_US")}) {
        if (!wanted.isEmpty() && available.contains(wanted))
            return wanted;
    }
    return available.value(0);
}

QChar::Script scriptOf(const QString &language)
{
    switch (QLocale(language).script()) {
    case QLocale::CyrillicScript: return QChar::Script_Cyrillic;
    case QLocale::GreekScript: return QChar::Script_Greek;
    case QLocale::HebrewScript: return QChar::Script_Hebrew;
    case QLocale::ArabicScript: return QChar::Script_Arabic;
    case QLocale::ArmenianScript: return QChar::Script_Armenian;
    case QLocale::GeorgianScript: return QChar::Script_Georgian;
    case QLocale::ThaiScript: return QChar::Script_Thai;
    case QLocale::DevanagariScript: return QChar::Script_Devanagari;
    default: return QChar::Script_Latin;
    }
}

} // namespace SpellDictionaries
