#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

class TMailMessage;

// One recipient field ("To", "Cc" or "Bcc") of a message, kept as parallel lists of
// display names and addresses (an empty name means "address only"), read as address
// lists (AddressList) and written as RFC 5322 mailboxes. The lists are
// read from the message's header lines whenever those changed since the last read, and
// written back into them by SetAll, Add and WriteBack.
class TMailRecipients
{
public:
    TMailRecipients(TMailMessage *owner, std::string label);

    TMailRecipients(const TMailRecipients &) = delete;
    TMailRecipients &operator=(const TMailRecipients &) = delete;

    // The field name ("To", "Cc", "Bcc").
    const std::string &Label() const { return m_label; }

    // Re-reads the lists when the header lines differ from the last read.
    void Refresh() const;
    std::string NameAt(int index) const;
    std::string AddressAt(int index) const;
    int Count() const;
    // Both lists after one Refresh, for callers that walk every entry: each NameAt or
    // AddressAt compares the whole header text again, which a walk of a very long field
    // would repeat once per entry.
    const std::vector<std::string> &Names() const;
    const std::vector<std::string> &Addresses() const;
    // The names as characters (NameText of every entry), after one Refresh.
    const std::vector<QString> &Texts() const;
    // The addresses as comma text: comma-separated, an entry holding a space, comma,
    // double quote or control character in double quotes (inner quotes doubled).
    std::string AddressList() const;

    // Why an entry of the field is no address ("To: \"Lena Novak\": a name without an
    // address"), or empty. Such an entry is kept as it stands, name empty.
    std::string Error() const;

    // The name as characters: encoded words read in their charsets.
    QString NameText(int index) const;
    // The address as characters (its bytes read as StoredText).
    QString AddressText(int index) const;
    // Replaces both lists; names are padded or cut to the addresses as SetAll does. A name
    // that Windows-1252 holds is written as SetAll writes it, another one as UTF-8 encoded
    // words.
    void SetAllText(const QStringList &names, const QStringList &addresses);
    void AddText(const QString &name, const QString &address);

    // Replaces both lists from two comma texts (see SplitCommaText); the names are padded
    // with empty names or cut to the number of addresses. Then WriteBack.
    void SetAll(std::string_view names, std::string_view addresses);
    // Appends one entry, then WriteBack.
    void Add(std::string_view name, std::string_view address);
    // Removes every line of the field and writes it once from the lists (if there is at
    // least one address). CR and LF in addresses are removed; names become encoded words.
    void WriteBack();

    // Comma text as the composer passes it: items separated by commas or blanks outside
    // double quotes; a quoted item has its inner quotes doubled.
    static std::vector<std::string> SplitCommaText(std::string_view text);
    static std::string CommaText(const std::vector<std::string> &items);

private:
    void parseLine(std::string_view value) const;

    TMailMessage *m_owner;
    std::string m_label;
    mutable std::vector<std::string> m_names;
    mutable std::vector<std::string> m_addresses;
    // The names as characters, beside m_names; WriteBack writes from these.
    mutable std::vector<QString> m_texts;
    // The header lines the lists were last read from or written to.
    mutable std::vector<std::string> m_mark;
    mutable bool m_hasMark = false;
    mutable std::string m_error;
};
