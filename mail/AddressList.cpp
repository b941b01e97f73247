#include "mail/AddressList.h"

#include "mail/MailText.h"
#include "mail/HeaderWords.h"
#include "mail/StringHelpers.h"
#include "text/StoredText.h"

#include <functional>

namespace {

// White space between the words of an address list, where a folded header's CR LF counts
// as a blank too (TextRules::isBlank is space and TAB only).
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// RFC 5322 atext, and any byte above 127 (RFC 6532).
bool isAtext(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x80)
        return true;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return std::string_view("!#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos;
}

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

// A dot-atom: atoms of atext joined by single dots.
std::string dotAtomError(std::string_view text, const char *what)
{
    if (text.front() == '.' || text.back() == '.' || text.find("..") != std::string_view::npos)
        return std::string("a misplaced \".\" in the ") + what;
    for (const char c : text) {
        if (c == '.' || isAtext(c))
            continue;
        if (static_cast<unsigned char>(c) <= ' ' || c == 127)
            return std::string("a blank or control character in the ") + what;
        return std::string("the character \"") + c + "\" in the " + what;
    }
    return {};
}

// Reads entries one character at a time; `pos` is the next character.
class Reader
{
public:
    explicit Reader(std::string_view list) : m_list(list) {}

    std::vector<AddressList::Entry> run()
    {
        while (m_pos < m_list.size())
            entry();
        return std::move(m_entries);
    }

private:
    // One entry, up to and including its "," or ";".
    void entry()
    {
        const std::size_t start = m_pos;
        std::vector<std::string> words; // the phrase before "<"
        std::string bare;               // the entry outside comments, for an addr-spec
        std::string comment;            // the last comment, a name for "addr (Name)"
        std::string angle;
        bool hasAngle = false, afterAngle = false;
        // A blank was passed since the last text (pending), and one stands between texts.
        bool blankInBare = false, spaced = false, group = false;
        bool wordOpen = false;          // the last word may go on (no blank since)
        std::string error;
        auto fail = [&](std::string why) {
            if (error.empty())
                error = std::move(why);
        };
        while (m_pos < m_list.size()) {
            const char c = m_list[m_pos];
            if (c == ',' || c == ';')
                break;
            if (isBlank(c)) {
                ++m_pos;
                wordOpen = false;
                if (!bare.empty() && !afterAngle)
                    blankInBare = true;
                continue;
            }
            if (c == '(') {
                std::string text;
                if (!readComment(text))
                    fail("a \"(\" is not closed");
                comment = TrimBlanks(text);
                wordOpen = false;
                continue;
            }
            if (c == ':' && !hasAngle && bare.find('@') == std::string::npos && !words.empty()) {
                // "Team: a@x, b@y;": the group's name is no recipient.
                ++m_pos;
                words.clear();
                bare.clear();
                comment.clear();
                blankInBare = wordOpen = spaced = false;
                group = true;
                continue;
            }
            if (afterAngle) {
                fail("text after \">\"");
                ++m_pos;
                continue;
            }
            if (c == '"') {
                std::string text;
                const std::size_t open = m_pos;
                if (!readQuoted(text))
                    fail("a double quote is not closed");
                if (blankInBare)
                    bare += ' ';
                spaced = spaced || blankInBare;
                blankInBare = false;
                bare.append(m_list.substr(open, m_pos - open));
                if (wordOpen && !words.empty())
                    words.back() += text;
                else
                    words.push_back(text);
                wordOpen = true;
                continue;
            }
            if (c == '<') {
                if (hasAngle)
                    fail("more than one \"<\"");
                hasAngle = afterAngle = true;
                const std::size_t close = findAngleEnd(m_pos + 1);
                if (close == std::string_view::npos) {
                    fail("\"<\" without \">\"");
                    angle = TrimBlanks(m_list.substr(m_pos + 1, entryEnd(m_pos + 1) - m_pos - 1));
                    m_pos = entryEnd(m_pos + 1);
                } else {
                    angle = TrimBlanks(m_list.substr(m_pos + 1, close - m_pos - 1));
                    m_pos = close + 1;
                }
                continue;
            }
            if (c == '>') {
                fail("\">\" without \"<\"");
                ++m_pos;
                continue;
            }
            if (blankInBare)
                bare += ' ';
            spaced = spaced || blankInBare;
            blankInBare = false;
            bare += c;
            if (wordOpen && !words.empty())
                words.back() += c;
            else
                words.emplace_back(1, c);
            wordOpen = true;
            ++m_pos;
        }

        AddressList::Entry e;
        std::string_view text = m_list.substr(start, m_pos - start);
        while (!text.empty() && isBlank(text.front()))
            text.remove_prefix(1);
        while (!text.empty() && isBlank(text.back()))
            text.remove_suffix(1);
        e.text = std::string(text);
        if (m_pos < m_list.size())
            ++m_pos; // the separator
        if (e.text.empty() || (group && bare.empty() && !hasAngle && comment.empty() && error.empty()))
            return;
        if (error.empty()) {
            if (hasAngle) {
                if (angle.empty())
                    error = "nothing between \"<\" and \">\"";
                else
                    error = AddressList::addressError(angle);
                e.address = angle;
                for (const std::string &w : words)
                    e.name += (e.name.empty() ? "" : " ") + w;
                if (e.name.empty())
                    e.name = comment;
            } else if (bare.empty()) {
                error = "a comment without an address";
            } else if (bare.find('@') == std::string::npos) {
                error = spaced ? "a name without an address" : "no \"@\" in the address";
            } else if (spaced) {
                error = "blanks in the address (a name goes before it, as Name <address>)";
            } else {
                error = AddressList::addressError(bare);
                e.address = bare;
                e.name = comment;
            }
        }
        if (!error.empty()) {
            e.reason = error;
            e.error = quoted(e.text) + ": " + error;
            e.address.clear();
            e.name.clear();
        }
        m_entries.push_back(std::move(e));
    }

