// The whole program's windows in one process, offscreen, over a temporary data folder: a
// mail is written, saved, opened again, changed, saved, and sent from the main window to a
// real SMTP server (aiosmtpd); Python's email package reads what arrived.
#include "AddressBook.h"
#include "AiosmtpdServer.h"
#include "AppWindows.h"
#include "ComposerEditor.h"
#include "ComposerFactory.h"
#include "ConfigForm.h"
#include "MailStore.h"
#include "TFM_Cmps.h"
#include "TFM_MailBox.h"
#include "TFM_Send.h"
#include "TFM_Tips.h"
#include "TFm_About.h"
#include "TFm_Set.h"
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
#include <QStandardPaths>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

namespace {

const char *const kDescribe = R"(
import email, email.policy, email.utils, hashlib, json, sys
m = email.message_from_bytes(open(sys.argv[1], "rb").read(), policy=email.policy.compat32)
out = {"from": email.utils.parseaddr(m.get("From", "")), "reply": email.utils.parseaddr(m.get("Reply-To", "")),
       "to": email.utils.getaddresses(m.get_all("To", [])), "subject": m.get("Subject", ""),
       "pictures": 0, "attachments": [], "defects": sum(len(p.defects) for p in m.walk())}
for p in m.walk():
    body = p.get_payload(decode=True) or b""
    if p.is_multipart():
        continue
    if p.get_content_type() == "image/jpeg" and p.get("Content-ID"):
        out["pictures"] += 1
    elif (p.get("Content-Disposition") or "").lower().startswith("attachment"):
        out["attachments"].append([p.get_filename(), hashlib.sha256(body).hexdigest()])
json.dump(out, sys.stdout)
)";

QJsonArray pair(const char *name, const char *address)
{
    return {QLatin1String(name), QLatin1String(address)};
}

} // namespace

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
        AppWindows windows;
        WindowServices services{f.dialogs, f.shell, f.clock, f.random, f.settings, f.paths, f.help, f.links, windows};
        ConfigForm form = ConfigForm::showing(f.settings);
        TFm_About &splash = windows.createAbout(services);
        splash.showSplash();
        ComposerFactory composers(services);
        TFM_MailBox main(services, composers, form);
        windows.setMainWindow(&main);
        windows.createAddressEditor(services);
        windows.createAddressList(services);
        windows.createConfiguration(services, form);
        // The account as the user enters it in the configuration dialog, which loaded the
        // settings record when it was made.
        f.configureAccount(server.host(), server.port());
        f.settings.ACC_ReplyName = "Ann Replies";
        f.settings.ACC_ReplyAdd = "reply@example.com";
        form = ConfigForm::showing(f.settings);
        windows.createSendDialog(services);
        windows.createTips(services);
        main.show();
        windows.setMainWindowEnabled(false);
        splash.startSplashTimer();
        QTRY_VERIFY(main.isEnabled());

        // ---- New: recipients, subject, a letter with bold text and a pasted table, a file
        main.PIC_NewClick();
        QPointer<TFM_Cmps> w = qobject_cast<TFM_Cmps *>(main.ComposerSlots[0].data());
        QVERIFY(w);
        w->Memo_To->setPlainText(QStringLiteral("Bob Smith\ncarol@example.org"));
        w->Edt_Subject->setText(QStringLiteral("Draft"));
        w->Editor->setFocus();
        QTest::keyClicks(w->Editor, QStringLiteral("Dear all, "));
        w->BoldButton->click();
        QTest::keyClicks(w->Editor, QStringLiteral("see the table"));
        auto *table = new QMimeData;
        table->setHtml(QStringLiteral("<table border=1><tr><td>Day</td><td>Hall</td></tr></table>"));
        QApplication::clipboard()->setMimeData(table);
        w->Editor->paste();
        const QByteArray bytes = QByteArray("%PDF-1.4 ") + QByteArray(50000, '\xB5');
        const QString file = f.dir.filePath(QStringLiteral("programme.pdf"));
        TestFiles::write(file, bytes);
        f.dialogs.fileNames.enqueue(file);
        w->AttachbuttonClick();
        w->PIC_SaveClick();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.isNull() && !main.ComposerSlots[0]);

        // ---- the unsent box lists it: recipient, subject, size, attachment marker
        QAbstractItemModel *list = main.LstV_MailList->model();
        QCOMPARE(list->rowCount(), 1);
        QCOMPARE(list->index(0, 2).data().toString(), QStringLiteral("Bob Smith"));
        QCOMPARE(list->index(0, 3).data().toString(), QStringLiteral("Draft"));
        QVERIFY(list->index(0, 5).data().toString().endsWith(QStringLiteral(" KB")));
        QVERIFY(!list->index(0, 0).data(Qt::DecorationRole).isNull());

        // ---- open it again, change the subject, save: the old record goes, a new one comes
        main.selectRow(0);
        main.Sbt_edtClick();
        w = qobject_cast<TFM_Cmps *>(main.ComposerSlots[0].data());
        QVERIFY(w);
        QCOMPARE(w->Memo_To->toPlainText(), QStringLiteral("Bob Smith\ncarol@example.org"));
        QCOMPARE(w->attachmentRows().size(), std::size_t(1));
        w->Edt_Subject->setText(QStringLiteral("Concert plans"));
        w->PIC_SaveClick();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::vector<MailSummary> records = MailStore(f.paths.mailBox).ScanStore();
        QCOMPARE(records.size(), std::size_t(2));
        QCOMPARE(records[0].boxCode, 'D');
        QCOMPARE(records[1].boxCode, 'u');
        QCOMPARE(list->rowCount(), 1);
        QCOMPARE(list->index(0, 3).data().toString(), QStringLiteral("Concert plans"));

        // ---- send all from the main window
        main.PIC_SendClick();
        QVERIFY(f.dialogs.shown.isEmpty());
        const QList<AiosmtpdServer::Mail> mails = server.mails();
        QCOMPARE(mails.size(), 1);
        QCOMPARE(mails[0].rcptTos, (QList<QByteArray>{"bob@example.com", "carol@example.org"}));
        const QString eml = f.dir.filePath(QStringLiteral("received.eml"));
        TestFiles::write(eml, mails[0].content);
        QByteArray out, err;
        QCOMPARE(TestFiles::runPython(QString::fromLatin1(kDescribe), {eml}, &out, &err), 0);
        const QJsonObject m = QJsonDocument::fromJson(out).object();
        QCOMPARE(m.value(QStringLiteral("defects")).toInt(), 0);
        QCOMPARE(m.value(QStringLiteral("from")).toArray(), pair("Ann Sender", "ann@example.com"));
        QCOMPARE(m.value(QStringLiteral("reply")).toArray(), pair("Ann Replies", "reply@example.com"));
        QCOMPARE(m.value(QStringLiteral("to")).toArray(),
                 (QJsonArray{pair("Bob Smith", "bob@example.com"), pair("carol@example.org", "carol@example.org")}));
        QCOMPARE(m.value(QStringLiteral("subject")).toString(), QStringLiteral("Concert plans"));
        QVERIFY(m.value(QStringLiteral("pictures")).toInt() >= 1);
        const QString sha = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
        const QJsonArray attachments{QJsonArray{QStringLiteral("programme.pdf"), sha}};
        QCOMPARE(m.value(QStringLiteral("attachments")).toArray(), attachments);
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
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
