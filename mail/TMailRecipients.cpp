#include "mail/TMailRecipients.h"

#include "mail/AddressList.h"
#include "mail/MailText.h"
#include "mail/HeaderWords.h"
#include "mail/StringHelpers.h"
#include "mail/TMailMessage.h"
#include "text/Ansi.h"
#include "text/StoredText.h"
#include "text/TextRules.h"

namespace {

// A blank or control byte around a comma, but not NUL (TextRules::isBlankOrControl takes NUL).
bool isCommaBlank(char c)
{
    return c != '\0' && TextRules::isBlankOrControl(c);
}

} // namespace

TMailRecipients::TMailRecipients(TMailMessage *owner, std::string label)
    : m_owner(owner), m_label(std::move(label))
{
}

void TMailRecipients::Refresh() const
{
    const std::vector<std::string> &headers = m_owner->Headers;
    if (m_hasMark && m_mark == headers)
        return;
    m_names.clear();
    m_addresses.clear();
    m_texts.clear();
    m_error.clear();
    const std::string prefix = m_label + ":";
    for (const std::string &line : headers)
        if (StartsWithNoCase(line, prefix))
            parseLine(std::string_view(line).substr(prefix.size()));
    m_mark = headers;
    m_hasMark = true;
}

void TMailRecipients::parseLine(std::string_view value) const
{
    for (AddressList::Entry &e : AddressList::read(value)) {
        if (!e.error.empty()) {
            // Kept as it stands, so that it shows, and is written back, unchanged; the
            // session refuses to send it (Error).
            if (m_error.empty())
                m_error = m_label + ": " + e.error;
            m_names.emplace_back();
            m_texts.emplace_back();
            m_addresses.push_back(std::move(e.text));
            continue;
        }
        const std::string name = TrimBlanks(e.name);
        m_names.push_back(DecodeHeaderWords(name));
        m_texts.push_back(MailText::headerText(name));
        m_addresses.push_back(std::move(e.address));
    }
}

std::string TMailRecipients::Error() const
{
    Refresh();
    return m_error;
}

std::string TMailRecipients::NameAt(int index) const
{
    Refresh();
    if (index < 0 || index >= static_cast<int>(m_names.size()))
        return {};
    return m_names[static_cast<std::size_t>(index)];
}

QString TMailRecipients::NameText(int index) const
{
    Refresh();
    if (index < 0 || index >= static_cast<int>(m_texts.size()))
        return {};
    return m_texts[static_cast<std::size_t>(index)];
}

QString TMailRecipients::AddressText(int index) const
{
    return StoredText::toQString(AddressAt(index));
}

std::string TMailRecipients::AddressAt(int index) const
{
    Refresh();
    if (index < 0 || index >= static_cast<int>(m_addresses.size()))
        return {};
    return m_addresses[static_cast<std::size_t>(index)];
}

int TMailRecipients::Count() const
{
    Refresh();
    return static_cast<int>(m_addresses.size());
}

const std::vector<std::string> &TMailRecipients::Names() const
{
    Refresh();
    return m_names;
}

const std::vector<std::string> &TMailRecipients::Addresses() const
{
    Refresh();
    return m_addresses;
}

const std::vector<QString> &TMailRecipients::Texts() const
{
    Refresh();
    return m_texts;
}

std::string TMailRecipients::AddressList() const
{
    Refresh();
    return CommaText(m_addresses);
}

void TMailRecipients::SetAll(std::string_view names, std::string_view addresses)
{
    m_addresses = SplitCommaText(addresses);
    m_names = SplitCommaText(names);
    m_names.resize(m_addresses.size());
    m_texts.clear();
    for (const std::string &name : m_names)
        m_texts.push_back(Ansi::toQString(name));
    WriteBack();
}

void TMailRecipients::SetAllText(const QStringList &names, const QStringList &addresses)
{
    m_addresses.clear();
    m_texts.clear();
    for (const QString &address : addresses)
        m_addresses.push_back(StoredText::fromQString(address));
    for (qsizetype i = 0; i < addresses.size(); ++i)
        m_texts.push_back(i < names.size() ? names[i] : QString());
    m_names.assign(m_texts.size(), std::string());
    WriteBack();
}

