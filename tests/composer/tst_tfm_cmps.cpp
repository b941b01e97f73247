#include "composer/CaretFormat.h"
#include "composer/LetterPageCount.h"
#include "composer/ParagraphFormat.h"
#include "composer/windows/ColorButton.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/FindReplaceDialog.h"
#include "composer/windows/FontSizeBox.h"
#include "composer/windows/TFM_Cmps.h"
#include "richtext/LetterDocument.h"
#include "tests/support/windows/CommandTableCheck.h"
#include "tests/support/windows/WindowFixture.h"
#include "ui/ToolBand.h"
#include "ui/ToolBand.h"
#include "ui/ToolImage.h"
#include "ui/WindowCommandTable.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSet>
#include <QStatusBar>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

namespace {

void moveMouseOver(QWidget *w, int at = 5)
{
    QTest::mouseMove(w, QPoint(at, at));
}

QTextCursor cursorAt(QTextEdit *editor, int from, int to = -1)
{
    QTextCursor c = editor->textCursor();
    c.setPosition(from);
    if (to >= 0)
        c.setPosition(to, QTextCursor::KeepAnchor);
    editor->setTextCursor(c);
    return c;
}

bool boldAt(QTextEdit *editor, int position)
{
    QTextCursor c(editor->document());
    c.setPosition(position);
    return c.charFormat().fontWeight() >= QFont::Bold;
}

// The format of the character before `position` (the last one when -1).
ToolBarState formatAt(QTextEdit *editor, int position = -1)
{
    QTextCursor c(editor->document());
    c.setPosition(position < 0 ? editor->document()->characterCount() - 1 : position);
    return CaretFormat::read(c);
}

bool focusIn(QWidget *w)
{
    QWidget *focus = QApplication::focusWidget();
    return focus && (focus == w || w->isAncestorOf(focus));
}

void typeSize(TFM_Cmps *w, const QString &size)
{
    w->FontSize->setFocus();
    QTest::keyClick(w->FontSize, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w->FontSize, size);
}

using Answer = UserDialogs::Answer;

} // namespace

class TestComposerWindow : public QObject
{
    Q_OBJECT

private:
    WindowFixture *f = nullptr;
    TFM_Cmps *w = nullptr;

private slots:
    void init()
    {
        f = new WindowFixture;
        w = new TFM_Cmps(f->services);
        w->show();
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        w->Editor->setFocus();
    }
    void cleanup()
    {
        delete w;
        delete f;
    }

