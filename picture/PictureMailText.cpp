#include "picture/PictureMailText.h"

#include "product/VendorLinks.h"
#include "richtext/LetterText.h"

#include <QTextBoundaryFinder>
#include <algorithm>

QString PictureMailText::plainBody(const QStringList &letter, bool footerLink)
{
    QString out;
    for (const QString &line : letter)
        for (const QString &piece : wrapped(line))
            out += piece + QLatin1Char('\n');
    if (footerLink) {
        if (!out.isEmpty())
            out += QLatin1Char('\n');
        out += footerLine() + QLatin1Char('\n');
    }
    return out;
}

namespace {

// The length of text[from, to) without the blanks at its end.
qsizetype lengthWithoutTrailingBlanks(const QString &text, qsizetype from, qsizetype to)
{
    while (to > from && text.at(to - 1).isSpace())
        --to;
    return to - from;
}

// Ideographs, kana and the other scripts written without blanks between words.
bool withoutBlanks(QChar c)
{
    return c.unicode() >= 0x2E80 && !c.isSpace();
}

// A blank after which a line may break: the no-break spaces hold their words together.
bool breakingBlank(QChar c)
{
    return c.isSpace() && c.unicode() != 0x00A0 && c.unicode() != 0x2007 && c.unicode() != 0x202F;
}

} // namespace

QStringList PictureMailText::wrapped(const QString &line, int width)
{
    // A mail's line holds at most 998 bytes; a UTF-16 unit takes at most three in UTF-8.
    const int longest = MaxLineBytes / 3;
    width = std::clamp(width, 1, longest);
    QStringList out;
    const auto take = [&](qsizetype from, qsizetype to) {
        out << line.mid(from, lengthWithoutTrailingBlanks(line, from, to));
    };
    // One pass over the break opportunities: a piece grows to the last one that fits.
    // They are the ends of blanks (whatever the line-breaking rules say of the text around
    // them: they allow no break between numbers) and, from those rules, the places beside
    // an ideograph.
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, line);
    qsizetype next = breaks.toNextBoundary();
    qsizetype start = 0;
    qsizetype fits = -1;
    for (qsizetype at = 1; at <= line.size(); ++at) {
        while (next >= 0 && next < at)
            next = breaks.toNextBoundary();
        const bool end = at == line.size();
        const bool afterBlanks = !end && breakingBlank(line.at(at - 1)) && !line.at(at).isSpace();
        const bool ideograph = !end && next == at && (withoutBlanks(line.at(at - 1)) || withoutBlanks(line.at(at)));
        if (!end && !afterBlanks && !ideograph)
            continue;
        if (lengthWithoutTrailingBlanks(line, start, at) > width && fits > start) {
            take(start, fits);
            start = fits;
        }
        // A word longer than a line (a link, a path) stands alone, whole, so that it still
        // works when copied. Only one past what a mail line holds is cut, never inside a
        // character of two UTF-16 units; its last piece goes on as the start of the next line.
        while (lengthWithoutTrailingBlanks(line, start, at) > longest) {
            qsizetype cut = start + longest;
            if (line.at(cut - 1).isHighSurrogate())
                cut += cut - 1 > start ? -1 : 1;
            out << line.mid(start, cut - start);
            start = cut;
        }
        fits = at;
    }
    if (start < line.size() || out.isEmpty())
        take(start, line.size());
    return out;
}

QString PictureMailText::altText(const QStringList &pageLines, int maxLength)
{
    const QString text = LetterText::collapsed(pageLines);
    const int limit = std::max(maxLength, 1);
    if (text.size() <= limit)
        return text;
    // Cut at the last blank in reach; a single endless word is cut where it stands, never
    // inside a character that takes two UTF-16 units.
    qsizetype cut = text.lastIndexOf(QLatin1Char(' '), limit);
    if (cut <= 0)
        cut = text.at(limit - 1).isHighSurrogate() ? limit - 1 : limit;
    return text.left(cut) + QChar(0x2026);
}

QString PictureMailText::firstSentence(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // Full-width marks end a sentence where they stand; Latin ones before a blank.
        if (c == QChar(0x3002) || c == QChar(0xFF01) || c == QChar(0xFF1F))
            return text.left(i + 1);
        const bool mark = c == QLatin1Char('.') || c == QLatin1Char('!') || c == QLatin1Char('?') || c == QChar(0x2026);
        if (mark && (i + 1 == text.size() || text.at(i + 1) == QLatin1Char(' ')))
            return text.left(i + 1);
    }
    return text;
}

QString PictureMailText::pageAlt(int page, int pageCount, const QStringList &pageLines)
{
    const QString sentence = altText({firstSentence(LetterText::collapsed(pageLines))}, SentenceLength);
    const QString head = QStringLiteral("Page %1 of %2").arg(page).arg(pageCount);
    return sentence.isEmpty() ? head : head + QStringLiteral(". ") + sentence;
}

QString PictureMailText::footerLine()
{
    return QStringLiteral("Composed by Vellorn Composer 5.0 (%1)").arg(QLatin1String(VendorLinks::HomePage));
}
