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

} // namespace

QStringList PictureMailText::wrapped(const QString &line, int width)
{
    QStringList out;
    const auto take = [&](qsizetype from, qsizetype to) {
        out << line.mid(from, lengthWithoutTrailingBlanks(line, from, to));
    };
    // One pass over the break opportunities: a piece grows to the last one that fits.
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, line);
    qsizetype start = 0;
    qsizetype fits = -1;
    for (qsizetype at = breaks.toNextBoundary(); at > 0; at = breaks.toNextBoundary()) {
        // Only after blanks and between ideographs: an address or a path stays whole, so
        // that a mail program still finds the link.
        if (at < line.size() && !line.at(at - 1).isSpace() && !withoutBlanks(line.at(at - 1))
            && !withoutBlanks(line.at(at)))
            continue;
        if (lengthWithoutTrailingBlanks(line, start, at) > width && fits > start) {
            take(start, fits);
            start = fits;
        }
        if (lengthWithoutTrailingBlanks(line, start, at) > width) {
            // A word longer than a line stands on a line of its own.
            take(start, at);
            start = at;
            fits = -1;
            continue;
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

QString PictureMailText::footerLine()
{
    return QStringLiteral("Composed by Vellorn Composer 5.0 (%1)").arg(QLatin1String(VendorLinks::HomePage));
}
