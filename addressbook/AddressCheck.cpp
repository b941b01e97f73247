#include "addressbook/AddressCheck.h"

namespace AddressCheck {

bool isPlausible(const QString &address)
{
    QString text = address.trimmed();
    const qsizetype open = text.lastIndexOf(QLatin1Char('<'));
    if (open >= 0 && text.endsWith(QLatin1Char('>')))
        text = text.mid(open + 1, text.size() - open - 2).trimmed();
    const qsizetype at = text.lastIndexOf(QLatin1Char('@'));
    if (at <= 0 || at == text.size() - 1)
        return false;
    for (const QChar c : text) {
        if (c.isSpace() || c.unicode() < 32 || c == QLatin1Char('<') || c == QLatin1Char('>'))
            return false;
    }
    // A second "@" outside a quoted local part is a typing slip, not an address.
    return text.indexOf(QLatin1Char('@')) == at || text.startsWith(QLatin1Char('"'));
}

QStringList implausible(const QStringList &addresses)
{
    QStringList result;
    for (const QString &address : addresses) {
        if (!address.trimmed().isEmpty() && !isPlausible(address))
            result << address.trimmed();
    }
    return result;
}

} // namespace AddressCheck
