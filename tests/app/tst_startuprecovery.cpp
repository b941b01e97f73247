// The start-up question about letters left unsaved, answered No and Yes, with the main
// window and the composers of the program.
#include "app/AppAssembly.h"
#include "app/StartupRecovery.h"
#include "composer/MailStorer.h"
#include "composer/RecoveryFolder.h"
#include "composer/windows/ComposerFactory.h"
#include "composer/windows/TFM_Cmps.h"
#include "config/ConfigForm.h"
#include "mailbox/MailStore.h"
#include "mailbox/windows/TFM_MailBox.h"
#include "tests/support/TestFiles.h"
#include "tests/support/windows/WindowFixture.h"

#include <QLineEdit>
#include <QtTest>

class TestStartupRecovery : public QObject
{
    Q_OBJECT

private:
    // Two letters and a damaged copy left by a program that was killed.
    static void leaveCopies(const QString &where)
    {
        QDir().mkpath(where);
        for (int i = 1; i <= 2; ++i) {
            RecoveryCopy c;
            c.stamp = i;
            c.subject = QStringLiteral("Letter %1").arg(i);
            c.to = QStringLiteral("bob@example.com");
            c.letter = "{\\rtf1\\ansi Words\\par}";
            TestFiles::write(where + QStringLiteral("/9-dead-%1.letter").arg(i), c.write());
        }
        TestFiles::write(where + QStringLiteral("/9-dead-3.letter"), "VELLORN-RECOVERY 1 3\nsubject 900\nx");
    }

private slots:
    void answeredNoOrYes_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("No: kept in the trash box") << false;
        QTest::newRow("Yes: composers come back") << true;
    }
    void answeredNoOrYes()
    {
        QFETCH(bool, yes);
        WindowFixture f;
        const QString where = f.dir.filePath(QStringLiteral("Recovery"));
        leaveCopies(where);
        RecoveryFolder folder(where, QStringLiteral("10-live"));
        QVERIFY(folder.open());
        AppAssembly parts({f.dialogs, f.shell, f.clock, f.random, f.help}, f.settings, f.paths);
        parts.loadConfiguration();
        ComposerFactory composers(parts.services());
        composers.setRecoveryFolder(&folder);
        TFM_MailBox &main = parts.createMainWindow(composers);
        const MailStorer storer(f.settings, f.clock, f.paths.mailBox, f.paths.config, f.dir.path());
        f.dialogs.answers << UserDialogs::Answer::Ok << (yes ? UserDialogs::Answer::Yes : UserDialogs::Answer::No);

        StartupRecovery::run(folder, f.dialogs, storer, f.paths.mailBox, main, composers);

        QCOMPARE(f.dialogs.shown.size(), 2);
        QCOMPARE(f.dialogs.shown[0].kind, UserDialogs::Kind::Warning);
        QVERIFY(f.dialogs.shown[0].text.contains(QStringLiteral("9-dead-3.letter")));
        QCOMPARE(f.dialogs.shown[1].text, QStringLiteral("Recover 2 unsaved letters?"));
        QCOMPARE(f.dialogs.shown[1].buttons, UserDialogs::Buttons::YesNo);
        const std::vector<MailSummary> records = MailStore(f.paths.mailBox).ScanStore();
        const QStringList copies = QDir(where).entryList({QStringLiteral("*.letter")}, QDir::Files);
        if (!yes) {
            QCOMPARE(records.size(), std::size_t(2));
            QCOMPARE(records[0].boxCode, 't');
            QCOMPARE(records[1].subject, std::string("Letter 2"));
            QVERIFY(copies.isEmpty());
            return;
        }
        QVERIFY(records.empty());
        QCOMPARE(copies.size(), 2);
        for (int i = 0; i < 2; ++i) {
            auto *w = qobject_cast<TFM_Cmps *>(main.ComposerSlots[std::size_t(i)].data());
            QVERIFY(w && w->isVisible() && w->letterChanged());
            QCOMPARE(w->Edt_Subject->text(), QStringLiteral("Letter %1").arg(i + 1));
            w->setLetterChanged(false);
            w->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(TestStartupRecovery)
#include "tst_startuprecovery.moc"
