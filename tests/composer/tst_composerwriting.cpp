#include "composer/LetterClipboard.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/ComposerSpelling.h"
#include "composer/windows/PictureSizeDialog.h"
#include "composer/windows/SpellHighlighter.h"
#include "composer/windows/TFM_Cmps.h"
#include "richtext/JpegPicture.h"
#include "richtext/writing/RtfWriter.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPictures.h"
#include "tests/support/windows/WindowFixture.h"
#include "ui/WidgetDialogs.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QSpinBox>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QThread>
#include <QtTest>
#include <functional>

namespace {

// Lets the idle checking run until no paragraph waits (each pass of the loop is one step).
void checkAll(TFM_Cmps &w)
{
    for (int i = 0; i < 100000 && w.spelling()->highlighter()->hasPending(); ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
}

// The words the editor draws with the red line: those in and around its view.
QStringList drawn(const QTextEdit *editor)
{
    QStringList out;
    for (const QTextEdit::ExtraSelection &s : editor->extraSelections()) {
        if (s.cursor.hasSelection() && s.format.underlineStyle() == QTextCharFormat::WaveUnderline)
            out.append(s.cursor.selectedText());
    }
    return out;
}

// The words of the whole letter marked as misspelt.
QStringList marked(TFM_Cmps &w)
{
    return w.spelling()->highlighter()->markedWords();
}

// The point in the editor's viewport over the letter's character at position.
QPoint pointAt(QTextEdit *editor, int position)
{
    QTextCursor c(editor->document());
    c.setPosition(position);
    return editor->cursorRect(c).center();
}

QByteArray rtfOf(const QTextEdit *editor)
{
    return QByteArray::fromStdString(RtfWriter::write(*editor->document()));
}

QAction *menuAction(QMenu *menu, const char *name)
{
    for (QAction *a : menu->actions())
        if (a->objectName() == QLatin1String(name))
            return a;
    return nullptr;
}

} // namespace

// What a person does with the composer's pictures and spell checking.
class TestComposerWriting : public QObject
{
    Q_OBJECT

private slots:
    void spellChecking()
    {
        WindowFixture f;
        auto w = std::make_unique<TFM_Cmps>(f.services);
        w->show();
        auto *check = w->findChild<QAction *>(QStringLiteral("CheckSpelling1"));
        QVERIFY(check && check->isEnabled() && check->isChecked());

        w->Editor->setFocus();
        QTest::keyClicks(w->Editor, QStringLiteral("I recieve mail from jo@exmaple.org on page 3rd."));
        checkAll(*w);
        QCOMPARE(marked(*w), QStringList{QStringLiteral("recieve")});
        QCOMPARE(drawn(w->Editor), QStringList{QStringLiteral("recieve")});

        // The line is no part of the letter: not in its RTF, not on the clipboard, not a change.
        QVERIFY2(!rtfOf(w->Editor).contains("\\ul"), rtfOf(w->Editor).constData());
        w->Editor->selectAll();
        w->Editor->copy();
        const QMimeData *copied = QApplication::clipboard()->mimeData();
        QVERIFY(!copied->html().contains(QLatin1String("underline")));
        QVERIFY(!copied->data(QStringLiteral("text/rtf")).contains("\\ul"));
        QTextCursor end = w->Editor->textCursor();
        end.movePosition(QTextCursor::End);
        w->Editor->setTextCursor(end);

        // The context menu of the marked word: suggestions, Ignore All, Add to Dictionary.
        std::unique_ptr<QMenu> menu(w->spelling()->contextMenu(pointAt(w->Editor, 4)));
        QList<QAction *> suggestions;
        for (QAction *a : menu->actions())
            if (a->objectName() == QLatin1String("Suggestion"))
                suggestions.append(a);
        QVERIFY(!suggestions.isEmpty() && suggestions.size() <= 8);
        QVERIFY(std::any_of(suggestions.begin(), suggestions.end(),
                            [](QAction *a) { return a->text() == QLatin1String("receive"); }));
        menuAction(menu.get(), "AddToDictionary")->trigger();
        checkAll(*w);
        QVERIFY(marked(*w).isEmpty());

        // A later composer knows the added word; with checking switched off nothing is marked.
        auto later = std::make_unique<TFM_Cmps>(f.services);
        later->show();
        QTest::keyClicks(later->Editor, QStringLiteral("recieve teh"));
        checkAll(*later);
        QCOMPARE(marked(*later), QStringList{QStringLiteral("teh")});
        std::unique_ptr<QMenu> other(later->spelling()->contextMenu(pointAt(later->Editor, 9)));
        QAction *replace = nullptr;
        for (QAction *a : other->actions())
            if (a->text() == QLatin1String("the"))
                replace = a;
        QVERIFY(replace);
        replace->trigger();
        QCOMPARE(later->Editor->toPlainText(), QStringLiteral("recieve the"));
        later->findChild<QAction *>(QStringLiteral("CheckSpelling1"))->trigger();
        QVERIFY(!f.settings.SPL_Check);
        QVERIFY(TestFiles::read(f.paths.config).contains("SPL_Check=0"));
        QTest::keyClicks(later->Editor, QStringLiteral(" wrnog"));
        checkAll(*later);
        QVERIFY(marked(*later).isEmpty());
    }

