#include "mail/MailText.h"

#include "mail/DisplayName.h"
#include "mail/HeaderWords.h"
#include "mail/StringHelpers.h"
#include "text/Ansi.h"
#include "text/StoredText.h"
#include "text/TextRules.h"

#include <QStringDecoder>

#include <array>
#include <vector>

namespace {

// Percent-encoded characters in one section of an extended parameter.
constexpr std::size_t kSectionLength = 60;

std::string lowerLabel(std::string_view charset)
{
    std::string label = TrimBlanks(charset);
    if (label.size() >= 2 && label.front() == '"' && label.back() == '"')
        label = label.substr(1, label.size() - 2);
    // RFC 2231 lets an encoded word name a language after "*".
    const std::size_t star = label.find('*');
    if (star != std::string::npos)
        label.resize(star);
    return TextRules::lowerAsciiCopy(label);
}

// Names under which mails mean Windows-1252.
bool meansWindows1252(std::string_view label)
{
    static constexpr std::array<std::string_view, 12> names = {
        "iso-8859-1", "iso8859-1", "iso_8859-1", "latin1", "l1", "us-ascii", "ascii", "ansi_x3.4-1968",
        "windows-1252", "cp1252", "x-cp1252", "cp819"};
    for (const std::string_view n : names)
        if (label == n)
            return true;
    return false;
}

// A charset name worth handing to the converters: short, of the characters names use.
bool plausibleLabel(std::string_view label)
{
    if (label.empty() || label.size() > 40)
        return false;
    for (const char c : label)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':'
              || c == '+'))
            return false;
    return true;
}

QString fromUtf8(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool qSafe(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '!' || c == '*'
           || c == '+' || c == '-' || c == '/' || c == ' ';
}

std::size_t qCost(std::string_view bytes)
{
    std::size_t cost = 0;
    for (const char c : bytes)
        cost += qSafe(static_cast<unsigned char>(c)) ? 1 : 3;
    return cost;
}

std::size_t bCost(std::size_t bytes)
{
    return (bytes + 2) / 3 * 4;
}

void appendQ(std::string_view bytes, std::string &out)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u == ' ')
            out += '_';
        else if (qSafe(u))
            out += c;
        else
            out.append({'=', hex[u >> 4], hex[u & 15]});
    }
}

