// A letter of about 100 pages (300 KB of text, a table, pictures) in the composer window:
// opening it (RTF read into the editor), one tool-bar refresh at the caret and with
// everything selected, and saving it (RTF write). Prints the figures.
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/TFM_Cmps.h"
#include "os/DefaultFont.h"
#include "richtext/LetterDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <algorithm>
#include <cstdio>
#include <string>

#include "tests/support/windows/WindowFixture.h"

namespace {

std::string longLetter(int *pictures)
{
    QTextDocument doc;
    doc.setDefaultFont(ComposerEditor::letterFont());
    QTextCursor c(&doc);
    QTextCharFormat plain;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat blue;
    blue.setForeground(QColor(0, 0, 160));
    blue.setFontPointSize(12);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    // 100 pages of 600 x 800 hold about 45 lines of 70 characters: 100 x 45 x 70 = 315 KB.
    for (int line = 0; line < 4500; ++line) {
        if (line % 45 == 0) {
            c.insertBlock(centred);
            c.insertText(QStringLiteral("Page %1").arg(line / 45 + 1), bold);
            c.insertBlock(QTextBlockFormat());
        }
        c.insertText(QStringLiteral("Line %1 of the letter, with ").arg(line), plain);
        c.insertText(QStringLiteral("bold words"), bold);
        c.insertText(QStringLiteral(" and a coloured remark that runs on."), blue);
        c.insertBlock();
    }
    c.movePosition(QTextCursor::Start);
    QTextTableFormat tf;
    tf.setBorder(1);
    QTextTable *table = c.insertTable(30, 4, tf);
    for (int r = 0; r < 30; ++r)
        for (int col = 0; col < 4; ++col)
            table->cellAt(r, col).firstCursorPosition().insertText(QStringLiteral("cell %1/%2").arg(r).arg(col));
    *pictures = 10;
    for (int i = 0; i < *pictures; ++i) {
        QImage image(320, 200, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 30, 160, 220));
        const QString name = QStringLiteral("bench://%1").arg(i);
        doc.addResource(QTextDocument::ImageResource, QUrl(name), image);
        c.setPosition(doc.characterCount() * (i + 1) / (*pictures + 1));
        c.insertImage(name);
    }
    return LetterDocument::save(doc);
}

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    DefaultFont::installSubstitutions();
    int pictures = 0;
    const std::string rtf = longLetter(&pictures);

    // The peer of the first showing: the same letter in a composer that does not check spelling.
    double shownUnchecked = 0;
    {
        WindowFixture fixture;
        fixture.settings.SPL_Check = false;
        TFM_Cmps window(fixture.services);
        window.show();
        QApplication::processEvents();
        window.Editor->loadLetter(rtf);
        QElapsedTimer t;
        t.start();
        QApplication::processEvents();
        shownUnchecked = ms(t);
    }

    WindowFixture fixture;
    fixture.settings.SPL_Check = true;
    TFM_Cmps window(fixture.services);
    window.show();
    QApplication::processEvents();
    QElapsedTimer t;
    t.start();
    window.Editor->loadLetter(rtf);
    QTextDocument *doc = window.Editor->document();
    const double open = ms(t);
    t.restart();
    QApplication::processEvents();
    const double shown = ms(t);
    t.restart();
    const QSizeF size = doc->documentLayout()->documentSize();
    const double layout = ms(t);

    QTextCursor middle(doc);
    middle.setPosition(doc->characterCount() / 2);
    window.Editor->setTextCursor(middle);
    const int rounds = 1000;
    t.restart();
    for (int i = 0; i < rounds; ++i)
        window.SelectionChange();
    const double refresh = ms(t) / rounds;
    window.Editor->selectAll();
    t.restart();
    window.SelectionChange();
    const double refreshAll = ms(t);

    t.restart();
    const std::string saved = LetterDocument::save(*doc);
    const double save = ms(t);

    std::printf("letter: %.0f KB of RTF, %d characters, %d pictures, a 30 x 4 table, %.0f pixels high\n",
                rtf.size() / 1024.0, doc->characterCount(), pictures, size.height());
    std::printf("open (RTF read into the editor): %8.1f ms   (goal < 300 ms)\n", open);
    std::printf("first showing after opening:     %8.1f ms   spelling checked; %.1f ms unchecked: %.2f times (goal <= 1.5)\n",
                shown, shownUnchecked, shown / std::max(shownUnchecked, 0.001));
    std::printf("layout of the whole letter:      %8.1f ms\n", layout);
    std::printf("tool-bar refresh at the caret:   %8.3f ms   (goal < 1 ms)\n", refresh);
    std::printf("tool-bar refresh, all selected:  %8.1f ms\n", refreshAll);
    std::printf("save (RTF write):                %8.1f ms   (goal < 300 ms), %.0f KB\n", save, saved.size() / 1024.0);
    return 0;
}
