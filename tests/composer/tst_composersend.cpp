// A mail written in the composer goes out through its own Send (a real SMTP server) and Ms OE
// (the .eml file the desktop's mail program gets), through the real send window; Python's
// email package reads what arrived.
#include "AddressBook.h"
#include "AiosmtpdServer.h"
#include "ComposerEditor.h"
#include "ComposerFactory.h"
#include "MailStore.h"
#include "RecordingMailBoxHost.h"
#include "TFM_Cmps.h"
#include "TFM_Send.h"
#include "TestFiles.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QtTest>

namespace {

// What a receiving mail program sees.
const char *const kDescribe = R"(
import email, email.policy, email.utils, hashlib, json, sys
raw = open(sys.argv[1], "rb").read()
m = email.message_from_bytes(raw, policy=email.policy.compat32)
out = {"from": email.utils.parseaddr(m.get("From", "")), "reply": email.utils.parseaddr(m.get("Reply-To", "")),
       "to": email.utils.getaddresses(m.get_all("To", [])), "cc": email.utils.getaddresses(m.get_all("Cc", [])),
       "subject": m.get("Subject", ""), "pictures": 0, "attachments": [],
       "defects": sum(len(p.defects) for p in m.walk())}
for p in m.walk():
    if p.is_multipart():
        continue
    body = p.get_payload(decode=True) or b""
    if p.get_content_type() == "image/jpeg" and p.get("Content-ID"):
        out["pictures"] += 1
    elif (p.get("Content-Disposition") or "").lower().startswith("attachment"):
        out["attachments"].append([p.get_filename(), hashlib.sha256(body).hexdigest()])
json.dump(out, sys.stdout)
)";

// The opener of the program: the send request runs the real send window.
class SendingOpener : public RecordingOpener
{
public:
    TFM_Send *send = nullptr;
    bool sendMails(const QStringList &positions, const QString &mode) override
    {
        RecordingOpener::sendMails(positions, mode);
        send->show();
        return send->SendMails(positions, mode);
    }
};

QJsonObject describe(const QByteArray &mail, const QString &folder)
{
    const QString path = folder + QStringLiteral("/received.eml");
    TestFiles::write(path, mail);
    QByteArray out, err;
    if (TestFiles::runPython(QString::fromLatin1(kDescribe), {path}, &out, &err) != 0)
        return {{QStringLiteral("error"), QString::fromLocal8Bit(err)}};
    return QJsonDocument::fromJson(out).object();
}

QJsonArray pair(const char *name, const char *address)
{
    return {QLatin1String(name), QLatin1String(address)};
}

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
        w->Memo_To->setPlainText(QStringLiteral("Bob Smith\ncarol@example.org"));
        w->Memo_CC->setPlainText(QStringLiteral("dan@example.net"));
        w->Edt_Subject->setText(QStringLiteral("Concert plans"));
        w->Editor->setFocus();
        QTest::keyClicks(w->Editor, QStringLiteral("Dear all, "));
        w->BoldButton->click();
        QTest::keyClicks(w->Editor, QStringLiteral("see the table"));
        auto *table = new QMimeData;
        table->setHtml(QStringLiteral("<table border=1><tr><td>Day</td><td>Hall</td></tr>"
                                      "<tr><td>Saturday</td><td>St. Mary</td></tr></table>"));
        QApplication::clipboard()->setMimeData(table);
        w->Editor->paste();
        const QString file = f->dir.filePath(QStringLiteral("programme.pdf"));
        TestFiles::write(file, attachment);
        f->dialogs.fileNames.enqueue(file);
        w->AttachbuttonClick();
        return w;
    }
    void checkReceived(const QJsonObject &m)
    {
        QVERIFY2(!m.contains(QStringLiteral("error")), qPrintable(m.value(QStringLiteral("error")).toString()));
        QCOMPARE(m.value(QStringLiteral("defects")).toInt(), 0);
        QCOMPARE(m.value(QStringLiteral("from")).toArray(), pair("Ann Sender", "ann@example.com"));
        QCOMPARE(m.value(QStringLiteral("reply")).toArray(), pair("Ann Replies", "reply@example.com"));
        QCOMPARE(m.value(QStringLiteral("to")).toArray(),
                 (QJsonArray{pair("Bob Smith", "bob@example.com"), pair("carol@example.org", "carol@example.org")}));
        QCOMPARE(m.value(QStringLiteral("cc")).toArray(), QJsonArray{pair("dan@example.net", "dan@example.net")});
        QCOMPARE(m.value(QStringLiteral("subject")).toString(), QStringLiteral("Concert plans"));
        QVERIFY(m.value(QStringLiteral("pictures")).toInt() >= 1);
        const QString sha = QString::fromLatin1(QCryptographicHash::hash(attachment, QCryptographicHash::Sha256).toHex());
        const QJsonArray expected{QJsonArray{QStringLiteral("programme.pdf"), sha}};
        QCOMPARE(m.value(QStringLiteral("attachments")).toArray(), expected);
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
        w->PIC_SendClick();
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
        checkReceived(describe(mails[0].content, f->dir.path()));
    }

    void sendThroughTheDesktop()
    {
        f->settings.ACC_SMTPPass.clear(); // not needed here
        QPointer<TFM_Cmps> w = writeMail();
        w->PIC_IEClick();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.isNull());
        QCOMPARE(opener.calls, QStringList{QStringLiteral("send MSOE 100")});
        QCOMPARE(onlyRecordBox(), 's');
        QCOMPARE(f->shell.opened.size(), 1);
        const QString eml = f->shell.opened[0].toLocalFile();
        QVERIFY(eml.startsWith(f->dir.filePath(QStringLiteral("tmp/"))));
        checkReceived(describe(TestFiles::read(eml), f->dir.path()));
    }
};

QTEST_MAIN(TestComposerSend)
#include "tst_composersend.moc"