// The UTF-8 bytes cut into whole characters.
std::vector<std::string_view> characters(const QByteArray &utf8)
{
    std::vector<std::string_view> out;
    const std::string_view all(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    std::size_t start = 0;
    for (std::size_t i = 1; i <= all.size(); ++i)
        if (i == all.size() || (static_cast<unsigned char>(all[i]) & 0xC0) != 0x80) {
            out.push_back(all.substr(start, i - start));
            start = i;
        }
    return out;
}

bool attrChar(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
           || std::string_view("!#$&+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

// A label that decode() reads with a converter of its own rather than its fallback.
bool readableLabel(const std::string &label)
{
    if (label == "utf-8" || label == "utf8" || meansWindows1252(label))
        return true;
    if (!plausibleLabel(label))
        return false;
    const bool chinese = label == "gb2312" || label == "gbk" || label == "x-gbk" || label == "euc-cn";
    return QStringDecoder(chinese ? "GB18030" : label.c_str()).isValid();
}

// HTML's own white space (space, TAB, LF, FF, CR), wider than a blank and without VT.
bool isHtmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The value of "charset=" inside a Content-Type text ("text/html; charset=utf-8").
std::string charsetInContent(std::string_view content)
{
    std::size_t at = 0;
    while ((at = content.find("charset", at)) != std::string_view::npos) {
        std::size_t i = at + 7;
        at = i;
        while (i < content.size() && isHtmlSpace(content[i]))
            ++i;
        if (i >= content.size() || content[i] != '=')
            continue;
        ++i;
        while (i < content.size() && isHtmlSpace(content[i]))
            ++i;
        if (i < content.size() && (content[i] == '"' || content[i] == '\'')) {
            const std::size_t close = content.find(content[i], i + 1);
            return close == std::string_view::npos ? std::string() : std::string(content.substr(i + 1, close - i - 1));
        }
        std::size_t end = i;
        while (end < content.size() && !isHtmlSpace(content[end]) && content[end] != ';')
            ++end;
        return std::string(content.substr(i, end - i));
    }
    return {};
}

} // namespace

namespace MailText {

QString decode(std::string_view bytes, std::string_view charset, std::string *readAs)
{
    const std::string label = lowerLabel(charset);
    auto as = [&](std::string_view name) {
        if (readAs)
            readAs->assign(name);
    };
    if (label.empty()) {
        // No label: read as text stored without one.
        bool utf8 = false;
        QString text = StoredText::toQString(bytes, &utf8);
        as(utf8 ? "utf-8" : "windows-1252");
        return text;
    }
    if (label == "utf-8" || label == "utf8") {
        as("utf-8");
        return fromUtf8(bytes);
    }
    if (!meansWindows1252(label) && plausibleLabel(label)) {
        // GB18030 reads all of GB2312 and GBK, which mails often label by the smaller set.
        const bool chinese = label == "gb2312" || label == "gbk" || label == "x-gbk" || label == "euc-cn";
        QStringDecoder decoder(chinese ? "GB18030" : label.c_str());
        if (decoder.isValid()) {
            as(label);
            return decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        }
    }
    as("windows-1252");
    return Ansi::toQString(bytes);
}

QString headerText(std::string_view raw)
{
    QString out;
    std::string charset;
    std::vector<std::string> words; // adjacent encoded words of one charset
    auto flush = [&] {
        if (words.empty())
            return;
        // Each word is decoded on its own and the texts joined (RFC 2047 6.2): a stateful
        // charset such as ISO-2022-JP switches back to ASCII at the end of every word.
        // Some mailers split one character over two words; when the joined bytes read
        // with fewer replacement characters, they are what the sender meant.
        QString each;
        std::string joined;
        for (const std::string &word : words) {
            each += decode(word, charset);
            joined += word;
        }
        if (words.size() > 1) {
            const QString whole = decode(joined, charset);
            if (whole.count(QChar::ReplacementCharacter) < each.count(QChar::ReplacementCharacter))
                each = whole;
        }
        out += each;
        words.clear();
    };
    ScanHeaderWords(
        raw,
        [&](std::string_view literal) {
            flush();
            out += StoredText::toQString(literal);
        },
        [&](std::string_view wordCharset, const std::string &bytes) {
            if (!words.empty() && lowerLabel(wordCharset) != lowerLabel(charset))
                flush();
            if (words.empty())
                charset.assign(wordCharset);
            words.push_back(bytes);
        });
    flush();
    return out;
}

QString paramText(std::string_view bytes, std::string_view charset)
{
    return charset.empty() ? headerText(bytes) : decode(bytes, charset);
}

std::string htmlMetaCharset(std::string_view html)
{
    // The first 1,024 bytes, lower-cased: tag and attribute names, and charset labels,
    // are compared without regard to case.
    const std::string text = TextRules::lowerAsciiCopy(html.substr(0, 1024));
    const std::size_t size = text.size();
    std::size_t pos = 0;
    while ((pos = text.find('<', pos)) != std::string::npos) {
        if (text.compare(pos, 4, "<!--") == 0) {
            // A declaration inside a comment counts for nothing.
            const std::size_t close = text.find("-->", pos + 4);
            if (close == std::string::npos)
                break;
            pos = close + 3;
            continue;
        }
        std::size_t i = pos + 5;
        if (text.compare(pos, 5, "<meta") != 0 || i >= size || !(isHtmlSpace(text[i]) || text[i] == '/')) {
            ++pos;
            continue;
        }
        std::string charset, content;
        bool contentType = false;
        // Attributes up to the end of the tag: name, optionally "=" and a value that is
        // quoted or runs to the next blank or ">".
        while (i < size) {
            while (i < size && (isHtmlSpace(text[i]) || text[i] == '/'))
                ++i;
            if (i >= size || text[i] == '>')
                break;
            const std::size_t nameStart = i;
            while (i < size && !isHtmlSpace(text[i]) && text[i] != '=' && text[i] != '>' && text[i] != '/')
                ++i;
            const std::string name = text.substr(nameStart, i - nameStart);
            while (i < size && isHtmlSpace(text[i]))
                ++i;
            std::string value;
            if (i < size && text[i] == '=') {
                ++i;
                while (i < size && isHtmlSpace(text[i]))
                    ++i;
                if (i < size && (text[i] == '"' || text[i] == '\'')) {
                    const std::size_t close = text.find(text[i], i + 1);
                    if (close == std::string::npos)
                        return {}; // cut off inside a value: nothing more to read
                    value = text.substr(i + 1, close - i - 1);
                    i = close + 1;
                } else {
                    const std::size_t valueStart = i;
                    while (i < size && !isHtmlSpace(text[i]) && text[i] != '>')
                        ++i;
                    value = text.substr(valueStart, i - valueStart);
                }
            }
            if (name == "charset" && charset.empty())
                charset = value;
            else if (name == "http-equiv" && lowerLabel(value) == "content-type")
                contentType = true;
            else if (name == "content" && content.empty())
                content = value;
        }
        pos = i;
        if (charset.empty() && contentType)
            charset = charsetInContent(content);
        std::string label = lowerLabel(charset);
        if (label.empty())
            continue;
        // Bytes read one at a time cannot be UTF-16; browsers take such a label as UTF-8.
        if (label.rfind("utf-16", 0) == 0)
            label = "utf-8";
        return readableLabel(label) ? label : std::string();
    }
    return {};
}

QString trimBlanks(const QString &text)
{
    return TextRules::trimLeadingBlanksTrailingSpaces(text);
}

QString safeFileName(const QString &name)
{
    QString out = trimBlanks(name);
    if (out.size() > 254)
        out.truncate(out[253].isHighSurrogate() ? 253 : 254);
    for (QChar &c : out)
        if (c.unicode() < 32 || QStringView(u":\\/*?\"<>|'").contains(c))
            c = u'_';
    // A file system takes 255 bytes of UTF-8; the extension is kept when shortening.
    const qsizetype dot = out.lastIndexOf(u'.');
    const QString extension = dot > 0 && out.size() - dot <= 16 ? out.mid(dot) : QString();
    QString stem = out.left(out.size() - extension.size());
    while (!stem.isEmpty() && (stem + extension).toUtf8().size() > 255)
        stem.chop(stem.size() >= 2 && stem[stem.size() - 1].isLowSurrogate() ? 2 : 1);
    // A cut may end the name with a blank, which the name read back would not have: it
    // would be shortened anew at every rewrite.
    return trimBlanks(stem + extension);
}

std::string encodedWords(std::string_view bytes, std::string_view charset)
{
    const std::string label(charset);
    const bool utf8 = lowerLabel(label) == "utf-8";
    // Q keeps Western text readable; B where Q would be a third longer.
    const bool useB = 3 * qCost(bytes) > 4 * bCost(bytes.size());
    std::string out;
    std::string_view chunk;
    // "=?" + label + "?X?" + payload + "?=" stays within 68 characters: within the 75
    // of RFC 2047, and within 78 on a first line behind "Reply-To: ".
    const std::size_t payload = label.size() < 52 ? 68 - 7 - label.size() : 8;
    auto flushWord = [&] {
        if (chunk.empty())
            return;
        if (!out.empty())
            out += ' ';
        out.append("=?").append(label).append(useB ? "?B?" : "?Q?");
        if (useB)
            out += QByteArray(chunk.data(), static_cast<qsizetype>(chunk.size())).toBase64().toStdString();
        else
            appendQ(chunk, out);
        out += "?=";
    };
    auto fits = [&](std::string_view text) { return (useB ? bCost(text.size()) : qCost(text)) <= payload; };
    // A word ends between characters: in UTF-8 never inside one; preferably just after
    // a space of the text, which the word keeps (blanks between words are no text).
    std::size_t start = 0;
    for (std::size_t i = 1; i <= bytes.size(); ++i) {
        if (i < bytes.size() && utf8 && (static_cast<unsigned char>(bytes[i]) & 0xC0) == 0x80)
            continue;
        const std::string_view character = bytes.substr(start, i - start);
        start = i;
        std::string_view longer(chunk.empty() ? character.data() : chunk.data(), chunk.size() + character.size());
        if (!chunk.empty() && !fits(longer)) {
            const std::size_t space = chunk.rfind(' ');
            if (space != std::string_view::npos && space + 1 < chunk.size()) {
                const std::string_view rest = longer.substr(space + 1);
                chunk = chunk.substr(0, space + 1);
                flushWord();
                chunk = rest;
                if (fits(rest))
                    continue;
                longer = rest;
                chunk = rest.substr(0, rest.size() - character.size());
            }
            flushWord();
            chunk = character;
        } else {
            chunk = longer;
        }
    }
    flushWord();
    return out;
}

std::string utf8Words(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    return encodedWords(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), "UTF-8");
}

std::string headerWord(const QString &text, std::string_view charset)
{
    const std::optional<std::string> bytes = StoredText::windows1252(text);
    if (!bytes)
        return utf8Words(text);
    bool plain = bytes->find("=?") == std::string::npos;
    std::size_t run = 0;
    for (const char c : *bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        run = c == ' ' ? 0 : run + 1;
        if (u > 126 || (u < 32) || run > 66)
            plain = false;
    }
    if (plain)
        return *bytes;
    return encodedWords(*bytes, CharsetLabel(*bytes, charset));
}

std::string quotedName(const QString &text, std::string_view charset)
{
    if (plainAsciiName(text))
        return quotedString(text.toStdString());
    if (const std::optional<std::string> bytes = StoredText::windows1252(text)) {
        // Inside quotes a backslash pairs with the character after it: the words that
        // escape it take it along.
        if (bytes->find('\\') != std::string::npos)
            return "\"" + encodedWords(*bytes, CharsetLabel(*bytes, charset)) + "\"";
        return "\"" + encodeDisplayName(*bytes, charset) + "\"";
    }
    return "\"" + utf8Words(text) + "\"";
}

std::string quotedString(std::string_view ascii)
{
    std::string out;
    out.reserve(ascii.size() + 2);
    out += '"';
    for (const char c : ascii) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

bool plainAsciiName(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() < 32 || c.unicode() > 126)
            return false;
    return !text.contains(QStringLiteral("=?"));
}

std::vector<std::pair<std::string, std::string>> fileNameParam(std::string_view param, const QString &text)
{
    if (!plainAsciiName(text))
        return extendedParam(param, text);
    return {{std::string(param), quotedString(text.toStdString())}};
}

std::vector<std::pair<std::string, std::string>> extendedParam(std::string_view param, const QString &text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::vector<std::string> sections(1, "UTF-8''");
    const QByteArray utf8 = text.toUtf8();
    for (const std::string_view character : characters(utf8)) {
        std::string piece;
        for (const char c : character) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (attrChar(u))
                piece += c;
            else
                piece.append({'%', hex[u >> 4], hex[u & 15]});
        }
        if (sections.back().size() + piece.size() > kSectionLength && sections.back() != "UTF-8''")
            sections.emplace_back();
        sections.back() += piece;
    }
    std::vector<std::pair<std::string, std::string>> out;
    const std::string name(param);
    if (sections.size() == 1) {
        out.emplace_back(name + "*", sections.front());
        return out;
    }
    for (std::size_t i = 0; i < sections.size(); ++i)
        out.emplace_back(name + "*" + std::to_string(i) + "*", sections[i]);
    return out;
}

} // namespace MailText