void TMailRecipients::Add(std::string_view name, std::string_view address)
{
    AddText(Ansi::toQString(name), Ansi::toQString(address));
}

void TMailRecipients::AddText(const QString &name, const QString &address)
{
    Refresh();
    m_texts.push_back(name);
    m_names.emplace_back();
    m_addresses.push_back(StoredText::fromQString(address));
    WriteBack();
}

void TMailRecipients::WriteBack()
{
    std::vector<std::string> &headers = m_owner->Headers;
    const std::string prefix = m_label + ":";
    std::erase_if(headers, [&](const std::string &line) { return StartsWithNoCase(line, prefix); });

    // The lists keep what was written: trimmed, without line breaks, without entries
    // that have no address.
    std::vector<std::string> names, addresses;
    std::vector<QString> texts;
    std::string value;
    m_error.clear();
    for (std::size_t i = 0; i < m_addresses.size(); ++i) {
        std::string addr = TrimBlanks(WithoutLineBreaks(m_addresses[i]));
        if (addr.empty())
            continue;
        QString text = i < m_texts.size() ? MailText::trimBlanks(m_texts[i]) : QString();
        if (!value.empty())
            value += ", ";
        if (const std::string why = AddressList::addressError(addr); !why.empty()) {
            // Not an address: written as it stands, never made into one.
            if (m_error.empty())
                m_error = m_label + ": \"" + addr + "\": " + why;
            value += addr;
            text.clear();
        } else {
            value += AddressList::mailbox(text, addr, m_owner->Charset);
        }
        // What reading the field back gives: the bytes of an encoded word are the
        // Windows-1252 bytes of a name that fits, else UTF-8.
        names.push_back(StoredText::fromQString(text));
        texts.push_back(std::move(text));
        addresses.push_back(std::move(addr));
    }
    m_names = std::move(names);
    m_texts = std::move(texts);
    m_addresses = std::move(addresses);
    if (!value.empty())
        headers.push_back(m_label + ": " + value);
    m_mark = headers;
    m_hasMark = true;
}

// The one splitter of comma text: what a person types, what CommaText writes, and the
// text SendMailTo is given.
std::vector<std::string> TMailRecipients::SplitCommaText(std::string_view text)
{
    // A zero byte ends the text, as it does for the composer's edit boxes.
    const std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos)
        text = text.substr(0, zero);

    std::vector<std::string> items;
    std::size_t p = 0;
    while (p < text.size() && isCommaBlank(text[p]))
        ++p;
    while (p < text.size()) {
        std::string item;
        if (text[p] == '"') {
            ++p;
            while (p < text.size()) {
                if (text[p] == '"') {
                    if (p + 1 < text.size() && text[p + 1] == '"') {
                        item += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += text[p++];
            }
        } else {
            const std::size_t start = p;
            while (p < text.size() && !isCommaBlank(text[p]) && text[p] != ',')
                ++p;
            item.assign(text.substr(start, p - start));
        }
        items.push_back(std::move(item));
        while (p < text.size() && isCommaBlank(text[p]))
            ++p;
        if (p < text.size() && text[p] == ',') {
            if (p + 1 == text.size())
                items.emplace_back();
            do
                ++p;
            while (p < text.size() && isCommaBlank(text[p]));
        }
    }
    return items;
}

std::string TMailRecipients::CommaText(const std::vector<std::string> &items)
{
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string &item = items[i];
        if (i > 0)
            text += ',';
        bool quote = false;
        for (const char c : item)
            if (static_cast<unsigned char>(c) <= ' ' || c == '"' || c == ',')
                quote = true;
        if (!quote) {
            text += item;
            continue;
        }
        text += '"';
        for (const char c : item) {
            if (c == '"')
                text += '"';
            text += c;
        }
        text += '"';
    }
    return text;
}
