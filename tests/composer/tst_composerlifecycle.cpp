#include "addressbook/AddressBook.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/ComposerFactory.h"
#include "composer/windows/TFM_Cmps.h"
#include "mail/Base64.h"
#include "mailbox/MailStore.h"
#include "tests/support/TestFiles.h"
#include "tests/support/windows/RecordingMailBoxHost.h"
#include "tests/support/windows/WindowFixture.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QToolButton>
#include <QScrollBar>
#include <QtTest>

namespace {

using Answer = UserDialogs::Answer;

// Lets windows that closed with WA_DeleteOnClose go.
void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestComposerLifecycle : public QObject
{
    Q_OBJECT

private:
    WindowFixture *f = nullptr;
    RecordingMailBoxHost host;
    ComposerFactory *factory = nullptr;

    std::vector<MailSummary> records() { return MailStore(f->paths.mailBox).ScanStore(); }
    void load(const MailSummary &s, TMailMessage &m) { MailStore(f->paths.mailBox).LoadMail(s.position, m); }

    // A stored mail with two To recipients, one Bcc recipient and two attachments.
    std::int64_t storeSample(char box)
    {
        TMailMessage m;
        m.SetSubject("Quarterly");
        m.ToRecipients.Add("Bob Smith", "bob@example.com");
        m.ToRecipients.Add("", "carol@example.org");
        m.BccRecipients.Add("Dan", "dan@example.net");
        m.SetPlainText("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Stored \\b letter\\b0\\par}");
        m.AttachStream("one", "report.txt");
        m.AttachStream(std::string(3000, '\x01'), "../../evil.bin");
        m.Rebuild();
        // A name from someone else's mail program may carry a path.
        std::string text = m.SourceText();
        for (std::size_t at; (at = text.find("\"evil.bin\"")) != std::string::npos;)
            text.replace(at, 10, "\"../../evil.bin\"");
        return f->addMail(text, box, 'Y');
    }
    TFM_Cmps *openStored(std::int64_t pos, char box, int slot = 3)
    {
        TMailMessage m;
        MailStore(f->paths.mailBox).LoadMail(pos, m);
        auto *w = qobject_cast<TFM_Cmps *>(factory->openStoredMail(slot, host, m, pos, BoxTable::fromByte(box).value()));
        w->setTemporaryFolder(f->dir.filePath(QStringLiteral("tmp")));
        return w;
    }
    TFM_Cmps *openNew(int slot = 1)
    {
        auto *w = qobject_cast<TFM_Cmps *>(factory->openNewMail(slot, host));
        w->setTemporaryFolder(f->dir.filePath(QStringLiteral("tmp")));
        return w;
    }
    static void typeLetter(TFM_Cmps *w, const QString &text)
    {
        w->Editor->setFocus();
        QTest::keyClicks(w->Editor, text);
    }

private slots:
    void init()
    {
        f = new WindowFixture;
        QDir().mkpath(f->dir.filePath(QStringLiteral("tmp")));
        host = RecordingMailBoxHost();
        factory = new ComposerFactory(f->services);
        AddressBook(f->paths.config).StoreAddress("Bob Smith", "bob@example.com");
    }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *c = qobject_cast<TFM_Cmps *>(w)) {
                c->setLetterChanged(false);
                c->close();
            }
        settle();
        delete factory;
        delete f;
    }

    // A file that takes the mail over the size limit is attached only when the person
    // goes on; the question names the size. Such a mail is stored off the window's
    // thread, and the record carries the whole file.
    void largeAttachmentAsksFirst()
    {
        TFM_Cmps *w = openNew(2);
        QPointer<TFM_Cmps> alive(w);
        w->Memo_To->setPlainText(QStringLiteral("bob@example.com"));
        w->setLetterChanged(false);
        const QString big = f->dir.filePath(QStringLiteral("big.iso"));
        QFile sparse(big);
        QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(30LL * 1024 * 1024));
        sparse.close();

        f->dialogs.fileNames.enqueue(big);
        f->dialogs.answers.enqueue(Answer::No);
        w->triggerCommand(QStringLiteral("InsertAttachment1"));
        QCOMPARE(f->dialogs.shown.last().kind, UserDialogs::Kind::Warning);
        QCOMPARE(f->dialogs.shown.last().buttons, UserDialogs::Buttons::YesNo);
        QVERIFY2(f->dialogs.shown.last().text.startsWith(QStringLiteral("With this attachment the mail will be 41.")),
                 qPrintable(f->dialogs.shown.last().text));
        QCOMPARE(w->LstV_Attach->count(), 0);
        QVERIFY(!w->letterChanged());

        f->dialogs.fileNames.enqueue(big);
        f->dialogs.answers.enqueue(Answer::Yes);
        w->triggerCommand(QStringLiteral("InsertAttachment1"));
        QCOMPARE(w->LstV_Attach->count(), 1);

        // Under a higher limit nothing is asked.
        f->settings.ACC_MailSizeLimit = 100;
        const qsizetype asked = f->dialogs.shown.size();
        f->dialogs.fileNames.enqueue(big);
        w->triggerCommand(QStringLiteral("InsertAttachment1"));
        QCOMPARE(f->dialogs.shown.size(), asked);
        QCOMPARE(w->LstV_Attach->count(), 2);

        w->triggerCommand(QStringLiteral("FileSaveCmd"));
        settle();
        QVERIFY(alive.isNull());
        const auto stored = records();
        QCOMPARE(stored.size(), std::size_t(1));
        QCOMPARE(stored[0].attachFlag, 'Y');
        TMailMessage shown;
        MailStore(f->paths.mailBox).LoadMailShown(stored[0].position, shown);
        QCOMPARE(shown.Attachments.Count(), 2);
        QCOMPARE(shown.Attachments[1]->HeaderValue("Content-Length"),
                 std::to_string(Base64StreamSize(30 * 1024 * 1024)));
    }

    void aStoredMailFillsTheComposer()
    {
        const std::int64_t pos = storeSample('s');
        TFM_Cmps *w = openStored(pos, 's');
        QVERIFY(w->isVisible());
        QCOMPARE(w->FMode, ComposeMode::Modify);
        QCOMPARE(w->FBoxCode, BoxCode::Sent);
        QCOMPARE(w->FRecordPos, pos);
        QCOMPARE(w->Tag, 3);
        QVERIFY(!w->letterChanged());
        QCOMPARE(w->Edt_Subject->text(), QStringLiteral("Quarterly"));
        QVERIFY(w->Editor->toPlainText().startsWith(QStringLiteral("Stored letter")));
        // A recipient without a name shows its address.
        QCOMPARE(w->Memo_To->toPlainText(), QStringLiteral("Bob Smith\ncarol@example.org"));
        QCOMPARE(w->Memo_CC->toPlainText(), QString());
        QCOMPARE(w->Memo_BCC->toPlainText(), QStringLiteral("Dan"));
        QCOMPARE(w->MSG.ToRecipients.Addresses(), (std::vector<std::string>{"bob@example.com", "carol@example.org"}));
        QCOMPARE(w->MSG.BccRecipients.NameAt(0) + " " + w->MSG.BccRecipients.AddressAt(0),
                 std::string("Dan dan@example.net"));
        const std::vector<AttachmentRow> rows = w->attachmentRows();
        QCOMPARE(rows.size(), std::size_t(2));
        // The mail model already makes a name with a path safe.
        QCOMPARE(rows[1].caption, QStringLiteral(".._.._evil.bin"));
        QCOMPARE(rows[1].source + rows[1].kind, QStringLiteral("1Stream"));
        QVERIFY(w->LstV_Attach->isVisible());
        QCOMPARE(w->MSG.Attachments[1]->DecodedBody, std::string(3000, '\x01'));
    }

    // A stored mail whose large body was copied out of the store: that attachment is a
    // "File" row over the copy, the message holds only the others, and the mail stored
    // again carries both in their order.
    void aCopiedOutBodyIsAFileRow()
    {
        const std::int64_t pos = storeSample('u');
        const QString copy = f->dir.filePath(QStringLiteral("copy-of-report"));
        TestFiles::write(copy, "copied bytes");
        TMailMessage m;
        MailStore(f->paths.mailBox).LoadMail(pos, m);
        auto *w = qobject_cast<TFM_Cmps *>(factory->openStoredMail(3, host, m, pos, BoxCode::Unsent, {copy, QString()}));
        w->setTemporaryFolder(f->dir.filePath(QStringLiteral("tmp")));
        QPointer<TFM_Cmps> alive(w);
        const std::vector<AttachmentRow> rows = w->attachmentRows();
        QCOMPARE(rows.size(), std::size_t(2));
        QCOMPARE(rows[0].caption + QLatin1Char(' ') + rows[0].kind, QStringLiteral("report.txt File"));
        QCOMPARE(rows[0].source, copy);
        // The Stream row names its place in the composer's own message.
        QCOMPARE(rows[1].source + rows[1].kind, QStringLiteral("0Stream"));
        QCOMPARE(w->MSG.Attachments.Count(), 1);
        QCOMPARE(w->MSG.Attachments[0]->DecodedBody, std::string(3000, '\x01'));

        w->triggerCommand(QStringLiteral("FileSaveCmd"));
        settle();
        QVERIFY(alive.isNull());
        const auto stored = records();
        QCOMPARE(stored.back().boxCode, 'u');
        TMailMessage again;
        load(stored.back(), again);
        QCOMPARE(again.Attachments.Count(), 2);
        again.Attachments[0]->Decode();
        again.Attachments[1]->Decode();
        QCOMPARE(again.Attachments[0]->AttachmentFileNameText(), QStringLiteral("report.txt"));
        QCOMPARE(again.Attachments[0]->DecodedBody, std::string("copied bytes"));
        QCOMPARE(again.Attachments[1]->DecodedBody, std::string(3000, '\x01'));
    }

    // A stored mail in other scripts, with a plain-text letter in its own charset: the
    // composer's fields and attachment list show the texts.
    void aStoredMailInAnyScript()
    {
        TMailMessage m;
        m.Clear();
        m.SetSubjectText(QStringLiteral("中文 Ωmega"));
        m.ToRecipients.SetAllText({QStringLiteral("张三"), QString()}, {"zhang@example.cn", "ivan@example.ru"});
        m.SetPlainBody(QStringLiteral("Привет"));
        m.AttachStreamText("x", QStringLiteral("报告.txt"));
        m.Rebuild();
        const std::int64_t pos = f->addMail(m.SourceText(), 'u');
        TFM_Cmps *w = openStored(pos, 'u');
        QCOMPARE(w->Edt_Subject->text(), QStringLiteral("中文 Ωmega"));
        QCOMPARE(w->Memo_To->toPlainText(), QStringLiteral("张三\nivan@example.ru"));
        QCOMPARE(w->Editor->toPlainText().trimmed(), QStringLiteral("Привет"));
        QCOMPARE(w->attachmentRows().at(0).caption, QStringLiteral("报告.txt"));
        QCOMPARE(w->MSG.ToRecipients.NameText(0), QStringLiteral("张三"));
    }

    void savingANewMailStoresItAndClosesTheComposer()
    {
        TFM_Cmps *w = openNew(2);
        QPointer<TFM_Cmps> alive(w);
        QVERIFY(!w->letterChanged());
        w->Memo_To->setPlainText(QStringLiteral("Bob Smith\nzed@example.com"));
        w->Edt_Subject->setText(QStringLiteral("Hello"));
        typeLetter(w, QStringLiteral("Dear Bob"));
        const QString file = f->dir.filePath(QStringLiteral("notes.txt"));
        TestFiles::write(file, "attached bytes");
        f->dialogs.fileNames.enqueue(file);
        w->triggerCommand(QStringLiteral("InsertAttachment1"));
        QVERIFY(w->LstV_Attach->isVisible());

        w->triggerCommand(QStringLiteral("FileSaveCmd"));
        settle();
        QVERIFY(alive.isNull());
        // The main window is told once where the mail went; it shows it from there.
        QCOMPARE(host.calls, (QStringList{"stored u 100", "mayClose 1", "release 2"}));

        const auto stored = records();
        QCOMPARE(stored.size(), std::size_t(1));
        QCOMPARE(stored[0].boxCode, 'u');
        QCOMPARE(stored[0].attachFlag, 'Y');
        TMailMessage m;
        load(stored[0], m);
        QCOMPARE(m.ToRecipients.Addresses(), (std::vector<std::string>{"bob@example.com", "zed@example.com"}));
        QCOMPARE(m.Attachments.Count(), 1);
        m.Attachments[0]->Decode();
        QCOMPARE(m.Attachments[0]->DecodedBody, std::string("attached bytes"));
    }

    void closeQuestionAnswers()
    {
        const std::int64_t pos = storeSample('s');
        TFM_Cmps *w = openStored(pos, 's');
        QPointer<TFM_Cmps> alive(w);
        w->Edt_Subject->setText(QStringLiteral("  Revised  "));
        QVERIFY(w->letterChanged());

        // Cancel keeps the window open and the letter changed.
        f->dialogs.answers.enqueue(Answer::Cancel);
        QVERIFY(!w->close());
        QCOMPARE(f->dialogs.shown.last().text, QStringLiteral("Save changes to mail Revised?"));
        QCOMPARE(f->dialogs.shown.last().buttons, UserDialogs::Buttons::YesNoCancel);
        QVERIFY(w->letterChanged());
        QCOMPARE(host.calls.last(), QStringLiteral("mayClose 0"));

        // Yes stores the mail as Save does: the old record is given up, the new one keeps
        // the box, and the main window is told so (not through the settings record).
        host.calls.clear();
        f->settings.BOX_CurrentBox = "TrashBox";
        f->dialogs.answers.enqueue(Answer::Yes);
        QVERIFY(w->close());
        settle();
        QVERIFY(alive.isNull());
        const auto stored = records();
        QCOMPARE(stored.size(), std::size_t(2));
        QCOMPARE(stored[0].boxCode, 'D');
        QCOMPARE(stored[1].boxCode, 's');
        QCOMPARE(stored[1].subject, std::string("Revised"));
        QCOMPARE(f->settings.BOX_CurrentBox, std::string("TrashBox"));
        QCOMPARE(host.calls, (QStringList{QStringLiteral("stored s %1").arg(stored[1].position), "mayClose 1", "release 3"}));

        // No closes without storing.
        TFM_Cmps *other = openNew(4);
        other->Memo_CC->setPlainText(QStringLiteral("x@example.com"));
        f->dialogs.answers.enqueue(Answer::No);
        QVERIFY(other->close());
        QCOMPARE(records().size(), std::size_t(2));
    }

    void sendChecksComeInOrder()
    {
        TFM_Cmps *w = openNew();
        QPointer<TFM_Cmps> alive(w);
        w->Editor->setPlainText(QStringLiteral("\n \n\t"));
        w->triggerCommand(QStringLiteral("Send1"));
        QCOMPARE(f->dialogs.shown.last().text, QStringLiteral("Do not send a empty mail!"));
        w->triggerCommand(QStringLiteral("SendByMsOE1"));
        QCOMPARE(f->dialogs.shown.last().text, QStringLiteral("Do not try to send a empty mail!"));

        typeLetter(w, QStringLiteral("Text"));
        f->configureAccount();
        f->settings.ACC_SMTPPass = "";
        w->triggerCommand(QStringLiteral("Send1"));
        QCOMPARE(f->dialogs.shown.last().text,
                 QStringLiteral("One value of SMTP account is blank.\r\nClick Setting button to check it!"));
        QCOMPARE(f->dialogs.shown.last().kind, UserDialogs::Kind::Error);
        QVERIFY(records().empty());

        // No recipient, and recipients that are no addresses: said, and the field has the focus.
        f->settings.ACC_SMTPPass = "secret";
        w->triggerCommand(QStringLiteral("Send1"));
        QCOMPARE(f->dialogs.shown.last().text, QStringLiteral("Please enter at least one recipient."));
        QCOMPARE(w->focusWidget(), w->Memo_To);
        w->Memo_To->setPlainText(QStringLiteral("bob@example.com"));
        w->Memo_CC->setPlainText(QStringLiteral("carol at example.org"));
        w->triggerCommand(QStringLiteral("SendByMsOE1"));
        QVERIFY(f->dialogs.shown.last().text.contains(QStringLiteral("\r\n\"carol at example.org\": a name without an address\r\n")));
        QCOMPARE(w->focusWidget(), w->Memo_CC);
        QVERIFY(records().empty() && f->opener.calls.isEmpty());

        // No subject: asked, No (the default) stops.
        w->Memo_CC->clear();
        f->dialogs.answers.enqueue(Answer::No);
        w->triggerCommand(QStringLiteral("Send1"));
        QCOMPARE(f->dialogs.shown.last().text, QStringLiteral("Send this mail without a subject?"));
        QCOMPARE(f->dialogs.shown.last().buttons, UserDialogs::Buttons::YesNo);
        QCOMPARE(w->focusWidget(), w->Edt_Subject);
        QVERIFY(records().empty());

        // While the send dialog shows, a send does nothing.
        f->opener.sendShowing = true;
        const qsizetype boxes = f->dialogs.shown.size();
        w->triggerCommand(QStringLiteral("Send1"));
        w->triggerCommand(QStringLiteral("SendByMsOE1"));
        QCOMPARE(f->dialogs.shown.size(), boxes);
        QVERIFY(records().empty() && f->opener.calls.isEmpty());

        // Every box came from this composer.
        for (const FakeDialogs::Shown &box : f->dialogs.shown)
            QCOMPARE(box.asker, static_cast<QObject *>(w));

        f->opener.sendShowing = false;
        f->dialogs.answers.enqueue(Answer::Yes);
        w->triggerCommand(QStringLiteral("Send1"));
        settle();
        QVERIFY(alive.isNull());
        QCOMPARE(f->opener.calls, QStringList{QStringLiteral("send Self 100")});
        QCOMPARE(host.calls, (QStringList{"changed", "mayClose 1", "release 1"}));
    }

    void importAsksOnlyWhenTheLetterHasText()
    {
        TFM_Cmps *w = openNew();
        const QString rtf = f->dir.filePath(QStringLiteral("in.rtf"));
        TestFiles::write(rtf, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Imported \\b bold\\b0\\par}");
        f->dialogs.fileNames.enqueue(rtf);
        w->triggerCommand(QStringLiteral("FileOpenCmd"));
        QVERIFY(f->dialogs.shown.isEmpty());
        QCOMPARE(f->dialogs.fileRequests.last().filter,
                 QStringLiteral("Rich Text Files (*.RTF)|*.RTF|Text Files (*.TXT)|*.TXT"));
        QCOMPARE(f->dialogs.fileRequests.last().asker, static_cast<QObject *>(w));
        QCOMPARE(w->Editor->toPlainText(), QStringLiteral("Imported bold"));
        QVERIFY(!w->letterChanged());

        typeLetter(w, QStringLiteral(" more"));
        f->dialogs.answers.enqueue(Answer::No);
        w->triggerCommand(QStringLiteral("FileOpenCmd"));
        QCOMPARE(f->dialogs.shown.last().kind, UserDialogs::Kind::Warning);
        QCOMPARE(f->dialogs.shown.last().buttons, UserDialogs::Buttons::YesNo);
        QCOMPARE(f->dialogs.fileRequests.size(), 1);

        // Once the attachment dialog was shown, import offers every file too.
        w->triggerCommand(QStringLiteral("InsertAttachment1"));
        const QString txt = f->dir.filePath(QStringLiteral("in.txt"));
        TestFiles::write(txt, "plain {text}\r\nline two");
        f->dialogs.fileNames.enqueue(txt);
        w->triggerCommand(QStringLiteral("FileOpenCmd"));
        QCOMPARE(f->dialogs.fileRequests.last().filter, QStringLiteral("All Flies(*.*)|*.*"));
        QCOMPARE(w->Editor->toPlainText(), QStringLiteral("plain {text}\nline two"));
    }

    // Removing an attachment is a change: closing asks, and Yes stores the mail without it.
    void removingAnAttachmentIsAChange()
    {
        const std::int64_t pos = storeSample('u');
        TFM_Cmps *w = openStored(pos, 'u');
        w->LstV_Attach->setCurrentRow(0);
        w->triggerCommand(QStringLiteral("Remove1"));
        QVERIFY(w->letterChanged());
        QVERIFY(w->LstV_Attach->isVisible());
        f->dialogs.answers.enqueue(Answer::Yes);
        QVERIFY(w->close());
        QCOMPARE(f->dialogs.shown.last().text, QStringLiteral("Save changes to mail Quarterly?"));
        const auto stored = records();
        QCOMPARE(stored.size(), std::size_t(2));
        TMailMessage m;
        load(stored[1], m);
        QCOMPARE(m.Attachments.Count(), 1);
        m.Attachments[0]->Decode();
        QCOMPARE(m.Attachments[0]->DecodedBody, std::string(3000, '\x01'));
    }

    // Each recipient field shows every line it holds up to five, pushing the rows below
    // it down; from the sixth it scrolls. It does not shrink back.
    void recipientFieldsGrowToFiveLines_data()
    {
        QTest::addColumn<QString>("field");
        QTest::newRow("To") << "Memo_To";
        QTest::newRow("Cc") << "Memo_CC";
        QTest::newRow("Bcc") << "Memo_BCC";
    }
    void recipientFieldsGrowToFiveLines()
    {
        QFETCH(QString, field);
        TFM_Cmps *w = openNew();
        w->show();
        auto *memo = w->findChild<QPlainTextEdit *>(field);
        QVERIFY(memo);
        const int panel = w->Panel3->height(), subject = w->Edt_Subject->y(), height = memo->height();
        memo->setPlainText(QStringLiteral("one@example.org"));
        QCOMPARE(w->Panel3->height(), panel);
        int previous = memo->height();
        for (int lines = 2; lines <= 6; ++lines) {
            memo->appendPlainText(QStringLiteral("person%1@example.org").arg(lines));
            QCoreApplication::processEvents();
            const int growth = memo->height() - height;
            if (lines <= 5) {
                QVERIFY2(memo->height() > previous, qPrintable(QString::number(lines)));
                // Every line shows: nothing to scroll.
                memo->verticalScrollBar()->setValue(0);
                QCOMPARE(memo->verticalScrollBar()->maximum(), 0);
            } else {
                QCOMPARE(memo->height(), previous);
                QVERIFY(memo->verticalScrollBar()->maximum() > 0);
            }
            QCOMPARE(w->Panel3->height(), panel + growth);
            QCOMPARE(w->Edt_Subject->y(), subject + growth);
            previous = memo->height();
        }
        // The rows do not overlap.
        QVERIFY(w->Memo_To->geometry().bottom() < w->Memo_CC->y());
        QVERIFY(w->Memo_CC->geometry().bottom() < w->Memo_BCC->y());
        QVERIFY(w->Memo_BCC->geometry().bottom() < w->Edt_Subject->y());
        memo->clear();
        QCOMPARE(memo->height(), previous);
    }

    void twoComposersSaveIntoOneStore()
    {
        const std::int64_t pos = storeSample('u');
        TFM_Cmps *a = openStored(pos, 'u', 1);
        TFM_Cmps *b = openNew(2);
        b->Memo_To->setPlainText(QStringLiteral("Bob Smith"));
        typeLetter(b, QStringLiteral("Second"));
        a->Edt_Subject->setText(QStringLiteral("First"));
        b->triggerCommand(QStringLiteral("FileSaveCmd"));
        a->triggerCommand(QStringLiteral("FileSaveCmd"));
        settle();
        const auto stored = records();
        QCOMPARE(stored.size(), std::size_t(3));
        QCOMPARE(stored[0].boxCode, 'D');
        QCOMPARE(stored[2].subject, std::string("First"));
        TMailMessage m;
        load(stored[1], m);
        QCOMPARE(m.ToRecipients.AddressAt(0), std::string("bob@example.com"));
        load(stored[2], m);
        QCOMPARE(m.Attachments.Count(), 2);
        QVERIFY(host.calls.contains(QStringLiteral("release 1")) && host.calls.contains(QStringLiteral("release 2")));
    }
};

QTEST_MAIN(TestComposerLifecycle)
#include "tst_composerlifecycle.moc"
