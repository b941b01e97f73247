#include "tests/support/windows/CommandTableCheck.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>

namespace CommandTableCheck {

QString keysPage()
{
    QFile file(QStringLiteral(VELLORN_SOURCE_DIR "/help/html/Manual_keys.htm"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QSet<QKeySequence> keysOnPage(const QString &html, const QString &id)
{
    QSet<QKeySequence> keys;
    const qsizetype start = html.indexOf(QStringLiteral("<h2 id=\"%1\">").arg(id));
    if (start < 0)
        return keys;
    const qsizetype end = html.indexOf(QLatin1String("<h2"), start + 1);
    const QString section = html.mid(start, end < 0 ? -1 : end - start);
    static const QRegularExpression firstCell(QStringLiteral("<tr><td>(.*?)</td>"),
                                              QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    for (auto it = firstCell.globalMatch(section); it.hasNext();) {
        QString cell = it.next().captured(1);
        cell.remove(tag);
        for (QString name : cell.split(QLatin1Char(','))) {
            // The page writes the key names out; Qt's short names for the same keys.
            name = name.trimmed().replace(QLatin1String("Delete"), QLatin1String("Del"));
            const QKeySequence key = QKeySequence::fromString(name, QKeySequence::PortableText);
            if (key.count() == 1 && key[0].key() != Qt::Key_unknown)
                keys.insert(key);
        }
    }
    return keys;
}

QStringList problems(const std::vector<WindowCommand> &rows, const QSet<QKeySequence> &pageKeys)
{
    QStringList found;
    QHash<QKeySequence, QString> keyOwner;
    QHash<QString, QHash<QChar, QString>> mnemonics; // by menu ("" for the menu bar)
    for (const WindowCommand &row : rows) {
        const QString name = QLatin1String(row.name);
        if (row.kind == WindowCommand::Kind::Command) {
            for (const QKeySequence &key : row.keys) {
                const QString text = key.toString(QKeySequence::PortableText);
                if (!pageKeys.contains(key))
                    found << QStringLiteral("%1: %2 is not on the keys page").arg(name, text);
                const QString owner = keyOwner.value(key);
                if (!owner.isEmpty() && owner != name)
                    found << QStringLiteral("%1: %2 is also the key of %3").arg(name, text, owner);
                keyOwner.insert(key, name);
            }
        }
        const bool inMenu = row.kind == WindowCommand::Kind::Command ? row.menu != nullptr
                                                                      : row.kind == WindowCommand::Kind::Menu;
        if (!inMenu)
            continue;
        const QString caption = QLatin1String(row.caption);
        const qsizetype amp = caption.indexOf(QLatin1Char('&'));
        if (amp < 0 || amp + 1 >= caption.size() || caption.at(amp + 1) == QLatin1Char('&')) {
            found << QStringLiteral("%1: \"%2\" has no mnemonic").arg(name, caption);
            continue;
        }
        const QChar letter = caption.at(amp + 1).toLower();
        QHash<QChar, QString> &taken = mnemonics[QLatin1String(row.menu)];
        if (taken.contains(letter))
            found << QStringLiteral("%1: &%2 is also the mnemonic of %3").arg(name, QString(letter), taken.value(letter));
        taken.insert(letter, name);
    }
    return found;
}

} // namespace CommandTableCheck