    void longLetterIsCheckedWhenIdle()
    {
        WindowFixture f;
        TFM_Cmps w(f.services);
        w.show();
        QCoreApplication::processEvents();
        // The window's own first step is due by the time the letter has been read.
        QThread::msleep(SpellHighlighter::kSettleMs + 10);
        QString rtf = QStringLiteral("{\\rtf1 ");
        for (int i = 0; i < 3000; ++i)
            rtf += QStringLiteral("Paragraph %1 has a mistaek.\\par ").arg(i);
        w.Editor->loadLetter((rtf + QLatin1Char('}')).toStdString());
        // Opening checks nothing itself: the letter shows first, then the checking runs in
        // steps when the window is idle, the paragraphs on screen in the first.
        QVERIFY(w.spelling()->highlighter()->hasPending());
        QVERIFY(marked(w).isEmpty());
        // Not even the step the window had waiting: the showing that follows at once checks
        // nothing yet.
        QCoreApplication::processEvents();
        QVERIFY(marked(w).isEmpty());
        QTRY_VERIFY(drawn(w.Editor).contains(QStringLiteral("mistaek")));
        checkAll(w);
        QCOMPARE(marked(w).size(), 3000);
        QVERIFY(!w.letterChanged());
        // The editor draws the lines of its view only, and follows the view when it moves.
        const qsizetype inView = drawn(w.Editor).size();
        QVERIFY(inView > 0 && inView < 300);
        w.Editor->verticalScrollBar()->setValue(w.Editor->verticalScrollBar()->maximum() / 2);
        QCoreApplication::processEvents();
        QTextCursor middle = w.Editor->cursorForPosition(QPoint(5, 5));
        const QList<QTextEdit::ExtraSelection> lines = w.Editor->extraSelections();
        QVERIFY(std::any_of(lines.begin(), lines.end(), [&](const QTextEdit::ExtraSelection &s) {
            return s.cursor.block() == middle.block();
        }));

        // The lines follow the words as the text around them changes: a paragraph typed into
        // is checked again, the others keep their lines where their words went.
        QTextCursor c(w.Editor->document()->findBlockByNumber(1500));
        w.Editor->setTextCursor(c);
        QTest::keyClicks(w.Editor, QStringLiteral("Wrnog "));
        checkAll(w);
        QStringList words = marked(w);
        QCOMPARE(words.size(), 3001);
        QCOMPARE(words.count(QStringLiteral("mistaek")), 3000);
        QCOMPARE(words.count(QStringLiteral("Wrnog")), 1);
        // A paragraph taken away takes its line with it.
        c = QTextCursor(w.Editor->document()->findBlockByNumber(10));
        c.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        checkAll(w);
        QCOMPARE(marked(w).size(), 3000);
    }

    // While Qt still lays out a long letter just opened, the first lines drawn are those of
    // the paragraphs at the top of the view, where the letter opens.
    void viewFirstWhileTheLetterIsLaidOut()
    {
        WindowFixture f;
        TFM_Cmps w(f.services);
        w.show();
        QCoreApplication::processEvents();
        QString rtf = QStringLiteral("{\\rtf1 ");
        for (int i = 0; i < 9000; ++i)
            rtf += QStringLiteral("Paragraph %1 has a mistaek among words enough to fill a line.\\par ").arg(i);
        w.Editor->loadLetter((rtf + QLatin1Char('}')).toStdString());
        for (int i = 0; i < 100000 && drawn(w.Editor).isEmpty(); ++i)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const QList<QTextEdit::ExtraSelection> lines = w.Editor->extraSelections();
        QVERIFY(!lines.isEmpty());
        QCOMPARE(lines.first().cursor.block().blockNumber(), 0);
        checkAll(w);
        QCOMPARE(marked(w).size(), 9000);
    }

