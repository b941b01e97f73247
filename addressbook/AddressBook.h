#pragma once

#include <QString>
#include <string>
#include <vector>

// The address book: names mapped to mail addresses in the [Address List] section of
// Config.dat, one "Name=Address" line per entry. Every operation opens and closes the
// file; nothing is cached. Names are matched without regard to case (they are the
// section's keys); names and addresses are stored trimmed; a new name goes to the end of
// the section, an existing one keeps its line. Texts are bytes in the file's code page.
class AddressBook
{
public:
    static constexpr const char *Section = "Address List";

    struct Entry
    {
        std::string name;
        std::string address;
    };

    explicit AddressBook(QString configPath);

    // Every entry in section order, however many (a missing file or section: none).
    std::vector<Entry> ListAddresses() const;
    // The address stored for name, or an empty text.
    std::string LookupAddress(const std::string &name) const;
    // The same with characters, as the composer's recipient lines hold them.
    QString LookupAddressText(const QString &name) const;
    // Adds the entry or replaces the address of the entry of that name. Throws AppError
    // "Unable to write to <path>" when the file cannot be written, and AppError with
    // entryProblem's text for an entry that cannot be stored (nothing is written then).
    void StoreAddress(const std::string &name, const std::string &address);
    // Deletes the entry of that name; nothing happens when there is none. Throws AppError
    // when the file cannot be written.
    void RemoveAddress(const std::string &name);
    // The editor's confirmed change of the entry oldName (its name as stored). The same
    // name, even in another case, keeps the entry's line and takes the new spelling; another
    // name removes the old entry first, so the entry moves to the end of the section under
    // its new name (or takes the place of an entry of that name, replacing its address).
    void ReplaceAddress(const std::string &oldName, const std::string &name, const std::string &address);
    // The name as stored of the entry that `name` (trimmed) names, in any case and any
    // script, or an empty text when there is none.
    std::string existingName(const std::string &name) const;
    // True when both name the same entry: equal as characters without regard to case.
    static bool sameName(const std::string &a, const std::string &b);

    // Leading and trailing blanks and control characters removed.
    static std::string trimmed(const std::string &text);
    // The same on characters (blanks and control characters below 33 removed).
    static QString trimmedText(const QString &text);
    // Why the entry cannot be stored, or an empty text when it can. Checked on the trimmed
    // texts: both must be non-empty; the name must be a usable key (no "=", no line break,
    // not beginning with ";" or "["), and the address must not break the line.
    static QString entryProblem(const std::string &name, const std::string &address);

    static constexpr const char *EmptyMessage = "Name or Mail Address can not be empty!";

private:
    // The key under which the section holds `name`, or `name` when it holds none.
    std::string storedKey(const std::string &name) const;

    QString m_path;
};