    // A quoted string from its opening quote; `text` gets its content.
    bool readQuoted(std::string &text)
    {
        ++m_pos;
        while (m_pos < m_list.size()) {
            const char c = m_list[m_pos++];
            if (c == '\\' && m_pos < m_list.size())
                text += m_list[m_pos++];
            else if (c == '"')
                return true;
            else if (c != '\r' && c != '\n')
                text += c;
        }
        return false;
    }

    // A comment from its "(" (comments nest); `text` gets its content.
    bool readComment(std::string &text)
    {
        int depth = 0;
        while (m_pos < m_list.size()) {
            const char c = m_list[m_pos++];
            if (c == '\\' && m_pos < m_list.size()) {
                text += m_list[m_pos++];
                continue;
            }
            if (c == '(' && depth++ == 0)
                continue;
            if (c == ')' && --depth == 0)
                return true;
            text += c;
        }
        return false;
    }

    // The ">" that closes an angle address opened before `from`, passing quoted local
    // parts; npos when the entry ends first.
    std::size_t findAngleEnd(std::size_t from) const
    {
        bool inQuote = false;
        for (std::size_t i = from; i < m_list.size(); ++i) {
            const char c = m_list[i];
            if (inQuote) {
                if (c == '\\')
                    ++i;
                else if (c == '"')
                    inQuote = false;
            } else if (c == '"') {
                inQuote = true;
            } else if (c == '>') {
                return i;
            } else if (c == ',' || c == ';' || c == '<') {
                return std::string_view::npos;
            }
        }
        return std::string_view::npos;
    }

    std::size_t entryEnd(std::size_t from) const
    {
        const std::size_t end = m_list.find_first_of(",;", from);
        return end == std::string_view::npos ? m_list.size() : end;
    }

