#include "mailbox/MailSummary.h"

#include "mail/AddressList.h"
#include "mail/MailText.h"
#include "mail/HeaderWords.h"
#include "mail/StringHelpers.h"
#include "text/LineBreaks.h"
#include "text/StoredText.h"
#include "text/TextRules.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

// value / divisor rounded to the nearest integer, a half going to the even one.
std::int64_t roundHalfEven(std::int64_t value, std::int64_t divisor)
{
    const std::int64_t quotient = value / divisor;
    const std::int64_t rest = value % divisor;
    if (rest * 2 > divisor || (rest * 2 == divisor && quotient % 2 != 0))
        return quotient + 1;
    return quotient;
}

// Takes the text up to the first blank as a word and removes it with the blank,
// trimming the rest. Without a blank the word is empty and the text stays as it is.
std::string_view takeWord(std::string_view &text)
{
    const size_t blank = text.find(' ');
    if (blank == std::string_view::npos)
        return {};
    const std::string_view word = text.substr(0, blank);
    text = TextRules::trimBlanksOrControls(text.substr(blank + 1));
    return word;
}

std::string monthNumber(std::string_view name)
{
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 12> months{{
        {"JAN", "01"}, {"FEB", "02"}, {"MAR", "03"}, {"APR", "04"}, {"MAY", "05"}, {"JUN", "06"},
        {"JUL", "07"}, {"AUG", "08"}, {"SEP", "09"}, {"OCT", "10"}, {"NOV", "11"}, {"DEC", "12"},
    }};
    for (const auto &[word, number] : months)
        if (TextRules::equalsIgnoringAsciiCase(name, word))
            return std::string(number);
    return std::string(name);
}

} // namespace

std::string MailSummary::formatSize(std::int64_t length)
{
    constexpr std::int64_t KB = 1024;
    constexpr std::int64_t MB = 1024 * 1024;
    if (length > MB)
        return std::to_string(roundHalfEven(length, MB)) + " MB";
    // A mail of a few bytes is not "0 KB": only an empty one is.
    return std::to_string(length > 0 ? std::max<std::int64_t>(roundHalfEven(length, KB), 1) : 0) + " KB";
}

std::string MailSummary::formatDate(std::string_view value)
{
    const size_t comma = value.find(',');
    if (comma != std::string_view::npos)
        value.remove_prefix(comma + 1);
    std::string_view rest = TextRules::trimBlanksOrControls(value);
    const std::string_view day = takeWord(rest);
    const std::string_view month = takeWord(rest);
    const std::string_view year = takeWord(rest);
    const std::string_view time = takeWord(rest);
    std::string text(year);
    text += '-';
    text += monthNumber(month);
    text += '-';
    text += day;
    text += ' ';
    text += time;
    return text;
}

MailSummary MailSummary::build(std::int64_t position, std::int64_t length, char boxCode, char attachFlag,
                               std::string_view window)
{
    MailSummary summary;
    summary.position = position;
    summary.sizeText = formatSize(length);
    summary.length = length;
    summary.boxCode = boxCode;
    summary.attachFlag = attachFlag;

    // The next CR and the next LF are looked up with memchr and kept until passed, so
    // the window is scanned once whatever its line ends.
    const char *data = window.data();
    const size_t size = window.size();
    auto findFrom = [&](char c, size_t from) {
        const void *hit = from < size ? std::memchr(data + from, c, size - from) : nullptr;
        return hit ? size_t(static_cast<const char *>(hit) - data) : size;
    };
    size_t nextCR = findFrom('\r', 0);
    size_t nextLF = findFrom('\n', 0);
    size_t start = 0;
    // The "To:" field with its folded lines; read when it ends.
    std::string toValue;
    bool inTo = false, hasTo = false;
    while (start < size) {
        if (nextCR < start)
            nextCR = findFrom('\r', start);
        if (nextLF < start)
            nextLF = findFrom('\n', start);
        const size_t stop = std::min(nextCR, nextLF);
        const std::string_view raw = window.substr(start, stop - start);
        const std::string_view line = TextRules::trimBlanksOrControls(raw);
        start = stop;
        start += LineBreaks::lengthAt(window, start);

        if (inTo && !raw.empty() && (raw.front() == ' ' || raw.front() == '\t')) {
            toValue.append(" ").append(line);
            continue;
        }
        inTo = false;
        if (StartsWithNoCase(line, "TO:")) {
            toValue.assign(line.substr(3));
            inTo = hasTo = true;
        } else if (StartsWithNoCase(line, "SUBJECT:")) {
            const std::string_view rawSubject = TextRules::trimBlanksOrControls(line.substr(8));
            summary.subject = DecodeHeaderWords(rawSubject);
            summary.subjectText = MailText::headerText(rawSubject);
        } else if (StartsWithNoCase(line, "DATE:")) {
            summary.date = formatDate(line.substr(5));
        }
    }
    if (hasTo) {
        // The first recipient's name, or its address when it has none.
        const std::vector<AddressList::Entry> entries = AddressList::read(toValue);
        if (!entries.empty() && entries.front().error.empty()) {
            const AddressList::Entry &first = entries.front();
            summary.to = first.name.empty() ? first.address : first.name;
            summary.toText = first.name.empty() ? StoredText::toQString(first.address) : MailText::headerText(first.name);
        }
    }
    return summary;
}
