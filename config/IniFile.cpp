#include "config/IniFile.h"
#include "text/TextRules.h"

#include <QFile>
#include <algorithm>
#include <charconv>
#include <climits>
#include <optional>
#include <unordered_map>

namespace {

using Lines = std::vector<std::string>;

using TextRules::equalsIgnoringAsciiCase;
using TextRules::isBlank;

// Blanks at either end and any stray CR at the end of a line (such as "a\r\r\n"), which a
// value must not keep; TextRules::trimBlanks leaves CRs alone.
std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && (isBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The section name of a "[Name]" line, or nullopt when the line is not a section header.
std::optional<std::string_view> sectionOf(std::string_view line)
{
    line = trimmed(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    const size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trimmed(line.substr(1, close - 1));
}

// Splits "key=value"; false for lines without "=" (comments, blank lines).
bool splitKey(std::string_view line, std::string_view *key, std::string_view *value)
{
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    *key = trimmed(line.substr(0, eq));
    if (key->empty() || key->front() == ';')
        return false;
    *value = trimmed(line.substr(eq + 1));
    return true;
}

bool readLines(const QString &path, Lines *lines, bool *exists)
{
    lines->clear();
    QFile f(path);
    *exists = f.exists();
    if (!*exists)
        return true;
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = f.readAll();
    std::string_view rest(data.constData(), static_cast<size_t>(data.size()));
    while (!rest.empty()) {
        const size_t nl = rest.find('\n');
        std::string_view line = rest.substr(0, nl);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines->emplace_back(line);
        if (nl == std::string_view::npos)
            break;
        rest.remove_prefix(nl + 1);
    }
    return true;
}

bool writeLines(const QString &path, const Lines &lines, bool exists)
{
    std::string text;
    size_t total = 0;
    for (const std::string &l : lines)
        total += l.size() + 2;
    text.reserve(total);
    for (const std::string &l : lines) {
        text += l;
        text += "\r\n";
    }
    QFile f(path);
    // The file holds the SMTP password in clear text: a new one is private to its owner;
    // an existing one keeps the mode it has.
    const bool opened = exists
        ? f.open(QIODevice::WriteOnly | QIODevice::Truncate)
        : f.open(QIODevice::WriteOnly | QIODevice::Truncate, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!opened)
        return false;
    if (f.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()))
        return false;
    return f.flush();
}

// Index range [begin, end) of the section's lines after its header; begin == npos when absent.
struct SectionRange
{
    size_t header = std::string::npos;
    size_t end = 0;
};

SectionRange findSection(const Lines &lines, std::string_view section)
{
    SectionRange r;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::optional<std::string_view> name = sectionOf(lines[i]);
        if (!name)
            continue;
        if (r.header != std::string::npos) {
            r.end = i;
            return r;
        }
        if (equalsIgnoringAsciiCase(*name, section))
            r.header = i;
    }
    r.end = lines.size();
    return r;
}

// Index of the key's line inside the section, or npos.
size_t findKey(const Lines &lines, const SectionRange &r, std::string_view key)
{
    if (r.header == std::string::npos)
        return std::string::npos;
    for (size_t i = r.header + 1; i < r.end; ++i) {
        std::string_view k, v;
        if (splitKey(lines[i], &k, &v) && equalsIgnoringAsciiCase(k, key))
            return i;
    }
    return std::string::npos;
}

// The file's lines; none for a file that is missing or cannot be read, which reads as one
// without the section or key asked for.
Lines linesOf(const QString &path)
{
    Lines lines;
    bool exists = false;
    if (!readLines(path, &lines, &exists) || !exists)
        lines.clear();
    return lines;
}

std::optional<std::string> lookup(const Lines &lines, std::string_view section, std::string_view key)
{
    const SectionRange r = findSection(lines, section);
    const size_t i = findKey(lines, r, key);
    if (i == std::string::npos)
        return std::nullopt;
    std::string_view k, v;
    splitKey(lines[i], &k, &v);
    if (v.size() > IniFile::MaxValueLength)
        v = v.substr(0, IniFile::MaxValueLength);
    return std::string(v);
}

} // namespace

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{
}

IniFile IniFile::readOnce(QString path)
{
    IniFile ini(std::move(path));
    ini.m_held = std::make_shared<const Lines>(linesOf(ini.m_path));
    return ini;
}

const IniFile::Lines &IniFile::lines(Lines &fresh) const
{
    if (m_held)
        return *m_held;
    fresh = linesOf(m_path);
    return fresh;
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    Lines fresh;
    const std::optional<std::string> v = lookup(lines(fresh), section, key);
    return v ? *v : std::string(fallback);
}

