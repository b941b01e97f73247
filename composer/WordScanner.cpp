#include "composer/WordScanner.h"

namespace WordScanner {

namespace {

// The code point at i and its length in UTF-16 units.
char32_t codePointAt(QStringView text, qsizetype i, int *units)
{
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(c, text[i + 1]);
    }
    *units = 1;
    return c.unicode();
}

bool isWordLetter(char32_t c)
{
    return QChar::isLetter(c) || QChar::isMark(c);
}

bool isApostrophe(char32_t c)
{
    return c == u'\'' || c == u'\u2019';
}

// A run of text without blanks that is an address, not words: name@host, scheme://...,
// www.host, mailto:...
bool isAddress(QStringView token)
{
    const qsizetype at = token.indexOf(u'@');
    if (at > 0 && at + 1 < token.size())
        return true;
    if (token.contains(u"://"))
        return true;
    return token.startsWith(u"www.", Qt::CaseInsensitive) || token.startsWith(u"mailto:", Qt::CaseInsensitive);
}

// The words of one blank-free token, offset by its start in the paragraph.
void scanToken(QStringView text, qsizetype from, qsizetype to, QChar::Script script, std::vector<Word> &out)
{
    qsizetype i = from;
    while (i < to) {
        int units = 1;
        char32_t c = codePointAt(text, i, &units);
        if (!isWordLetter(c)) {
            i += units;
            continue;
        }
        const qsizetype start = i;
        bool inScript = true;
        // Letters, and apostrophes between letters ("don't").
        while (i < to) {
            c = codePointAt(text, i, &units);
            if (isWordLetter(c)) {
                const QChar::Script s = QChar::script(c);
                if (s != script && s != QChar::Script_Common && s != QChar::Script_Inherited)
                    inScript = false;
                i += units;
                continue;
            }
            if (isApostrophe(c) && i + 1 < to) {
                int next = 1;
                if (isWordLetter(codePointAt(text, i + 1, &next))) {
                    i += units;
                    continue;
                }
            }
            break;
        }
        const bool digitBefore = start > from && text[start - 1].isDigit();
        const bool digitAfter = i < to && (text[i].isDigit() || text[i] == u'_');
        const qsizetype length = i - start;
        if (inScript && !digitBefore && !digitAfter && length <= kMaxWordLength)
            out.push_back({int(start), int(length)});
    }
}

} // namespace

std::vector<Word> words(QStringView text, QChar::Script script)
{
    std::vector<Word> out;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && (text[i].isSpace() || text[i] == QChar::ObjectReplacementCharacter))
            ++i;
        const qsizetype start = i;
        while (i < n && !text[i].isSpace() && text[i] != QChar::ObjectReplacementCharacter)
            ++i;
        if (i > start && !isAddress(text.mid(start, i - start)))
            scanToken(text, start, i, script, out);
    }
    return out;
}

Word wordAt(QStringView text, int position, QChar::Script script)
{
    for (const Word &w : words(text, script)) {
        if (position >= w.start && position <= w.start + w.length)
            return w;
    }
    return {position, 0};
}

} // namespace WordScanner
