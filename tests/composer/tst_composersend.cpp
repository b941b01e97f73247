// A mail written in the composer goes out through its own Send (a real SMTP server) and Ms OE
// (the .eml file the desktop's mail program gets), through the real send window; Python's
// email package reads what arrived.
#include "addressbook/AddressBook.h"
#include "composer/windows/ComposerFactory.h"
#include "composer/windows/TFM_Cmps.h"
#include "mailbox/MailStore.h"
#include "send/windows/TFM_Send.h"
#include "tests/support/AiosmtpdServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/windows/ComposerScenario.h"
#include "tests/support/windows/RecordingMailBoxHost.h"
#include "tests/support/windows/WindowFixture.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QtTest>

namespace {

// The opener of the program: the send request runs the real send window.
class SendingOpener : public RecordingOpener
{
public:
    TFM_Send *send = nullptr;
    bool sendMails(const std::vector<std::int64_t> &positions, SendMode mode) override
    {
        RecordingOpener::sendMails(positions, mode);
        send->show();
        return send->SendMails(positions, mode);
    }
};

} // namespace

class TestComposerSend : public QObject
{
    Q_OBJECT

private:
    WindowFixture *f = nullptr;
    SendingOpener opener;
    WindowServices *services = nullptr;
    RecordingMailBoxHost host;
    QByteArray attachment;

    // New mail: a name of the book and a typed address, a subject, a letter with bold text
    // and a pasted table, one attached file.
    TFM_Cmps *writeMail()
    {
        ComposerFactory factory(*services);
        auto *w = qobject_cast<TFM_Cmps *>(factory.openNewMail(1, host));
        ComposerScenario::writeMail(*w, f->dialogs, QStringLiteral("Concert plans"),
                                    f->dir.path(), attachment);
        w->Memo_CC->setPlainText(QStringLiteral("dan@example.net"));
        return w;
    }
    void checkReceived(const QJsonObject &m)
    {
        ComposerScenario::checkReceived(m, QStringLiteral("Concert plans"), attachment);
        QCOMPARE(m.value(QStringLiteral("cc")).toArray(), QJsonArray{ComposerScenario::pair("", "dan@example.net")});
    }
    void useAccount(const QString &host = QStringLiteral("127.0.0.1"), int port = 25)
    {
        f->configureAccount(host, port);
        f->settings.ACC_ReplyName = "Ann Replies";
        f->settings.ACC_ReplyAdd = "reply@example.com";
    }
    char onlyRecordBox()
    {
        const auto records = MailStore(f->paths.mailBox).ScanStore();
        return records.size() == 1 ? records[0].boxCode : 0;
    }

private slots:
    void init()
    {
        f = new WindowFixture;
        // The send window's .eml files and the composer's temporary files stay in the test's folder.
        QDir().mkpath(f->dir.filePath(QStringLiteral("tmp")));
        qputenv("TMPDIR", QFile::encodeName(f->dir.filePath(QStringLiteral("tmp"))));
        services = new WindowServices{f->dialogs, f->shell, f->clock,   f->random, f->settings,
                                      f->paths,   f->help,  f->links,   opener};
        opener.calls.clear();
        opener.send = new TFM_Send(*services);
        AddressBook(f->paths.config).StoreAddress("Bob Smith", "bob@example.com");
        useAccount();
        attachment = QByteArray("%PDF-1.4 ") + QByteArray(70000, '\xA7') + QByteArray("\0end", 4);
    }
    void cleanup()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete opener.send;
        delete services;
        delete f;
        qunsetenv("TMPDIR");
    }

    void sendThroughTheServer()
    {
        AiosmtpdServer server;
        server.setLogin("user", "secret");
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        useAccount(server.host(), server.port());

        QPointer<TFM_Cmps> w = writeMail();
        w->triggerCommand(QStringLiteral("Send1"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.isNull());
        QCOMPARE(opener.calls, QStringList{QStringLiteral("send Self 100")});
        QVERIFY(f->dialogs.shown.isEmpty());
        QCOMPARE(onlyRecordBox(), 's');
        // The stored letter holds the bold text and the pasted table.
        TMailMessage stored;
        MailStore(f->paths.mailBox).LoadMail(100, stored);
        const std::string letter = stored.PlainText();
        QVERIFY(letter.find("\\b ") != std::string::npos || letter.find("\\b\\") != std::string::npos);
        QVERIFY(letter.find("\\trowd") != std::string::npos && letter.find("St. Mary") != std::string::npos);

        const QList<AiosmtpdServer::Mail> mails = server.mails();
        QCOMPARE(mails.size(), 1);
        QCOMPARE(mails[0].mailFrom, QByteArray("ann@example.com"));
        QCOMPARE(mails[0].rcptTos, (QList<QByteArray>{"bob@example.com", "carol@example.org", "dan@example.net"}));
        checkReceived(ComposerScenario::describe(mails[0].content, f->dir.path()));
    }

    // Recipients typed as address lists reach the server as exactly those addresses; a
    // line that holds no address is refused, naming it, before anything is stored or sent.
    void typedAddressLists()
    {
        AiosmtpdServer server;
        server.setLogin("user", "secret");
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        useAccount(server.host(), server.port());

        QPointer<TFM_Cmps> w = writeMail();
        w->Memo_To->setPlainText(QStringLiteral("Lena Novak"));
        w->triggerCommand(QStringLiteral("Send1"));
        QCOMPARE(f->dialogs.shown.size(), 1);
        QVERIFY2(f->dialogs.shown[0].text.contains(QStringLiteral("\"Lena Novak\": a name without an address")),
                 qPrintable(f->dialogs.shown[0].text));
        QVERIFY(MailStore(f->paths.mailBox).ScanStore().empty());
        QVERIFY(server.mails().isEmpty());

        f->dialogs.shown.clear();
        w->Memo_To->setPlainText(
            QStringLiteral("Lena Novak <lena@example.test>\n\"Novak, Jr.\" <jr@example.test>; Bob Smith <bob@example.com>"));
        w->triggerCommand(QStringLiteral("Send1"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.isNull());
        QVERIFY(f->dialogs.shown.isEmpty());
        const QList<AiosmtpdServer::Mail> mails = server.mails();
        QCOMPARE(mails.size(), 1);
        QCOMPARE(mails[0].rcptTos,
                 (QList<QByteArray>{"bob@example.com", "dan@example.net", "jr@example.test", "lena@example.test"}));
        const QJsonObject m = ComposerScenario::describe(mails[0].content, f->dir.path());
        const QJsonArray to{ComposerScenario::pair("Lena Novak", "lena@example.test"),
                            ComposerScenario::pair("Novak, Jr.", "jr@example.test"),
                            ComposerScenario::pair("Bob Smith", "bob@example.com")};
        QCOMPARE(m.value(QStringLiteral("to")).toArray(), to);
    }

    void sendThroughTheDesktop()
    {
        f->settings.ACC_SMTPPass.clear(); // not needed here
        QPointer<TFM_Cmps> w = writeMail();
        w->triggerCommand(QStringLiteral("SendByMsOE1"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.isNull());
        QCOMPARE(opener.calls, QStringList{QStringLiteral("send MSOE 100")});
        QCOMPARE(onlyRecordBox(), 's');
        QCOMPARE(f->shell.opened.size(), 1);
        const QString eml = f->shell.opened[0].toLocalFile();
        QVERIFY(eml.startsWith(f->dir.filePath(QStringLiteral("tmp/"))));
        checkReceived(ComposerScenario::describe(TestFiles::read(eml), f->dir.path()));
    }
};

QTEST_MAIN(TestComposerSend)
#include "tst_composersend.moc"
