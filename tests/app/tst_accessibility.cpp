#include "addressbook/AddressBook.h"
#include "addressbook/windows/TFM_AddLst.h"
#include "app/AppAssembly.h"
#include "app/AppWindows.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/ComposerFactory.h"
#include "composer/windows/TFM_Cmps.h"
#include "config/windows/TFm_Set.h"
#include "mailbox/MailListModel.h"
#include "mailbox/windows/TFM_MailBox.h"
#include "os/ProgramIcons.h"
#include "tests/support/windows/RecordingComposers.h"
#include "tests/support/windows/RecordingMailBoxHost.h"
#include "tests/support/windows/WindowFixture.h"
#include "ui/AccessibleNames.h"
#include "ui/ReadablePalette.h"

#include <QAccessible>
#include <QHash>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTextList>
#include <QTreeWidget>
#include <QtTest>

// The program as a person without a mouse, with a screen reader or on a dark desktop uses
// it: the assembled windows, driven by keys only.
class TestAccessibility : public QObject
{
    Q_OBJECT

private:
    struct Started
    {
        explicit Started(WindowFixture &f)
            : parts({f.dialogs, f.shell, f.clock, f.random, f.help}, f.settings, f.paths)
        {
            parts.loadConfiguration();
            parts.createMainWindow(composers);
            parts.createDialogs();
        }
        RecordingComposers composers;
        AppAssembly parts;
    };

    static QPalette darkPalette()
    {
        QPalette p(QColor(0x35, 0x35, 0x35), QColor(0x2b, 0x2b, 0x2b));
        p.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
        p.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
        p.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
        p.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
        return p;
    }

