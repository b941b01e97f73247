#include "addressbook/AddressBook.h"

#include "config/IniFile.h"
#include "os/AppError.h"
#include "text/StoredText.h"
#include "text/TextRules.h"

#include <algorithm>

namespace {

bool hasLineBreak(const std::string &text)
{
    return text.find_first_of("\r\n") != std::string::npos;
}

[[noreturn]] void cannotWrite(const QString &path)
{
    throw AppError("Unable to write to " + path.toStdString());
}

} // namespace

AddressBook::AddressBook(QString configPath)
    : m_path(std::move(configPath))
{
}

std::vector<AddressBook::Entry> AddressBook::ListAddresses() const
{
    std::vector<Entry> entries;
    for (auto &[key, value] : IniFile(m_path).sectionEntries(Section))
        entries.push_back({std::move(key), std::move(value)});
    return entries;
}

std::string AddressBook::existingName(const std::string &name) const
{
    const std::string wanted = trimmed(name);
    for (const std::string &key : IniFile(m_path).keyNames(Section))
        if (TextRules::equalsIgnoringAsciiCase(key, wanted) || sameName(key, wanted))
            return key;
    return {};
}

bool AddressBook::sameName(const std::string &a, const std::string &b)
{
    return StoredText::toQString(a).compare(StoredText::toQString(b), Qt::CaseInsensitive) == 0;
}

std::string AddressBook::storedKey(const std::string &name) const
{
    // The INI layer matches ASCII letters without regard to case (and writes the name as
    // given); names that differ in other letters (É, Ω, Ж) are matched here as characters,
    // however their bytes were stored, and keep the stored spelling.
    const std::string key = existingName(name);
    return key.empty() || TextRules::equalsIgnoringAsciiCase(key, name) ? name : key;
}

std::string AddressBook::LookupAddress(const std::string &name) const
{
    return IniFile(m_path).readString(Section, storedKey(name), "");
}

QString AddressBook::LookupAddressText(const QString &name) const
{
    return StoredText::toQString(LookupAddress(StoredText::fromQString(name)));
}

void AddressBook::StoreAddress(const std::string &name, const std::string &address)
{
    const QString problem = entryProblem(name, address);
    if (!problem.isEmpty())
        throw AppError(problem.toStdString());
    IniFile ini(m_path);
    if (!ini.writeString(Section, storedKey(trimmed(name)), trimmed(address)))
        cannotWrite(m_path);
}

void AddressBook::RemoveAddress(const std::string &name)
{
    IniFile ini(m_path);
    if (!ini.removeKey(Section, storedKey(trimmed(name))))
        cannotWrite(m_path);
}

void AddressBook::ReplaceAddress(const std::string &oldName, const std::string &name, const std::string &address)
{
    const QString problem = entryProblem(name, address);
    if (!problem.isEmpty())
        throw AppError(problem.toStdString());
    // Compared as characters: the same name typed again may give other bytes than those
    // stored (Windows-1252 bytes that read as UTF-8), and keeps its place and its bytes.
    const std::string newName = trimmed(name);
    if (sameName(newName, oldName)) {
        const bool sameSpelling = StoredText::toQString(newName) == StoredText::toQString(oldName);
        if (!IniFile(m_path).renameKey(Section, oldName, sameSpelling ? oldName : newName, trimmed(address)))
            cannotWrite(m_path);
        return;
    }
    RemoveAddress(oldName);
    StoreAddress(name, address);
}

std::string AddressBook::trimmed(const std::string &text)
{
    return std::string(TextRules::trimBlanksOrControls(text));
}

QString AddressBook::trimmedText(const QString &text)
{
    return TextRules::trimBlanksOrControls(text);
}

QString AddressBook::entryProblem(const std::string &name, const std::string &address)
{
    const std::string n = trimmed(name);
    const std::string a = trimmed(address);
    if (n.empty() || a.empty())
        return QString::fromLatin1(EmptyMessage);
    // Such a name would split its line differently, read as a comment or a section
    // header, or break the line: the entry would vanish or spoil the section.
    if (n.find('=') != std::string::npos || hasLineBreak(n) || n.front() == ';' || n.front() == '[')
        return QStringLiteral("A name can not contain \"=\" or a line break, nor begin with \";\" or \"[\".");
    if (hasLineBreak(a))
        return QStringLiteral("A mail address can not contain a line break.");
    return {};
}
