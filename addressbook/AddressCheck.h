#pragma once

#include <QString>
#include <QStringList>

// The check of an address book's E-mail field, by the reader every address goes through
// (AddressList): it must read as exactly one mail address, "addr" or "Name <addr>".
namespace AddressCheck {

// Why the text is not one mail address ("a name without an address"), or empty.
QString problem(const QString &address);

// True when problem() finds nothing.
bool isPlausible(const QString &address);

// The entries of `addresses` that fail isPlausible, in their order (blank entries skipped).
QStringList implausible(const QStringList &addresses);

} // namespace AddressCheck
