#pragma once

#include <QString>
#include <string>

class AddressBook;

// What the address dialogs ask before they change the book. Each question is asked with
// Yes and No, No the default, and No leaves the book as it is. An empty text: nothing to ask.
namespace AddressQuestions {

// The editor's OK with an address that is plainly not one (AddressCheck::isPlausible). A
// person may keep a note-like entry, so it is a question, not a refusal.
QString storeAnyway(const std::string &address);

// The editor's OK with a name that another entry has (in any case, any script), whose
// address would be replaced. editedName is the stored name of the entry being edited, or
// empty when a new entry is added; the edited entry itself is no other entry.
QString replaceExisting(const AddressBook &book, const std::string &editedName, const std::string &name,
                        const std::string &address);

// Delete, naming the entry.
QString deleteEntry(const std::string &name, const std::string &address);

} // namespace AddressQuestions