int IniFile::parseInteger(std::string_view text, bool *ok)
{
    *ok = false;
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    // One sign at most, then digits only: from_chars would take a second sign ("--700")
    // itself, and its most negative value cannot be negated.
    const auto digit = [base](char c) {
        return (c >= '0' && c <= '9') || (base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
    };
    if (text.empty() || !std::all_of(text.begin(), text.end(), digit))
        return 0;
    unsigned long long magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (ec != std::errc() || end != text.data() + text.size() || magnitude > 0xFFFFFFFFULL)
        return 0;
    long long value = static_cast<long long>(magnitude);
    if (negative)
        value = -value;
    // Hexadecimal values wrap as the 32-bit profile integer does ("0xFFFFFFFF" is -1).
    if (base == 16 && value >= 0 && value <= 0xFFFFFFFFLL)
        value = static_cast<int>(static_cast<unsigned int>(value));
    if (value < INT_MIN || value > INT_MAX)
        return 0;
    *ok = true;
    return static_cast<int>(value);
}

int IniFile::readInteger(std::string_view section, std::string_view key, int fallback) const
{
    Lines fresh;
    const std::optional<std::string> v = lookup(lines(fresh), section, key);
    if (!v)
        return fallback;
    bool ok = false;
    const int n = parseInteger(*v, &ok);
    return ok ? n : fallback;
}

bool IniFile::readFlag(std::string_view section, std::string_view key, bool fallback) const
{
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

bool IniFile::readTrueFalse(std::string_view section, std::string_view key, bool fallback) const
{
    Lines fresh;
    const std::optional<std::string> v = lookup(lines(fresh), section, key);
    if (!v)
        return fallback;
    if (equalsIgnoringAsciiCase(*v, "False"))
        return false;
    bool ok = false;
    const int n = parseInteger(*v, &ok);
    return !(ok && n == 0);
}

std::vector<std::string> IniFile::keyNames(std::string_view section) const
{
    std::vector<std::string> names;
    for (auto &entry : sectionEntries(section))
        names.push_back(std::move(entry.first));
    return names;
}

std::vector<std::pair<std::string, std::string>> IniFile::sectionEntries(std::string_view section) const
{
    std::vector<std::pair<std::string, std::string>> entries;
    Lines fresh;
    const Lines &lines = this->lines(fresh);
    const SectionRange r = findSection(lines, section);
    if (r.header == std::string::npos)
        return entries;
    // Lower-cased key -> its first value, as a lookup by name finds it.
    std::unordered_map<std::string, std::string> first;
    for (size_t i = r.header + 1; i < r.end; ++i) {
        std::string_view k, v;
        if (!splitKey(lines[i], &k, &v))
            continue;
        if (v.size() > MaxValueLength)
            v = v.substr(0, MaxValueLength);
        const auto at = first.try_emplace(TextRules::lowerAsciiCopy(k), v).first;
        entries.emplace_back(std::string(k), at->second);
    }
    return entries;
}

bool IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    return renameKey(section, key, key, value);
}

bool IniFile::renameKey(std::string_view section, std::string_view oldKey, std::string_view key,
                        std::string_view value)
{
    Lines lines;
    bool exists = false;
    if (!readLines(m_path, &lines, &exists))
        return false;
    std::string entry;
    entry.reserve(key.size() + 1 + value.size());
    entry.append(trimmed(key)).append("=").append(value);

    const SectionRange r = findSection(lines, section);
    if (r.header == std::string::npos) {
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(std::move(entry));
    } else if (size_t i = findKey(lines, r, oldKey); i != std::string::npos
               || (i = findKey(lines, r, key)) != std::string::npos) {
        lines[i] = std::move(entry);
    } else {
        // After the section's last non-blank line, so blank separators stay below it.
        size_t at = r.end;
        while (at > r.header + 1 && trimmed(lines[at - 1]).empty())
            --at;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    }
    m_held.reset();
    return writeLines(m_path, lines, exists);
}

bool IniFile::writeInteger(std::string_view section, std::string_view key, int value)
{
    return writeString(section, key, std::to_string(value));
}

bool IniFile::writeFlag(std::string_view section, std::string_view key, bool on)
{
    return writeString(section, key, flagText(on));
}

bool IniFile::writeTrueFalse(std::string_view section, std::string_view key, bool on)
{
    return writeString(section, key, trueFalseText(on));
}

bool IniFile::removeKey(std::string_view section, std::string_view key)
{
    Lines lines;
    bool exists = false;
    if (!readLines(m_path, &lines, &exists))
        return false;
    const size_t i = findKey(lines, findSection(lines, section), key);
    if (i == std::string::npos)
        return true;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    m_held.reset();
    return writeLines(m_path, lines, exists);
}