    void withoutDictionary()
    {
        WindowFixture f;
        QTemporaryDir empty;
        f.paths.dictionaries = empty.path();
        TFM_Cmps w(f.services);
        w.show();
        auto *check = w.findChild<QAction *>(QStringLiteral("CheckSpelling1"));
        QVERIFY(!check->isEnabled());
        QVERIFY(check->text().contains(QLatin1String("no dictionary")));
        QVERIFY(!w.findChild<QMenu *>(QStringLiteral("SpellingLanguage1"))->isEnabled());
        QTest::keyClicks(w.Editor, QStringLiteral("recieve"));
        QCoreApplication::processEvents();
        QVERIFY(marked(w).isEmpty());
        std::unique_ptr<QMenu> menu(w.spelling()->contextMenu(pointAt(w.Editor, 2)));
        QVERIFY(!menuAction(menu.get(), "AddToDictionary"));
    }

    void picturesFromFiles()
    {
        WindowFixture f;
        TFM_Cmps w(f.services);
        w.show();
        const QByteArray jpeg = TestPictures::encoded(1160, 400, "JPEG");
        const QString photo = f.dir.filePath(QStringLiteral("photo.jpg"));
        TestFiles::write(photo, jpeg);
        QTest::keyClicks(w.Editor, QStringLiteral("Photo: "));
        f.dialogs.fileNames.enqueue(photo);
        w.findChild<QAction *>(QStringLiteral("InsertPicture1"))->trigger();
        QCOMPARE(f.dialogs.fileRequests.last().caption, QStringLiteral("Insert Picture"));
        QList<QTextImageFormat> shown = TestPictures::in(*w.Editor->document());
        QCOMPARE(shown.size(), 1);
        // Wider than the page's text (600 - 10 - 10): scaled to it; stored as the same JPEG.
        QCOMPARE(QSizeF(shown[0].width(), shown[0].height()), QSizeF(580, 200));
        QVERIFY(rtfOf(w.Editor).replace("\r\n", "").contains(jpeg.toHex()));
        QVERIFY(w.letterChanged());

        // Picture Size: the caret stands after the picture; half its own size.
        QVERIFY(w.PictureSize1->isEnabled());
        QTimer::singleShot(0, this, [] {
            auto *dialog = qobject_cast<PictureSizeDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->percentBox()->setValue(25);
            QCOMPARE(dialog->heightBox()->value(), 100);
            dialog->accept();
        });
        w.triggerCommand(QStringLiteral("PictureSize1"));
        shown = TestPictures::in(*w.Editor->document());
        QCOMPARE(QSizeF(shown[0].width(), shown[0].height()), QSizeF(290, 100));

        // Dropped: a picture goes into the letter, a PDF onto the attachment list.
        const QString png = f.dir.filePath(QStringLiteral("drawing.png"));
        const QString pdf = f.dir.filePath(QStringLiteral("programme.pdf"));
        TestFiles::write(png, TestPictures::encoded(30, 20, "PNG"));
        TestFiles::write(pdf, QByteArray("%PDF-1.4\n1 0 obj\n<<>>\nendobj\n"));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(png), QUrl::fromLocalFile(pdf)});
        const QPoint at = pointAt(w.Editor, 0);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.Editor->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.Editor->viewport(), &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(TestPictures::in(*w.Editor->document()).size(), 2);
        QCOMPARE(w.attachmentRows().size(), std::size_t(1));
        QCOMPARE(w.attachmentRows()[0].source, pdf);
        QVERIFY(f.dialogs.shown.isEmpty());