    std::string_view m_list;
    std::size_t m_pos = 0;
    std::vector<AddressList::Entry> m_entries;
};

// Every word of the name is an atom and the words are single-spaced.
bool isAtomPhrase(std::string_view name)
{
    if (name.empty() || name.front() == ' ' || name.back() == ' ' || name.find("  ") != std::string_view::npos)
        return false;
    if (name.find("=?") != std::string_view::npos)
        return false;
    for (const char c : name)
        if (c != ' ' && !isAtext(c))
            return false;
    return true;
}

// Leading and trailing words that are ASCII atoms stay as they are; the stretch between
// them becomes encoded words. Fewer encoded words to split, and the blank beside an atom
// is read as a blank by every reader.
std::string encodedRun(std::string_view name, const std::function<std::string(std::string_view)> &encode)
{
    auto isAtom = [](std::string_view word) {
        if (word.empty() || word.find("=?") != std::string_view::npos)
            return false;
        for (const char c : word)
            if (!isAtext(c) || static_cast<unsigned char>(c) >= 0x80)
                return false;
        return true;
    };
    std::size_t begin = 0, end = name.size();
    while (true) {
        const std::size_t space = name.find(' ', begin);
        if (space == std::string_view::npos || space >= end || !isAtom(name.substr(begin, space - begin)))
            break;
        begin = space + 1;
    }
    while (end > begin) {
        const std::size_t space = name.rfind(' ', end - 1);
        if (space == std::string_view::npos || space < begin || !isAtom(name.substr(space + 1, end - space - 1)))
            break;
        end = space;
    }
    return std::string(name.substr(0, begin)) + encode(name.substr(begin, end - begin))
           + std::string(name.substr(end));
}

} // namespace

namespace AddressList {

std::vector<Entry> read(std::string_view list)
{
    // A zero byte ends the text, as it does for an edit box.
    const std::size_t zero = list.find('\0');
    if (zero != std::string_view::npos)
        list = list.substr(0, zero);
    return Reader(list).run();
}

std::string firstError(const std::vector<Entry> &entries)
{
    for (const Entry &e : entries)
        if (!e.error.empty())
            return e.error;
    return {};
}

std::string addressError(std::string_view address)
{
    if (address.empty())
        return "an empty address";
    std::size_t at = std::string_view::npos;
    if (address.front() == '"') {
        // A quoted local part: any text up to its closing quote.
        std::size_t i = 1;
        for (; i < address.size() && address[i] != '"'; ++i)
            if (address[i] == '\\')
                ++i;
        if (i >= address.size())
            return "a double quote is not closed";
        if (i + 1 >= address.size() || address[i + 1] != '@')
            return "no \"@\" after the quoted part";
        at = i + 1;
        if (address.find('@', at + 1) != std::string_view::npos)
            return "more than one \"@\"";
    } else {
        at = address.find('@');
        if (at == std::string_view::npos)
            return "no \"@\" in the address";
        if (address.find('@', at + 1) != std::string_view::npos)
            return "more than one \"@\"";
        if (at == 0)
            return "nothing before \"@\"";
        if (std::string why = dotAtomError(address.substr(0, at), "name before \"@\""); !why.empty())
            return why;
    }
    const std::string_view domain = address.substr(at + 1);
    if (domain.empty())
        return "nothing after \"@\"";
    if (domain.front() == '[') {
        if (domain.back() != ']' || domain.size() < 3)
            return "a \"[\" is not closed";
        for (const char c : domain.substr(1, domain.size() - 2))
            if (static_cast<unsigned char>(c) <= ' ' || c == '[' || c == ']' || c == '\\')
                return "a blank or bracket inside [ ]";
        return {};
    }
    return dotAtomError(domain, "domain");
}

std::string phrase(const QString &name, std::string_view charset)
{
    if (const std::optional<std::string> bytes = StoredText::windows1252(name)) {
        bool ascii = true;
        for (const char c : *bytes) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (u < 32 || u > 126)
                ascii = false;
        }
        if (ascii && isAtomPhrase(*bytes))
            return *bytes;
        // Over 66 characters, quoted text could only fold inside its quotes.
        if (ascii && bytes->size() <= 66 && bytes->find("=?") == std::string::npos) {
            std::string out = "\"";
            for (const char c : *bytes) {
                if (c == '"' || c == '\\')
                    out += '\\';
                out += c;
            }
            return out + "\"";
        }
        return encodedRun(*bytes, [&](std::string_view run) {
            return MailText::encodedWords(run, CharsetLabel(run, charset));
        });
    }
    const QByteArray utf8 = name.toUtf8();
    return encodedRun(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())),
                      [](std::string_view run) { return MailText::encodedWords(run, "UTF-8"); });
}

std::string mailbox(const QString &name, std::string_view address, std::string_view charset)
{
    const QString trimmed = MailText::trimBlanks(name);
    if (trimmed.isEmpty())
        return std::string(address);
    return phrase(trimmed, charset) + " <" + std::string(address) + ">";
}

} // namespace AddressList