    void opensAsAComposer()
    {
        QCOMPARE(w->windowTitle(), QStringLiteral("Compose Vellorn"));
        QTest::keyClicks(w->Edt_Subject, QStringLiteral("Spring concert"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Compose Vellorn - Spring concert"));
        QCOMPARE(w->size(), QSize(710, 486));
        QVERIFY(w->isWindow() && !w->parentWidget());
        QVERIFY(w->LstV_Attach->isHidden());
        QVERIFY(!w->FJustOpened);
        // A new letter starts in the configured font: 12 points of the desktop's sans-serif.
        QCOMPARE(w->Editor->document()->defaultFont().pointSize(), 12);
        QCOMPARE(w->findChild<QLabel *>(QStringLiteral("Label1"))->text(),
                 QStringLiteral("Send           Ms OE         Import            Save         AddBook       Seting            Help"));
    }

    void boldWithAndWithoutSelection()
    {
        w->Editor->setPlainText(QStringLiteral("hello world"));
        cursorAt(w->Editor, 0, 5);
        QTest::mouseClick(w->BoldButton, Qt::LeftButton);
        QVERIFY(boldAt(w->Editor, 3));
        QVERIFY(!boldAt(w->Editor, 8));

        cursorAt(w->Editor, 11);
        QVERIFY(!w->BoldButton->isChecked());
        QTest::mouseClick(w->BoldButton, Qt::LeftButton);
        QVERIFY(!boldAt(w->Editor, 11)); // the text stays; what is typed next is bold
        QTest::keyClicks(w->Editor, QStringLiteral("X"));
        QCOMPARE(w->Editor->toPlainText(), QStringLiteral("hello worldX"));
        QVERIFY(boldAt(w->Editor, 12));
        QVERIFY(w->BoldButton->isChecked());
    }

    void caretIntoCentredTextPutsCenterDown()
    {
        w->Editor->setPlainText(QStringLiteral("left\ncentre"));
        cursorAt(w->Editor, 7);
        QTest::mouseClick(w->CenterAlign, Qt::LeftButton);
        cursorAt(w->Editor, 1);
        QVERIFY(w->LeftAlign->isChecked() && !w->CenterAlign->isChecked());
        cursorAt(w->Editor, 8);
        QVERIFY(w->CenterAlign->isChecked());
        QVERIFY(!w->LeftAlign->isChecked() && !w->RightAlign->isChecked());
        // The menu item carries its alignment in its tag, like the button.
        w->findChild<QAction *>(QStringLiteral("Right1"))->trigger();
        QCOMPARE(w->Editor->textCursor().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        QVERIFY(w->RightAlign->isChecked());
    }

    // Tab goes from the subject into the letter; the format bar's boxes follow the letter
    // (Ctrl+Tab, as Tab writes a tab there) and Shift+Tab goes back the same way.
    void tabFromTheSubjectEntersTheLetter()
    {
        w->Edt_Subject->setFocus();
        QTest::keyClick(w->Edt_Subject, Qt::Key_Tab);
        QVERIFY(w->Editor->hasFocus());
        QTest::keyClick(w->Editor, Qt::Key_Tab, Qt::ControlModifier);
        QVERIFY(focusIn(w->FontName));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(focusIn(w->FontSize));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(focusIn(w->FontName));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(w->Editor->hasFocus());
        QTest::keyClick(w->Editor, Qt::Key_Backtab, Qt::ShiftModifier | Qt::ControlModifier);
        QVERIFY(w->Edt_Subject->hasFocus());
        QCOMPARE(w->Editor->toPlainText(), QString());
    }

    // At the window's first size every control of the format bar shows in the bar, none
    // behind the overflow arrow, also with a large font.
    void formatBarFitsTheFirstSize_data()
    {
        QTest::addColumn<int>("points");
        QTest::newRow("default font") << 0;
        QTest::newRow("15 pt") << 15;
    }
    void formatBarFitsTheFirstSize()
    {
        QFETCH(int, points);
        const QFont fontBefore = QApplication::font();
        const auto restore = qScopeGuard([&] { QApplication::setFont(fontBefore); });
        if (points > 0) {
            QFont large = fontBefore;
            large.setPointSize(points);
            QApplication::setFont(large);
        }
        TFM_Cmps fresh(f->services);
        fresh.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fresh));
        // Narrow (both halves stacked) and wide (side by side).
        for (int width : {fresh.width(), 1400}) {
            fresh.resize(width, fresh.height());
            QCoreApplication::processEvents();
            int controls = 0;
            for (QToolBar *bar : {fresh.StandardToolBar, fresh.ParagraphToolBar}) {
                QVERIFY(fresh.Panel2->rect().contains(QRect(bar->pos(), bar->size())));
                for (QAction *a : bar->actions()) {
                    QWidget *control = bar->widgetForAction(a);
                    if (!control || a->isSeparator())
                        continue;
                    ++controls;
                    QVERIFY2(control->isVisible(), qPrintable(control->objectName()));
                    QVERIFY2(bar->rect().contains(control->geometry()), qPrintable(control->objectName()));
                }
                for (QToolButton *b : bar->findChildren<QToolButton *>(Qt::FindDirectChildrenOnly)) {
                    if (b->objectName() == QLatin1String("qt_toolbar_ext_button"))
                        QVERIFY(!b->isVisible());
                }
            }
            QCOMPARE(controls, 18);
        }
    }

    // A size is typed whole: Tab (the size box follows the font name in the Tab order) or
    // Enter applies it. The arrows step from the text's size, also while the box is blank.
    void typedSizeAppliesWhenComplete()
    {
        w->Editor->setPlainText(QStringLiteral("text more"));
        cursorAt(w->Editor, 0, 4);
        w->FontName->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(focusIn(w->FontSize));
        typeSize(w, QStringLiteral("16"));
        QVERIFY(focusIn(w->FontSize));
        QCOMPARE(formatAt(w->Editor, 2).fontSize, 12);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(formatAt(w->Editor, 2).fontSize, 16);
        QVERIFY(!focusIn(w->FontSize));
        w->Editor->setFocus();

        cursorAt(w->Editor, 5, 9);
        typeSize(w, QStringLiteral("20"));
        QTest::keyClick(w->FontSize, Qt::Key_Return);
        QCOMPARE(formatAt(w->Editor, 7).fontSize, 20);
        QVERIFY(w->Editor->hasFocus());

        cursorAt(w->Editor, 0, 9);
        QCOMPARE(w->FontSize->text().trimmed(), QString());
        w->FontSize->setFocus();
        QTest::keyClick(w->FontSize, Qt::Key_Up);
        for (int at : {2, 5, 7})
            QCOMPARE(formatAt(w->Editor, at).fontSize, 17);

    }

    // A typed name or size the boxes cannot take is told, the box shows the letter's
    // format again and the next words go into the letter, not into the box.
    void refusedNameAndSizeReturnToTheLetter_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown font") << "name" << "No Such Face At All"
                                      << "There is no font named \"No Such Face At All\" on this computer.\r\n"
                                         "Choose a font from the list.";
        QTest::newRow("size 200") << "size" << "200"
                                  << "The font size 200 is out of range: a size is from 1 to 100 points.";
        QTest::newRow("size 1000") << "size" << "1000"
                                   << "The font size 1000 is out of range: a size is from 1 to 100 points.";
    }
    void refusedNameAndSizeReturnToTheLetter()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        w->Editor->setPlainText(QStringLiteral("text"));
        cursorAt(w->Editor, 4);
        const ToolBarState before = formatAt(w->Editor);
        if (box == QLatin1String("name")) {
            w->FontName->setFocus();
            w->FontName->lineEdit()->selectAll();
            QTest::keyClicks(w->FontName->lineEdit(), typed);
            QTest::keyClick(w->FontName->lineEdit(), Qt::Key_Return);
        } else {
            typeSize(w, typed);
            QCOMPARE(w->FontSize->text(), typed); // every digit shows
            QTest::keyClick(w->FontSize, Qt::Key_Return);
        }
        QCOMPARE(f->dialogs.shown.size(), 1);
        QCOMPARE(f->dialogs.shown[0].text, message);
        QVERIFY(f->dialogs.shown[0].kind == UserDialogs::Kind::Warning);
        QCOMPARE(w->FontName->currentText(), before.fontName);
        QCOMPARE(w->FontSize->value(), before.fontSize);
        QVERIFY(w->Editor->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" more"));
        QCOMPARE(w->Editor->toPlainText(), QStringLiteral("text more"));
        QCOMPARE(formatAt(w->Editor).fontSize, before.fontSize);
        QCOMPARE(formatAt(w->Editor).fontName, before.fontName);
    }

    // File > Save Letter As...: the letter as an RTF file that reads back as the letter;
    // a file that cannot be written is said, with its reason, and the letter stays changed.
    void saveLetterAs()
    {
        w->Edt_Subject->setText(QStringLiteral("Plans: May/June"));
        w->Editor->setPlainText(QStringLiteral("Dear Ann,\nsee you soon."));
        w->setLetterChanged(true);
        QAction *saveAs = w->findChild<QAction *>(QStringLiteral("SaveLetterAs1"));
        QVERIFY(saveAs && saveAs->text() == QStringLiteral("Save Letter &As..."));
        QVERIFY(w->findChild<QMenu *>(QStringLiteral("File1"))->actions().contains(saveAs));
        const QString path = f->dir.filePath(QStringLiteral("kept.rtf"));
        f->dialogs.fileNames.enqueue(path);
        QTest::keyClick(w->Editor, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f->dialogs.fileRequests.size(), 1);
        QCOMPARE(f->dialogs.fileRequests[0].nameOrFolder, QStringLiteral("Plans_ May_June.rtf"));
        QCOMPARE(f->dialogs.fileRequests[0].defaultExtension, QStringLiteral("rtf"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray rtf = file.readAll();
        QVERIFY(rtf.startsWith("{\\rtf1"));
        QTextDocument read;
        LetterDocument::load(rtf.toStdString(), &read);
        QCOMPARE(read.toPlainText(), QStringLiteral("Dear Ann,\nsee you soon."));
        QVERIFY(f->dialogs.shown.isEmpty());
        QVERIFY(w->letterChanged());

        f->dialogs.fileNames.enqueue(f->dir.filePath(QStringLiteral("no/such/folder/kept.rtf")));
        saveAs->trigger();
        QCOMPARE(f->dialogs.shown.size(), 1);
        QVERIFY2(f->dialogs.shown[0].text.startsWith(QStringLiteral("Cannot write file \"")),
                 qPrintable(f->dialogs.shown[0].text));
    }

    // Style > Numbering, its key F12 and the format bar's button: "1.", "a)" and "i.".
    void numberingCommands()
    {
        w->Editor->setPlainText(QStringLiteral("first\nsecond"));
        cursorAt(w->Editor, 0, 8);
        auto *button = w->findChild<QToolButton *>(QStringLiteral("NumberingButton"));
        QVERIFY(button && button->isVisible());
        QCOMPARE(button->accessibleName(), QStringLiteral("Numbering"));
        QTest::keyClick(w->Editor, Qt::Key_F12);
        QCOMPARE(ParagraphFormat::numberingOf(w->Editor->textCursor()), ParagraphFormat::Numbering::Decimal);
        QVERIFY(button->isChecked());
        QCOMPARE(w->Editor->document()->findBlockByNumber(1).textList()->itemText(
                     w->Editor->document()->findBlockByNumber(1)),
                 QStringLiteral("2."));
        // The style from the menu; the key then turns numbering off and on in that style.
        auto *menu = w->findChild<QMenu *>(QStringLiteral("Numbering1"));
        QVERIFY(menu && menu->title() == QStringLiteral("&Numbering"));
        w->findChild<QAction *>(QStringLiteral("NumberingAlpha1"))->trigger();
        QCOMPARE(ParagraphFormat::numberingOf(w->Editor->textCursor()), ParagraphFormat::Numbering::LowerAlpha);
        QVERIFY(w->findChild<QAction *>(QStringLiteral("NumberingAlpha1"))->isChecked());
        QTest::keyClick(w->Editor, Qt::Key_F12);
        QCOMPARE(ParagraphFormat::numberingOf(w->Editor->textCursor()), ParagraphFormat::Numbering::None);
        QVERIFY(!button->isChecked());
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
        QCOMPARE(ParagraphFormat::numberingOf(w->Editor->textCursor()), ParagraphFormat::Numbering::LowerAlpha);
        w->findChild<QAction *>(QStringLiteral("NumberingRoman1"))->trigger();
        QCOMPARE(w->Editor->document()->findBlockByNumber(1).textList()->itemText(
                     w->Editor->document()->findBlockByNumber(1)),
                 QStringLiteral("ii."));
        QVERIFY(w->letterChanged());
    }

    // Keys set the typing format; Enter twice keeps it for the paragraph after the blank line.
    void typingWithKeysKeepsTheFormat()
    {
        QTest::keyClick(w->Editor, Qt::Key_B, Qt::ControlModifier);
        typeSize(w, QStringLiteral("14"));
        QTest::keyClick(w->FontSize, Qt::Key_Return);
        QTest::keyClicks(w->Editor, QStringLiteral("Dear"));
        QTest::keyClick(w->Editor, Qt::Key_Return);
        QTest::keyClick(w->Editor, Qt::Key_Return);
        QTest::keyClick(w->Editor, Qt::Key_I, Qt::ControlModifier);
        QTest::keyClick(w->Editor, Qt::Key_U, Qt::ControlModifier);
        QTest::keyClicks(w->Editor, QStringLiteral("x"));
        QCOMPARE(w->Editor->toPlainText(), QStringLiteral("Dear\n\nx"));
        const ToolBarState x = formatAt(w->Editor);
        QVERIFY(x.bold && x.italic && x.underline && x.fontSize == 14);
        QVERIFY(w->BoldButton->isChecked());
    }

    // Ctrl+N asks for a letter with text, empties only the letter, and Undo brings it back.
    void ctrlNAsksAndCanBeUndone()
    {
        w->Editor->setPlainText(QStringLiteral("a letter"));
        w->Edt_Subject->setText(QStringLiteral("Hello"));
        w->setLetterChanged(false);
        f->dialogs.answers << Answer::No << Answer::Yes;
        QTest::keyClick(w->Editor, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(f->dialogs.shown.last().buttons, UserDialogs::Buttons::YesNo);
        QCOMPARE(f->dialogs.shown.last().asker, static_cast<QObject *>(w));
        QVERIFY(!w->letterChanged());
        QTest::keyClick(w->Editor, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(w->Editor->toPlainText().isEmpty() && w->letterChanged());
        QCOMPARE(w->Edt_Subject->text(), QStringLiteral("Hello"));
        QTest::keyClick(w->Editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w->Editor->toPlainText(), QStringLiteral("a letter"));
    }

    void cutAndCopyNeedASelection()
    {
        w->Editor->setPlainText(QStringLiteral("some text"));
        cursorAt(w->Editor, 2);
        QVERIFY(!w->EditCutCmd->isEnabled());
        QVERIFY(!w->EditCopyCmd->isEnabled());
        QVERIFY(!w->CutButton->isEnabled());
        cursorAt(w->Editor, 0, 4);
        QVERIFY(w->EditCutCmd->isEnabled() && w->EditCopyCmd->isEnabled());
        QTest::keyClicks(w->Editor, QStringLiteral("x"));
        QVERIFY(w->EditUndoCmd->isEnabled());
    }

    void insertsDateAndTimeOfTheClock()
    {
        w->Editor->setPlainText(QStringLiteral("[]"));
        cursorAt(w->Editor, 1);
        w->findChild<QAction *>(QStringLiteral("InsertDate1"))->trigger();
        w->findChild<QAction *>(QStringLiteral("InsertTime1"))->trigger();
        const QLocale locale = QLocale::system();
        QCOMPARE(w->Editor->toPlainText(), QLatin1Char('[') + locale.toString(f->clock.time.date(), QLocale::ShortFormat)
                                               + locale.toString(f->clock.time, locale.timeFormat(QLocale::LongFormat)) + QLatin1Char(']'));
    }

    void fieldsFollowTheWidth()
    {
        w->resize(700, 486);
        for (QWidget *field : {static_cast<QWidget *>(w->Memo_To), static_cast<QWidget *>(w->Memo_CC),
                               static_cast<QWidget *>(w->Memo_BCC), static_cast<QWidget *>(w->Edt_Subject)})
            QCOMPARE(field->width(), 522);
    }

    void hoverShiftMovesOnceAndTheBandRestores()
    {
        TFM_Cmps other(f->services);
        const QPoint home = w->PIC_Open->pos();
        const QPoint otherHome = other.PIC_Open->pos();
        moveMouseOver(w->PIC_Open, 5);
        moveMouseOver(w->PIC_Open, 8);
        QCOMPARE(w->PIC_Open->pos(), home + QPoint(2, 2));
        QCOMPARE(w->Panel1->hoveredImage(), 3);
        // Another composer's band does not move this window's image, nor its own.
        other.Panel1->restoreImages();
        QCOMPARE(other.PIC_Open->pos(), otherHome);
        QCOMPARE(other.Panel1->hoveredImage(), 0);
        QCOMPARE(w->PIC_Open->pos(), home + QPoint(2, 2));
        moveMouseOver(w->PIC_Open, 6);
        QCOMPARE(w->PIC_Open->pos(), home + QPoint(2, 2));
        moveMouseOver(w->findChild<QWidget *>(QStringLiteral("Label1")));
        QCOMPARE(w->PIC_Open->pos(), home);
        QCOMPARE(w->Panel1->hoveredImage(), 0);
    }

    // Every key of the command table is on the keys help page; no two commands share a
    // key, nor two items of one menu (or the menu bar) a letter.
    void commandTableMatchesTheKeysPage()
    {
        const QSet<QKeySequence> page = CommandTableCheck::keysOnPage(CommandTableCheck::keysPage(), QStringLiteral("composer"));
        QVERIFY(page.contains(QKeySequence(Qt::Key_F12)));
        QVERIFY(!page.contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete))); // the main window's
        QCOMPARE(CommandTableCheck::problems(w->commands().rows(), page), QStringList());
        // A command triggered by its name, as from its menu.
        QVERIFY(w->triggerCommand(QStringLiteral("Bold1")));
        QVERIFY(w->BoldButton->isChecked());
    }

    void menusAsTheUserSeesThem()
    {
        const QList<QPair<QString, QStringList>> expected = {
            {QStringLiteral("&Flie"), {"S&end|Ctrl+Return", "Send &By Ms OE", "-", "&Import...|Ctrl+O", "-", "&Save|Ctrl+S",
                                       "Save Letter &As...|Ctrl+Shift+S", "-", "Pre&view Pictures...|Ctrl+Shift+P", "&Print...|Ctrl+P", "-", "&Close|Ctrl+F4"}},
            {QStringLiteral("&Edit"), {"&Undo|Ctrl+Z", "&Redo|Ctrl+Y", "-", "&Copy|Ctrl+C", "Cu&t|Ctrl+X", "&Paste|Ctrl+V", "-",
                                       "Select &All", "-", "&Find...|Ctrl+F", "Find &Next|F3", "R&eplace...|Ctrl+H", "-",
                                       "Insert &Date", "Insert T&ime"}},
            {QStringLiteral("I&nsert"), {"Insert &Picture...|Ctrl+Shift+I", "Picture &Size..."}},
            {QStringLiteral("&Style"), {"&Font...", "C&olor...", "&Highlight Color...", "-", "&Bold Font|Ctrl+B", "&Italic Font|Ctrl+I", "&Underline Font|Ctrl+U",
                                        "-", "Align &Left", "Align &Center", "Align &Right", "-", "Bullet&s|Ctrl+Shift+L", "&Numbering"}},
            {QStringLiteral("&Tools"), {"&Insert Attachment", "-", "&Pick Recipients...|Ctrl+K", "A&dd Address", "&Address Book", "-", "&Options setting...", "-",
                                        "Check &Spelling", "Spelling &Language"}},
            {QStringLiteral("&Help"), {"&Help Contents\tF1", "&Tips Of The Day", "-", "&Report Bug", "-", "&Visite HomePage",
                                       "&About Orlavinte"}},
        };
        const QList<QAction *> menus = w->MainMenu1->actions();
        QCOMPARE(menus.size(), expected.size());
        for (qsizetype m = 0; m < menus.size(); ++m) {
            QCOMPARE(menus[m]->text(), expected[m].first);
            QStringList items;
            QSet<QChar> mnemonics;
            for (QAction *a : menus[m]->menu()->actions()) {
                QString text = a->isSeparator() ? QStringLiteral("-") : a->text();
                if (!a->isSeparator()) {
                    const qsizetype amp = text.indexOf(QLatin1Char('&'));
                    QVERIFY2(amp >= 0 && amp + 1 < text.size(), qPrintable(text));
                    const QChar key = text.at(amp + 1).toLower();
                    QVERIFY2(!mnemonics.contains(key), qPrintable(text)); // each reaches its own item
                    mnemonics.insert(key);
                }
                if (!a->shortcut().isEmpty())
                    text += QLatin1Char('|') + a->shortcut().toString();
                items.append(text);
            }
            QCOMPARE(items, expected[m].second);
        }
        QVERIFY(w->FileExitCmd->shortcuts().contains(QKeySequence(Qt::ALT | Qt::Key_X)));
        QCOMPARE(w->EditUndoCmd->statusTip(), QStringLiteral("Undo the last action"));

        // Alt+S, then B: the Style menu's Bold Font.
        QMenu *style = w->MainMenu1->findChild<QMenu *>(QStringLiteral("Style1"));
        QTest::keyClick(w, Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(style->isVisible());
        QTest::keyClick(style, Qt::Key_B);
        QVERIFY(w->BoldButton->isChecked());
        QVERIFY(!style->isVisible());

        // Ctrl+Return sends through the checks: an empty letter is refused.
        QTest::keyClick(w->Editor, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(f->dialogs.shown.last().text, QStringLiteral("Do not send a empty mail!"));
        QVERIFY(w->Editor->toPlainText().isEmpty());
    }

    void linksAndHelpGoThroughTheServices()
    {
        QTest::keyClick(w->Editor, Qt::Key_F1);
        QCOMPARE(f->help.targets, QStringList{f->paths.executableFolder + "\\help.chm::/html\\Manual_compose_head.htm"});
        QTest::mouseClick(w->findChild<QLabel *>(QStringLiteral("Image2")), Qt::LeftButton);
        QCOMPARE(f->shell.opened, QList<QUrl>{QUrl(f->links.homePage)});
        QTest::mouseClick(w->PIC_Set, Qt::LeftButton);
        QTest::mouseClick(w->PIC_AdBook, Qt::LeftButton);
        w->findChild<QAction *>(QStringLiteral("AddressBool1"))->trigger();
        f->opener.addressListAccepted = true;
        f->opener.picks.cc = QStringList{QStringLiteral("Carol")};
        w->Memo_CC->setPlainText(QStringLiteral("Dave"));
        QTest::mouseClick(w->Sbt_CC, Qt::LeftButton);
        QCOMPARE(f->opener.calls, (QStringList{"configuration -1", "address Manage", "address ManageKeepClose", "address Pick"}));
        QCOMPARE(w->Memo_CC->toPlainText(), QStringLiteral("Dave\nCarol"));
    }

    void pastedTableIsSavedAndReloaded()
    {
        auto *data = new QMimeData;
        data->setData(QStringLiteral("text/rtf"),
                      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\trowd\\clbrdrt\\brdrs\\brdrw10\\cellx2000"
                      "\\clvmgf\\cellx4000\\intbl one\\cell two\\cell\\row"
                      "\\trowd\\cellx2000\\clvmrg\\cellx4000\\intbl three\\cell\\cell\\row\\pard after\\par}");
        data->setHtml(QStringLiteral("<p>the same as HTML</p>"));
        QApplication::clipboard()->setMimeData(data);
        QTRY_VERIFY(w->EditPasteCmd->isEnabled());
        w->EditPasteCmd->trigger();
        const std::string saved = LetterDocument::save(*w->Editor->document());
        TFM_Cmps reopened(f->services);
        reopened.Editor->loadLetter("{\\rtf1 an older letter\\par}");
        reopened.Editor->loadLetter(saved);
        QVERIFY(!reopened.Editor->document()->isModified());
        QTextTable *table = nullptr;
        for (QTextFrame *frame : reopened.Editor->document()->rootFrame()->childFrames())
            table = table ? table : qobject_cast<QTextTable *>(frame);
        QVERIFY(table);
        QCOMPARE(table->rows(), 2);
        QCOMPARE(table->cellAt(0, 1).rowSpan(), 2);
        QVERIFY(reopened.Editor->toPlainText().contains(QStringLiteral("three")));
        QVERIFY(!reopened.Editor->toPlainText().contains(QStringLiteral("HTML")));
    }

    // Colour two words, replace them everywhere, take that back and redo it, find on
    // round the end; the status bar counts the pages.
    void colourReplaceRedoFindAndPages()
    {
        w->Editor->setPlainText(QStringLiteral("cat and cat"));
        cursorAt(w->Editor, 0, 3);
        w->FontColorButton->click(); // the colour the button shows: red at first
        cursorAt(w->Editor, 8, 11);
        w->HighlightButton->colorMenu()->findChild<QToolButton *>(QStringLiteral("SwatchAqua"))->click();
        QCOMPARE(w->HighlightButton->color(), QColor(0, 255, 255));
        const auto colourAt = [this](int at) {
            QTextCursor c(w->Editor->document());
            c.setPosition(at + 1);
            return std::pair{c.charFormat().foreground().color(), c.charFormat().background().color()};
        };
        QCOMPARE(colourAt(1).first, QColor(255, 0, 0));
        QCOMPARE(colourAt(9).second, QColor(0, 255, 255));

        // Ctrl+H: the selection is the text to replace.
        QTest::keyClick(w->Editor, Qt::Key_H, Qt::ControlModifier);
        FindReplaceDialog *d = w->findDialog();
        QVERIFY(d && d->isVisible() && d->replaceMode());
        QCOMPARE(d->findText(), QStringLiteral("cat"));
        QVERIFY(d->BT_FindNext->isDefault() && !d->BT_ReplaceAll->isDefault());
        d->Edt_Replace->setText(QStringLiteral("dog"));
        QTest::mouseClick(d->BT_ReplaceAll, Qt::LeftButton);
        QCOMPARE(w->Editor->toPlainText(), QStringLiteral("dog and dog"));
        QCOMPARE(d->LB_Status->text(), QStringLiteral("Replaced 2 places."));
        QCOMPARE(colourAt(1).first, QColor(255, 0, 0));
        QCOMPARE(colourAt(9).second, QColor(0, 255, 255));

        d->close();
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        w->Editor->setFocus();
        QVERIFY(!w->EditRedoCmd->isEnabled());
        w->EditUndoCmd->trigger();
        QCOMPARE(w->Editor->toPlainText(), QStringLiteral("cat and cat"));
        QVERIFY(w->EditRedoCmd->isEnabled() && w->RedoButton->isEnabled());
        QTest::keyClick(w->Editor, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(w->Editor->toPlainText(), QStringLiteral("dog and dog"));

        // F3 finds the next place, and says when it went round the end.
        d->setFindText(QStringLiteral("dog"));
        cursorAt(w->Editor, 5);
        QTest::keyClick(w->Editor, Qt::Key_F3);
        QCOMPARE(w->Editor->textCursor().selectionStart(), 8);
        QVERIFY(w->statusBar()->currentMessage().isEmpty());
        QTest::keyClick(w->Editor, Qt::Key_F3);
        QCOMPARE(w->Editor->textCursor().selectionStart(), 0);
        QVERIFY(w->statusBar()->currentMessage().contains(QStringLiteral("went on from the start")));

        w->pageCount()->flush();
        QCOMPARE(w->LB_Pages->text(), QStringLiteral("1 page"));
    }
};

QTEST_MAIN(TestComposerWindow)
#include "tst_tfm_cmps.moc"
