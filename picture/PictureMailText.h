#pragma once

#include <QString>
#include <QStringList>

// The words of a picture mail, made from the letter's text lines (LetterText): the plain
// text alternative that stands beside the pictures, and the alt text of each page picture.
class PictureMailText
{
public:
    // Longest line of the plain text, in characters, wherever words allow.
    static constexpr int LineWidth = 76;
    // Longest alt text in characters before it is cut (with "…"): room for every word of
    // a page filled with 8-point text (about 4000 characters on the first-run page, 9000 on
    // the largest), so that only pages of very small print lose words.
    static constexpr int AltLength = 10000;

    // The plain text: the letter's lines wrapped to LineWidth, then (with the footer link)
    // a blank line and the credit line with the maker's address. Lines end in LF.
    static QString plainBody(const QStringList &letter, bool footerLink);
    // The most bytes a line of a mail may hold.
    static constexpr int MaxLineBytes = 998;

    // One line broken after a blank or where the line-breaking rules allow beside an
    // ideograph, each piece at most `width` long. A word longer than that stands alone,
    // whole; only one past MaxLineBytes in UTF-8 is cut.
    static QStringList wrapped(const QString &line, int width = LineWidth);
    // A page's lines as one alt text: blanks collapsed, cut after at most AltLength
    // characters at a word's end, "…" marking the cut.
    static QString altText(const QStringList &pageLines, int maxLength = AltLength);
    // Longest first sentence an alt text carries, in characters, before it is cut.
    static constexpr int SentenceLength = 200;
    // A page picture's alt text, short for a screen reader going from page to page:
    // "Page 2 of 4", then ". " and the first sentence of the page (cut as altText cuts).
    static QString pageAlt(int page, int pageCount, const QStringList &pageLines);
    // The text up to and including the first mark that ends a sentence (". ", "! ", "? ",
    // or an ideographic full stop); the whole text when none does.
    static QString firstSentence(const QString &text);
    // The credit line of the plain text, as the HTML's foot says it.
    static QString footerLine();
};
