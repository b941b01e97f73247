#include "addressbook/AddressCheck.h"

#include "mail/AddressList.h"

namespace AddressCheck {

QString problem(const QString &address)
{
    const QByteArray utf8 = address.toUtf8();
    const std::vector<AddressList::Entry> entries =
        AddressList::read(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    if (entries.empty())
        return QStringLiteral("no address");
    // The reason without the part it names: the caller shows the whole text.
    if (!entries.front().reason.empty())
        return QString::fromStdString(entries.front().reason);
    if (entries.size() > 1)
        return QStringLiteral("more than one address");
    return {};
}

bool isPlausible(const QString &address)
{
    return problem(address).isEmpty();
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
