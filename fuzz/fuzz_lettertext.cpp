// A letter's RTF read as its text (LetterText: what the text/plain part, the copy as text
// and the spelling see), whole and page by page as the send job cuts it. The lines keep
// their promises: no line break in a line, no blank at its end, no blank line at the
// start or the end and never two in a row; wrapped for the mail's text part, a line longer
// than its width is one word, and no line passes what a mail line holds.
#include "fuzz/FuzzSupport.h"

#include "picture/PictureMailText.h"
#include "richtext/LetterDocument.h"
#include "richtext/LetterText.h"

#include <QTextDocument>

namespace {

void check(const QStringList &lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        FuzzSupport::require(!line.contains(u'\n') && !line.contains(u'\r') && !line.contains(QChar(0x2029))
                                 && !line.contains(QChar(0x2028)),
                             "a line of the letter's text holds no line break");
        FuzzSupport::require(line.isEmpty() || !(line.back() == u' ' || line.back() == u'\t'),
                             "a line of the letter's text has no blank at its end");
        if (line.isEmpty())
            FuzzSupport::require(i > 0 && i + 1 < lines.size() && !lines[i - 1].isEmpty(),
                                 "blank lines stand only between lines, one at a time");
    }
    (void)LetterText::collapsed(lines);
    for (const QString &line : lines)
        for (const QString &piece : PictureMailText::wrapped(line))
        {
            FuzzSupport::require(piece.toUtf8().size() <= PictureMailText::MaxLineBytes,
                                 "a wrapped line of the text part fits a mail line");
            if (piece.size() > PictureMailText::LineWidth)
                FuzzSupport::require(!piece.trimmed().contains(u' '),
                                     "a wrapped line longer than its width is a single word");
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::ensureApplication();
    QTextDocument letter;
    LetterDocument::load(FuzzSupport::bytes(data, size), &letter);
    check(LetterText::lines(letter));
    // Cut in three stretches, as pages cut it.
    const int length = letter.characterCount();
    LetterText::Options options;
    for (int part = 0; part < 3; ++part) {
        options.start = length * part / 3;
        options.end = length * (part + 1) / 3;
        check(LetterText::lines(letter, options));
    }
    return 0;
}
