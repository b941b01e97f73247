// A composer keeps a recovery copy of its unsaved letter; a composer brought back from
// the copy holds the same mail and stores it in place of the mail it was opened from.
#include "addressbook/AddressBook.h"
#include "composer/LetterRecovery.h"
#include "composer/RecoveryFolder.h"
#include "composer/RecoveryKeeper.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/ComposerFactory.h"
#include "composer/windows/TFM_Cmps.h"
#include "mailbox/MailStore.h"
#include "tests/support/TestFiles.h"
#include "tests/support/windows/RecordingMailBoxHost.h"
#include "tests/support/windows/WindowFixture.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QtTest>

class TestComposerRecovery : public QObject
{
    Q_OBJECT

private slots:
    void unsavedLetterComesBackAndIsStored()
    {
        WindowFixture f;
        QDir().mkpath(f.dir.filePath(QStringLiteral("tmp")));
        RecordingMailBoxHost host;
        const QString where = f.dir.filePath(QStringLiteral("Recovery"));
        auto before = std::make_unique<RecoveryFolder>(where, QStringLiteral("1-before"));
        QVERIFY(before->open());
        ComposerFactory factory(f.services);
        factory.setRecoveryFolder(before.get());

        // A stored mail with an attachment opened for changes, then changed.
        TMailMessage m;
        m.SetSubject("Budget");
        m.ToRecipients.Add("Bob", "bob@example.com");
        m.SetPlainText("{\\rtf1\\ansi Old text\\par}");
        m.AttachStream(std::string("\x00\x01 table", 8), "table.bin");
        m.Rebuild();
        const std::int64_t pos = f.addMail(m.SourceText(), 'u', 'Y');
        MailStore(f.paths.mailBox).LoadMail(pos, m);
        QPointer<TFM_Cmps> w = qobject_cast<TFM_Cmps *>(factory.openStoredMail(1, host, m, pos, BoxCode::Unsent));
        w->setTemporaryFolder(f.dir.filePath(QStringLiteral("tmp")));
        RecoveryKeeper *keeper = w->recoveryKeeper();
        QVERIFY(keeper);
        QMetaObject::invokeMethod(&keeper->timer(), "timeout");
        QVERIFY(keeper->path().isEmpty()); // an opened mail is no unsaved letter
        const QString file = f.dir.filePath(QStringLiteral("plan.txt"));
        TestFiles::write(file, "plan");
        f.dialogs.fileNames.enqueue(file);
        w->triggerCommand(QStringLiteral("InsertAttachment1"));
        w->Editor->setFocus();
        QTest::keyClicks(w->Editor, QStringLiteral("New words "));
        w->Memo_CC->setPlainText(QStringLiteral("carol@example.org"));
        QVERIFY(keeper->timer().isActive());
        QMetaObject::invokeMethod(&keeper->timer(), "timeout");
        QVERIFY(QFile::exists(keeper->path()));

        // The program ends without saving; the next one takes the copy over.
        w->setLetterChanged(false);
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.isNull());
        before.reset();
        RecoveryFolder after(where, QStringLiteral("2-after"));
        QVERIFY(after.open());
        factory.setRecoveryFolder(&after);
        std::vector<RecoveryFolder::Damaged> damaged;
        const std::vector<RecoveryFolder::Found> found = after.adoptLeftCopies(damaged);
        QCOMPARE(found.size(), std::size_t(1));

        w = qobject_cast<TFM_Cmps *>(factory.openNewMail(2, host));
        w->setTemporaryFolder(f.dir.filePath(QStringLiteral("tmp")));
        // The opened mail is still where it was: the letter replaces it.
        RecoveryCopy recovered = found[0].copy;
        LetterRecovery::checkReplaced(recovered, f.paths.mailBox);
        QCOMPARE(recovered.mode, ComposeMode::Modify);
        w->restoreRecovered(recovered, found[0].path);
        QVERIFY(w->letterChanged());
        QVERIFY(w->Editor->toPlainText().contains(QStringLiteral("New words Old text")));
        QCOMPARE(w->Edt_Subject->text(), QStringLiteral("Budget"));
        QCOMPARE(w->Memo_To->toPlainText(), QStringLiteral("Bob"));
        QCOMPARE(w->Memo_CC->toPlainText(), QStringLiteral("carol@example.org"));
        QCOMPARE(w->attachmentRows().size(), std::size_t(2));
        QCOMPARE(w->FMode, ComposeMode::Modify);
        QCOMPARE(w->FRecordPos, pos);
        QVERIFY(!w->recoveryKeeper()->timer().isActive());

        // Save: stored in place of the opened mail, and the copy is gone. "Bob" is no
        // address of its own: the address book gives it one.
        AddressBook(f.paths.config).StoreAddress("Bob", "bob@example.com");
        w->triggerCommand(QStringLiteral("FileSaveCmd"));
        QVERIFY(!QFile::exists(found[0].path));
        const std::vector<MailSummary> records = MailStore(f.paths.mailBox).ScanStore();
        QCOMPARE(records.size(), std::size_t(2));
        QCOMPARE(records[0].boxCode, 'D');
        MailStore(f.paths.mailBox).LoadMail(records[1].position, m);
        QCOMPARE(m.Attachments.Count(), 2);
        QCOMPARE(m.Attachments[0]->AttachmentFileNameText(), QStringLiteral("table.bin"));
        m.Attachments[0]->Decode();
        QCOMPARE(m.Attachments[0]->DecodedBody, std::string("\x00\x01 table", 8));
        QCOMPARE(m.CcRecipients.Count(), 1);

        // Closing with "No" gives the letter up, and its copy with it.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        w = qobject_cast<TFM_Cmps *>(factory.openNewMail(3, host));
        w->Edt_Subject->setText(QStringLiteral("Draft"));
        w->recoveryKeeper()->focusLost();
        const QString copy = w->recoveryKeeper()->path();
        QVERIFY(QFile::exists(copy));
        f.dialogs.answers.enqueue(UserDialogs::Answer::No);
        QVERIFY(w->close());
        QVERIFY(!QFile::exists(copy));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(TestComposerRecovery)
#include "tst_composerrecovery.moc"