    // The colour an icon is drawn in: the commonest of its opaque pixels (an invalid colour
    // for an icon this machine's theme lacks).
    static QColor inkOf(const QIcon &icon)
    {
        const QImage image = icon.pixmap(QSize(24, 24)).toImage().convertToFormat(QImage::Format_ARGB32);
        QHash<QRgb, int> counts;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) >= 250)
                    ++counts[pixel | 0xff000000u];
            }
        }
        QRgb commonest = 0;
        int most = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            if (it.value() > most) {
                most = it.value();
                commonest = it.key();
            }
        }
        return most > 0 ? QColor::fromRgb(commonest) : QColor();
    }

    // The active window's focus widget after Tab is pressed in it.
    static QWidget *tab(QWidget *from, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(from, Qt::Key_Tab, modifiers);
        return QApplication::focusWidget();
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { QApplication::setPalette(QPalette()); }

    // From Ctrl+K in a composer to a name in its To field, by keys alone.
    void pickARecipientByKeys()
    {
        WindowFixture f;
        AddressBook(f.paths.config).StoreAddress("Ann Archer", "ann@example.org");
        AddressBook(f.paths.config).StoreAddress("Bob Builder", "bob@example.org");
        Started s(f);
        ComposerFactory factory(s.parts.services());
        RecordingMailBoxHost host;
        auto *composer = qobject_cast<TFM_Cmps *>(factory.openNewMail(1, host));
        QVERIFY(QTest::qWaitForWindowActive(composer));
        TFM_AddLst &picker = *s.parts.windows().addressList();

        QString failure;
        QTimer::singleShot(0, [&] {
            if (!QTest::qWaitForWindowActive(&picker)) {
                failure = QStringLiteral("the picker did not become active");
                picker.reject();
                return;
            }
            auto *list = picker.findChild<QTreeWidget *>(QStringLiteral("LstV_Add"));
            list->setFocus();
            // The first row is chosen already: "->" takes it without a key in the list.
            // Tab to the To list's "->" (after the manage buttons, Close being hidden).
            QWidget *at = list;
            for (int i = 0; i < 8 && at && at->objectName() != QLatin1String("Button3"); ++i)
                at = tab(at);
            if (!at || at->objectName() != QLatin1String("Button3")) {
                failure = QStringLiteral("Tab did not reach the To list's add button");
                picker.reject();
                return;
            }
            QCOMPARE(AccessibleNames::nameOf(at), QStringLiteral("Add to To"));
            QTest::keyClick(at, Qt::Key_Space);
            QTest::keyClick(&picker, Qt::Key_O, Qt::AltModifier);
        });
        QTest::keyClick(composer->Editor, Qt::Key_K, Qt::ControlModifier);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(composer->Memo_To->toPlainText(), QStringLiteral("Ann Archer"));

        // The pick buttons take the focus and answer their Alt keys.
        QApplication::setActiveWindow(composer);
        QVERIFY(QTest::qWaitForWindowActive(composer));
        composer->Editor->setFocus();
        bool opened = false;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (picker.isVisible()) {
                opened = true;
                picker.reject();
            }
        });
        closer.start(20);
        QTest::keyClick(composer, Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(opened);
        closer.stop();
        QVERIFY(composer->SpeedButton1->focusPolicy() & Qt::TabFocus);
        composer->setLetterChanged(false);
        composer->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Bullets have a menu item and a key, like the other paragraph formats.
    void bulletsByKey()
    {
        WindowFixture f;
        TFM_Cmps composer(f.services);
        composer.show();
        QVERIFY(QTest::qWaitForWindowActive(&composer));
        composer.Editor->setFocus();
        QTest::keyClicks(composer.Editor, QStringLiteral("one"));
        QTest::keyClick(composer.Editor, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(composer.Editor->textCursor().currentList());
        QVERIFY(composer.BulletsButton->isChecked());
        QTest::keyClick(composer.Editor, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(!composer.Editor->textCursor().currentList());
        composer.setLetterChanged(false);
    }

    // Tab leaves the last field of every page for the Save, Cancel and Help buttons.
    void configurationTabReachesTheButtons_data()
    {
        QTest::addColumn<int>("page");
        QTest::newRow("picture") << 0;
        QTest::newRow("SMTP") << 1;
        QTest::newRow("personal") << 2;
    }
    void configurationTabReachesTheButtons()
    {
        QFETCH(int, page);
        WindowFixture f;
        Started s(f);
        TFm_Set &dialog = *s.parts.windows().configuration();
        dialog.findChild<QTabWidget *>(QStringLiteral("PGS_Setting"))->setCurrentIndex(page);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QSet<QString> reached;
        QWidget *at = QApplication::focusWidget();
        QVERIFY(at);
        for (int i = 0; i < 30; ++i) {
            at = tab(at);
            QVERIFY(at);
            reached << at->objectName();
        }
        static const char *const fields[] = {"Edt_PW", "Edt_Host", "Edt_FromName"};
        for (const char *control : {fields[page], "Button1", "Button2", "Button3"})
            QVERIFY2(reached.contains(QLatin1String(control)), control);
        dialog.reject();
    }

    // The main window's list tells a screen reader its columns and the attachment marks
    // in words, and the trash is emptied from the menu.
    void mailListInWords()
    {
        WindowFixture f;
        f.addMail(WindowFixture::sampleMail("bob@example.com", "Plain"), 'u', 'N');
        f.addMail(WindowFixture::sampleMail("bob@example.com", "Attached"), 'u', 'Y');
        Started s(f);
        TFM_MailBox &main = *s.parts.mainWindow();
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto *list = main.findChild<QTreeView *>(QStringLiteral("LstV_MailList"));
        QCOMPARE(AccessibleNames::nameOf(list), QStringLiteral("Mails"));
        QAbstractItemModel *model = list->model();
        QStringList headers;
        for (int c = 0; c < 6; ++c)
            headers << model->headerData(c, Qt::Horizontal, Qt::AccessibleTextRole).toString();
        QVERIFY2(headers.filter(QStringLiteral(", sorted ascending")).size() == 1, qPrintable(headers.join('|')));
        QVERIFY(!headers.join(QString()).contains(QLatin1Char('^')));
        QStringList marks;
        for (int r = 0; r < model->rowCount(); ++r)
            marks << model->data(model->index(r, 0), Qt::AccessibleTextRole).toString();
        marks.sort();
        QCOMPARE(marks, QStringList({QStringLiteral("Has attachments"), QStringLiteral("No attachments")}));

        QAction *empty = main.findChild<QAction *>(QStringLiteral("EmptyTrash1"));
        QVERIFY(empty);
        QVERIFY(!empty->shortcut().isEmpty());
        f.dialogs.answers.enqueue(UserDialogs::Answer::No);
        empty->trigger();
        QCOMPARE(f.dialogs.shown.size(), 1);
        main.close();
    }

    // A dark desktop: the letter stays a white page with black text, the Accounts field's
    // text stays readable on its white ground, and the selection reads at 4.5:1.
    void darkDesktopStaysReadable()
    {
        QApplication::setPalette(ReadablePalette::adjusted(darkPalette()));
        WindowFixture f;
        Started s(f);
        TFM_Cmps composer(s.parts.services());
        composer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&composer));
        const QPalette paper = composer.Editor->palette();
        QCOMPARE(paper.color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(paper.color(QPalette::Text), QColor(Qt::black));
        QVERIFY(ReadablePalette::contrast(paper.color(QPalette::Base), paper.color(QPalette::Text)) >= 20);
        // The letter's own colours are read against the white paper.
        QVERIFY(ReadablePalette::contrast(QColor(0xc0, 0, 0), paper.color(QPalette::Base)) >= ReadablePalette::kText);
        QVERIFY(ReadablePalette::contrast(QColor(0, 0x40, 0xa0), paper.color(QPalette::Base)) >= ReadablePalette::kText);

        TFm_Set &dialog = *s.parts.windows().configuration();
        auto *account = dialog.findChild<QLineEdit *>(QStringLiteral("Edt_User"));
        const QPalette field = account->palette();
        QVERIFY(ReadablePalette::contrast(field.color(QPalette::Base), field.color(QPalette::Text)) >= ReadablePalette::kText);

        const QPalette app = QApplication::palette();
        QVERIFY(ReadablePalette::contrast(app.color(QPalette::Highlight), app.color(QPalette::HighlightedText))
                >= ReadablePalette::kText);
    }

    // The small monochrome buttons and list markers stand out from the window in either
    // palette (on a dark one they take its text colour), and the address book's orange
    // keeps 3:1 on the white tool bands it sits on in both.
    void iconsStandOut_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }
    void iconsStandOut()
    {
        QFETCH(bool, dark);
        QApplication::setPalette(dark ? ReadablePalette::adjusted(darkPalette()) : QPalette());
        const QColor window = QApplication::palette().color(QPalette::Window);
        using R = ProgramIcons::Role;
        QList<QPair<QString, QIcon>> small;
        for (R role : {R::SelectAll, R::DeleteMail, R::Bold, R::Bullets, R::Attach, R::AttachmentIcon,
                       R::AttachmentMarker, R::HelpBack})
            small.append({ProgramIcons::source(role), ProgramIcons::icon(role)});
        WindowFixture f;
        TFM_Cmps composer(f.services);
        small.append({QStringLiteral("numbering"), composer.NumberingButton->icon()});
        for (const auto &[name, icon] : small) {
            const QColor ink = inkOf(icon);
            if (!ink.isValid())
                continue; // the theme has no such icon here: the button shows its text
            QVERIFY2(ReadablePalette::contrast(ink, window) >= ReadablePalette::kGraphics,
                     qPrintable(name + QLatin1Char(' ') + ink.name()));
        }
        for (R role : {R::MailBoxAddress, R::ComposerAddressBook}) {
            const QColor ink = inkOf(ProgramIcons::icon(role));
            QVERIFY(ink.isValid());
            QVERIFY2(ReadablePalette::contrast(ink, Qt::white) >= ReadablePalette::kGraphics, qPrintable(ink.name()));
        }
    }

    void contrastIsMeasured_data()
    {
        QTest::addColumn<QColor>("a");
        QTest::addColumn<QColor>("b");
        QTest::addColumn<double>("ratio");
        QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
        QTest::newRow("same") << QColor(0x30, 0x8d, 0xc8) << QColor(0x30, 0x8d, 0xc8) << 1.0;
        QTest::newRow("white on #308dc8") << QColor(Qt::white) << QColor(0x30, 0x8d, 0xc8) << 3.6;
    }
    void contrastIsMeasured()
    {
        QFETCH(QColor, a);
        QFETCH(QColor, b);
        QFETCH(double, ratio);
        QVERIFY2(qAbs(ReadablePalette::contrast(a, b) - ratio) < 0.1, qPrintable(QString::number(ReadablePalette::contrast(a, b))));
        // A light selection with white text is darkened until it reads.
        QPalette p;
        p.setColor(QPalette::Highlight, QColor(0x30, 0x8d, 0xc8));
        p.setColor(QPalette::HighlightedText, Qt::white);
        const QPalette mended = ReadablePalette::adjusted(p);
        QVERIFY(ReadablePalette::contrast(mended.color(QPalette::Highlight), Qt::white) >= ReadablePalette::kText);
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