        // A file that is no picture, inserted as one: said, and nothing changes.
        f.dialogs.fileNames.enqueue(pdf);
        w.triggerCommand(QStringLiteral("InsertPicture1"));
        QCOMPARE(f.dialogs.shown.size(), 1);
        QCOMPARE(TestPictures::in(*w.Editor->document()).size(), 2);
    }

    // Insert Picture through the real file dialog: its filter lists the pictures of a
    // folder (whatever the case of their names), not only its subfolders, and the picture
    // chosen there lands in the letter.
    void pictureDialogListsAndChoosesPictures()
    {
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        WindowFixture f;
        WidgetDialogs widgetDialogs;
        WindowServices services{widgetDialogs, f.services.shell, f.services.clock, f.services.random,
                                f.services.settings, f.services.paths, f.services.help, f.services.links,
                                f.services.opener};
        TFM_Cmps w(services);
        w.show();
        const QString folder = f.dir.filePath(QStringLiteral("pictures"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/holiday")));
        const QString png = folder + QStringLiteral("/drawing.png");
        TestFiles::write(png, TestPictures::encoded(30, 20, "PNG"));
        TestFiles::write(folder + QStringLiteral("/photo.JPG"), TestPictures::encoded(30, 20, "JPEG"));
        TestFiles::write(folder + QStringLiteral("/notes.txt"), QByteArray("notes\n"));
        QStringList listed;
        // The dialog is looked for until it shows.
        std::function<void()> answer;
        answer = [&] {
            QFileDialog *dialog = nullptr;
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *d = qobject_cast<QFileDialog *>(top); d && d->isVisible())
                    dialog = d;
            if (!dialog) {
                QTimer::singleShot(20, this, answer);
                return;
            }
            dialog->setDirectory(folder);
            auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
            const auto names = [&] {
                QStringList out;
                if (!view)
                    return out;
                const QModelIndex root = view->rootIndex();
                for (int row = 0; row < view->model()->rowCount(root); ++row)
                    out << view->model()->index(row, 0, root).data().toString();
                out.sort();
                return out;
            };
            if (QTest::qWaitFor([&] { return names().size() >= 3; }, 5000))
                listed = names();
            // The person types the name of a listed picture and presses Enter.
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (!name) {
                dialog->reject();
                return;
            }
            name->setText(QStringLiteral("drawing.png"));
            QTest::keyClick(name, Qt::Key_Return);
            // Whatever the dialog made of it, the modal loop ends.
            if (dialog->isVisible())
                dialog->reject();
        };
        QTimer::singleShot(0, this, answer);
        w.findChild<QAction *>(QStringLiteral("InsertPicture1"))->trigger();
        QCOMPARE(listed, (QStringList{QStringLiteral("drawing.png"), QStringLiteral("holiday"),
                                      QStringLiteral("photo.JPG")}));
        QCOMPARE(TestPictures::in(*w.Editor->document()).size(), 1);
    }

    // A file manager deletes the person's file when its drop is accepted as a Move: a
    // drop from elsewhere is always taken as a copy, or not at all.
    void dropsAreCopies_data()
    {
        // The keys held choose the action the drag proposes (Shift a move, Alt a link).
        QTest::addColumn<int>("keys");
        QTest::addColumn<int>("possible");
        QTest::addColumn<bool>("taken");
        QTest::newRow("move proposed, copy allowed") << int(Qt::ShiftModifier) << int(Qt::CopyAction | Qt::MoveAction)
                                                     << true;
        QTest::newRow("copy proposed") << int(Qt::ControlModifier) << int(Qt::CopyAction | Qt::MoveAction) << true;
        QTest::newRow("link proposed, copy allowed") << int(Qt::AltModifier) << int(Qt::CopyAction | Qt::LinkAction)
                                                     << true;
        QTest::newRow("move only") << int(Qt::ShiftModifier) << int(Qt::MoveAction) << false;
    }
    void dropsAreCopies()
    {
        QFETCH(int, keys);
        QFETCH(int, possible);
        QFETCH(bool, taken);
        WindowFixture f;
        TFM_Cmps w(f.services);
        w.show();
        const QString pdf = f.dir.filePath(QStringLiteral("programme.pdf"));
        TestFiles::write(pdf, QByteArray("%PDF-1.4\n"));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(pdf)});
        const QPoint at = pointAt(w.Editor, 0);
        const auto actions = Qt::DropActions(possible);
        const auto modifiers = Qt::KeyboardModifiers(keys);
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(w.Editor->viewport(), &enter);
        QDragMoveEvent move(at, actions, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(w.Editor->viewport(), &move);
        QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(w.Editor->viewport(), &drop);
        for (QDropEvent *e : {static_cast<QDropEvent *>(&enter), static_cast<QDropEvent *>(&move), &drop}) {
            QCOMPARE(e->isAccepted(), taken);
            if (taken)
                QCOMPARE(e->dropAction(), Qt::CopyAction);
        }
        QCOMPARE(w.attachmentRows().size(), std::size_t(taken ? 1 : 0));
        QCOMPARE(QFile::exists(pdf), true);
    }
};

QTEST_MAIN(TestComposerWriting)
#include "tst_composerwriting.moc"
