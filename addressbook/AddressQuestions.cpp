#include "addressbook/AddressQuestions.h"

#include "addressbook/AddressBook.h"
#include "addressbook/AddressCheck.h"
#include "text/StoredText.h"

namespace AddressQuestions {

namespace {

QString text(const std::string &bytes)
{
    return StoredText::toQString(AddressBook::trimmed(bytes));
}

} // namespace

QString storeAnyway(const std::string &address)
{
    const QString shown = text(address);
    const QString problem = AddressCheck::problem(shown);
    if (problem.isEmpty())
        return {};
    return QStringLiteral("\"%1\" is not a mail address: %2.\r\nStore it anyway?").arg(shown, problem);
}

QString replaceExisting(const AddressBook &book, const std::string &editedName, const std::string &name,
                        const std::string &address)
{
    if (!editedName.empty() && AddressBook::sameName(editedName, AddressBook::trimmed(name)))
        return {};
    const std::string existing = book.existingName(name);
    if (existing.empty())
        return {};
    return QStringLiteral("The address book already has an entry \"%1\" (%2).\r\n"
                          "Replace it with \"%3\" (%4)?")
        .arg(text(existing), text(book.LookupAddress(existing)), text(name), text(address));
}

QString deleteEntry(const std::string &name, const std::string &address)
{
    return QStringLiteral("Delete \"%1\" (%2) from the address book?").arg(text(name), text(address));
}

} // namespace AddressQuestions
