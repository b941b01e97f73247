#pragma once

#include <QString>
#include <QStringList>

// The plain-sense check of a mail address that the composer and the address editor make
// before they go on: not a full RFC 5322 parser, only what plainly cannot be delivered.
namespace AddressCheck {

// True when the text (trimmed; "Name <a@b>" is judged by what stands between the angle
// brackets) has one "@" with text on both sides and no blank or control character inside.
bool isPlausible(const QString &address);

// The entries of `addresses` that fail isPlausible, in their order (blank entries skipped).
QStringList implausible(const QStringList &addresses);

} // namespace AddressCheck
