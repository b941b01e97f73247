// The whole program's windows in one process, offscreen, over a temporary data folder: a
// mail is written, saved, opened again, changed, saved, and sent from the main window to a
// real SMTP server (aiosmtpd); Python's email package reads what arrived.
#include "addressbook/AddressBook.h"
#include "app/AppAssembly.h"
#include "composer/windows/ComposerFactory.h"
#include "composer/windows/TFM_Cmps.h"
#include "config/ConfigForm.h"
#include "config/windows/TFm_Set.h"
#include "mailbox/MailStore.h"
#include "mailbox/windows/TFM_MailBox.h"
#include "send/windows/TFM_Send.h"
#include "shell/windows/TFm_About.h"
#include "shell/windows/TFM_Tips.h"
#include "tests/support/AiosmtpdServer.h"
#include "tests/support/windows/ComposerScenario.h"
#include "tests/support/windows/WindowFixture.h"

#include <QComboBox>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTreeView>
#include <QtTest>


class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void writeSaveChangeAndSendFromTheMainWindow()
    {
        AiosmtpdServer server;
        server.setLogin("user", "secret");
        QVERIFY2(server.start(), qPrintable(server.errorString()));

        // ---- start-up, as app/main.cpp wires it
        WindowFixture f;
        QDir().mkpath(f.dir.filePath(QStringLiteral("tmp")));
        qputenv("TMPDIR", QFile::encodeName(f.dir.filePath(QStringLiteral("tmp"))));
        AddressBook(f.paths.config).StoreAddress("Bob Smith", "bob@example.com");
        AppAssembly parts({f.dialogs, f.shell, f.clock, f.random, f.help}, f.settings, f.paths);
        parts.loadConfiguration();
        parts.createSplash();
        ComposerFactory composers(parts.services());
        TFM_MailBox &main = parts.createMainWindow(composers);
        parts.createDialogs();
        // The account as the user enters it in the configuration dialog.
        f.configureAccount(server.host(), server.port());
        f.settings.ACC_ReplyName = "Ann Replies";
        f.settings.ACC_ReplyAdd = "reply@example.com";
        parts.config().form = ConfigForm::showing(f.settings);
        parts.start();
        parts.windows().tips()->Button3->click(); // the tips of the first start, closed
        QTRY_VERIFY(main.isEnabled());

        // ---- New: recipients, subject, a letter with bold text and a pasted table, a file
        main.PIC_NewClick();
        QPointer<TFM_Cmps> w = qobject_cast<TFM_Cmps *>(main.ComposerSlots[0].data());
        QVERIFY(w);
        const QByteArray bytes = QByteArray("%PDF-1.4 ") + QByteArray(50000, '\xB5');
        ComposerScenario::writeMail(*w, f.dialogs, QStringLiteral("Draft"), f.dir.path(), bytes);
        w->triggerCommand(QStringLiteral("FileSaveCmd"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.isNull() && !main.ComposerSlots[0]);

        // ---- the unsent box lists it: recipient, subject, size, attachment marker
        QAbstractItemModel *list = main.LstV_MailList->model();
        QCOMPARE(list->rowCount(), 1);
        QCOMPARE(list->index(0, 2).data().toString(), QStringLiteral("Bob Smith"));
        QCOMPARE(list->index(0, 3).data().toString(), QStringLiteral("Draft"));
        QVERIFY(list->index(0, 5).data().toString().endsWith(QStringLiteral(" KB")));
        QVERIFY(!list->index(0, 0).data(Qt::DecorationRole).isNull());
        // ... shown in the unsent box with the new mail selected
        QCOMPARE(main.CBX_Box->currentIndex(), 1);
        QCOMPARE(main.selectedRows(), std::vector<int>{0});

        // ---- open it again, change the subject, save: the old record goes, a new one comes
        main.selectRow(0);
        main.Sbt_edtClick();
        w = qobject_cast<TFM_Cmps *>(main.ComposerSlots[0].data());
        QVERIFY(w);
        QCOMPARE(w->Memo_To->toPlainText(), QStringLiteral("Bob Smith\ncarol@example.org"));
        QCOMPARE(w->attachmentRows().size(), std::size_t(1));
        w->Edt_Subject->setText(QStringLiteral("Concert plans"));
        w->triggerCommand(QStringLiteral("FileSaveCmd"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::vector<MailSummary> records = MailStore(f.paths.mailBox).ScanStore();
        QCOMPARE(records.size(), std::size_t(2));
        QCOMPARE(records[0].boxCode, 'D');
        QCOMPARE(records[1].boxCode, 'u');
        QCOMPARE(list->rowCount(), 1);
        QCOMPARE(list->index(0, 3).data().toString(), QStringLiteral("Concert plans"));

        // ---- send all from the main window
        main.PIC_SendClick();
        QCOMPARE(f.dialogs.shown.size(), 1);
        QCOMPARE(f.dialogs.shown[0].text, QStringLiteral("Send 1 unsent mail?\r\n\r\n- Concert plans"));
        const QList<AiosmtpdServer::Mail> mails = server.mails();
        QCOMPARE(mails.size(), 1);
        QCOMPARE(mails[0].rcptTos, (QList<QByteArray>{"bob@example.com", "carol@example.org"}));
        const QJsonObject m = ComposerScenario::describe(mails[0].content, f.dir.path());
        ComposerScenario::checkReceived(m, QStringLiteral("Concert plans"), bytes);
        records = MailStore(f.paths.mailBox).ScanStore();
        QCOMPARE(records[1].boxCode, 's');

        // ---- exit: the replaced record leaves the store, the configuration is written
        QVERIFY(main.close());
        records = MailStore(f.paths.mailBox).ScanStore();
        QCOMPARE(records.size(), std::size_t(1));
        QCOMPARE(records[0].boxCode, 's');
        QCOMPARE(records[0].subject, std::string("Concert plans"));
        const QByteArray config = TestFiles::read(f.paths.config);
        QVERIFY(config.contains("ACC_SMTPHost=127.0.0.1") && config.contains("ACC_ReplyAdd=reply@example.com"));
        qunsetenv("TMPDIR");
    }

    // Composers opened one after the other do not lie on top of each other.
    void composersCascade()
    {
        WindowFixture f;
        AppAssembly parts({f.dialogs, f.shell, f.clock, f.random, f.help}, f.settings, f.paths);
        parts.loadConfiguration();
        ComposerFactory composers(parts.services());
        TFM_MailBox &main = parts.createMainWindow(composers);
        main.show();
        QList<QPoint> places;
        for (int i = 0; i < 4; ++i) {
            main.PIC_NewClick();
            QWidget *composer = main.ComposerSlots[size_t(i)];
            QVERIFY(composer && composer->isVisible());
            QVERIFY2(!places.contains(composer->pos()), qPrintable(QStringLiteral("composer %1").arg(i + 1)));
            QVERIFY(composer->screen()->availableGeometry().contains(composer->geometry()));
            places << composer->pos();
        }
        // A closed composer's place is the next one's.
        main.ComposerSlots[1]->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        main.PIC_NewClick();
        QCOMPARE(main.ComposerSlots[1]->pos(), places[1]);
        QVERIFY(main.close());
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
