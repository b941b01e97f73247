#include "config/ConfigSettings.h"
#include "config/DataFiles.h"
#include "mailbox/MailStore.h"
#include "os/AppPaths.h"
#include "os/MessagePump.h"
#include "send/windows/TFM_Send.h"
#include "tests/picture/PictureFixtures.h"
#include "tests/support/AiosmtpdServer.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/RecordingShell.h"
#include "tests/support/ScriptedSmtpServer.h"
#include "tests/support/TestFiles.h"

#include <QFrame>
#include <QMessageBox>
#include <QJsonArray>
#include <QLabel>
#include <QScrollBar>
#include <QTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace PictureFixtures;

// The send dialog's job end to end: stored mails in a real MailBox.dat, a real SMTP
// server (aiosmtpd) or the desktop's mail program (recorded), Python reading what arrived.
class TestSendMails : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layout();
    void emptyList();
    void selfSendsEveryMail();
    void oneConnectionPerMail();
    void refusedSecondMail();
    void wrongPassword();
    void connectError();
    void failureShowsItsWholeReason();
    void msoeWritesAndOpensEmlFiles();
    void certificateQuestionRefusesByDefault();
    void cancelDuringRendering();
    void unreadableMailEndsTheJob_data();
    void unreadableMailEndsTheJob();

private:
    std::int64_t store(const std::string &text, char attach = 'N');
    char boxOf(std::int64_t position) const;
    QStringList positions(std::initializer_list<std::int64_t> list) const;
    void useServer(quint16 port, const char *user = "", const char *password = "");

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeDialogs> m_dialogs;
    std::unique_ptr<RecordingShell> m_shell;
    std::unique_ptr<TFM_Send> m_dlg;
    QStringList m_labels;
    QStringList m_statuses;
    QByteArray m_oldTmp;
};

void TestSendMails::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    AppPaths::setExecutableFolder(m_dir->path() + QLatin1Char('/'));
    DataFiles::ensureMailBoxFile(AppPaths::mailBoxPath());
    ConfigSettings::instance() = ConfigSettings::firstRun();
    m_dialogs = std::make_unique<FakeDialogs>();
    m_shell = std::make_unique<RecordingShell>();
    m_dlg = std::make_unique<TFM_Send>(*m_dialogs, *m_shell, ConfigSettings::instance(), AppPaths::mailBoxPath());
    m_labels.clear();
    m_statuses.clear();
    // Serving the event loop is where the dialog can be watched (and clicked).
    MessagePump::setIntervalMs(0);
    MessagePump::setHook([this] {
        const QString label = m_dlg->LB_p->text();
        if (!label.isEmpty() && (m_labels.isEmpty() || m_labels.last() != label))
            m_labels << label;
        const QString status = m_dlg->MO->toPlainText();
        if (m_statuses.isEmpty() || m_statuses.last() != status)
            m_statuses << status;
        QCoreApplication::processEvents();
    });
    m_oldTmp = qgetenv("TMPDIR");
}

void TestSendMails::cleanup()
{
    MessagePump::setHook({});
    MessagePump::setIntervalMs(5);
    m_dlg.reset();
    if (m_oldTmp.isEmpty())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", m_oldTmp);
}

std::int64_t TestSendMails::store(const std::string &text, char attach)
{
    return MailStore(AppPaths::mailBoxPath()).AppendMail(text, 'u', attach);
}

char TestSendMails::boxOf(std::int64_t position) const
{
    for (const MailSummary &s : MailStore(AppPaths::mailBoxPath()).ScanStore())
        if (s.position == position)
            return s.boxCode;
    return 0;
}

QStringList TestSendMails::positions(std::initializer_list<std::int64_t> list) const
{
    QStringList out;
    for (const std::int64_t p : list)
        out << QString::number(p);
    return out;
}

void TestSendMails::useServer(quint16 port, const char *user, const char *password)
{
    ConfigSettings &s = ConfigSettings::instance();
    s.ACC_SMTPHost = "127.0.0.1";
    s.ACC_SMTPPort = port;
    s.ACC_SMTPUser = user;
    s.ACC_SMTPPass = password;
}

void TestSendMails::layout()
{
    TFM_Send &d = *m_dlg;
    QCOMPARE(d.windowTitle(), QStringLiteral("Sending ..."));
    QCOMPARE(d.size(), QSize(400, 115));
    QVERIFY(!(d.windowFlags() & Qt::WindowCloseButtonHint));
    for (const char *name : {"Panel1", "Image1", "LB_p", "MO", "PB", "BT_Cancel"})
        QVERIFY2(d.findChild<QWidget *>(QLatin1String(name)), name);
    QCOMPARE(d.BT_Cancel->text(), QStringLiteral("Cancel"));
    QCOMPARE(d.PB->maximum(), 100);
    QCOMPARE(d.FSMTP.Port, 25);
    QCOMPARE(d.FSMTP.TimeOut(), 60);
    QCOMPARE(d.FSMTP.PacketSize, 102400);
    d.ShowStatus(QStringLiteral("Hidden bar"), QStringLiteral("Hide"));
    QVERIFY(d.PB->isHidden());
    d.ShowStatus(QStringLiteral("Shown bar"), QStringLiteral("Show"));
    QVERIFY(!d.PB->isHidden());
    QCOMPARE(d.MO->toPlainText(), QStringLiteral("Shown bar"));
}

void TestSendMails::emptyList()
{
    m_dlg->show();
    QVERIFY(m_dlg->SendMails({}, QStringLiteral("Self")));
    QCOMPARE(m_dlg->MO->toPlainText(), QStringLiteral("Quit"));
    QVERIFY(!m_dlg->isVisible());
    QVERIFY(m_dialogs->shown.isEmpty());
}

void TestSendMails::selfSendsEveryMail()
{
    AiosmtpdServer server;
    server.setLogin("anna", "secret");
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    useServer(server.port(), "anna", "secret");

    const std::vector<Attachment> files = {{"budget.xls", binaryBytes(40000, 7)}, {"photo.png", binaryBytes(5000, 8)}};
    const std::int64_t a = store(storedMail("First", rtfLetter(4), {}, "one@example.org"));
    const std::int64_t b = store(storedMail("Second", rtfLetter(160), files, "two@example.org"), 'Y');
    const std::int64_t c = store(storedMail("Third", rtfLetter(1), {}, "three@example.org"));

    m_dlg->show();
    QVERIFY(m_dlg->SendMails(positions({a, b, c}), QStringLiteral("Self")));
    QCOMPARE(m_labels, QStringList({QStringLiteral("Total: 3 Left: 2"), QStringLiteral("Total: 3 Left: 1"),
                                    QStringLiteral("Total: 3 Left: 0")}));
    QVERIFY(m_statuses.contains(QStringLiteral("Generating pictures...")));
    QVERIFY(m_statuses.contains(QStringLiteral("Generating mail ... It will take a few minutes ")));
    QVERIFY(m_statuses.contains(QStringLiteral("Sending mail...")));
    QCOMPARE(m_dlg->MO->toPlainText(), QStringLiteral("Quit"));
    QVERIFY(m_dlg->MO->accessibleDescription().isEmpty());
    QVERIFY(!m_dlg->isVisible());
    QVERIFY(m_dialogs->shown.isEmpty());
    QCOMPARE(boxOf(a), 's');
    QCOMPARE(boxOf(b), 's');
    QCOMPARE(boxOf(c), 's');

    const QList<AiosmtpdServer::Mail> mails = server.mails();
    QCOMPARE(mails.size(), 3);
    const char *subjects[] = {"First", "Second", "Third"};
    const char *recipients[] = {"one@example.org", "two@example.org", "three@example.org"};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(mails[i].login, QByteArray("anna"));
        QCOMPARE(mails[i].rcptTos, QList<QByteArray>{QByteArray(recipients[i])});
        QCOMPARE(mails[i].mailFrom, QByteArray("anna@example.org"));
        const QJsonObject m = describe(mails[i].content);
        QVERIFY2(!m.contains(QStringLiteral("error")), qPrintable(m.value(QStringLiteral("error")).toString()));
        QCOMPARE(m.value(QStringLiteral("subject")).toString(), QString::fromLatin1(subjects[i]));
        QCOMPARE(m.value(QStringLiteral("defects")).toInt(), 0);
        QVERIFY(!m.value(QStringLiteral("plain")).toString().trimmed().isEmpty()); // the letter's words
        QVERIFY(m.value(QStringLiteral("html")).toString().contains(QStringLiteral("cid:page1.")));
        QVERIFY(m.value(QStringLiteral("unresolved")).toArray().isEmpty());
        const int pictures = m.value(QStringLiteral("pictures")).toArray().size();
        QCOMPARE(m.value(QStringLiteral("cids")).toArray().size(), pictures);
        const QString tree = m.value(QStringLiteral("tree")).toString();
        if (i == 1) {
            QVERIFY(pictures >= 2);
            QVERIFY2(tree.startsWith(QStringLiteral("multipart/mixed(multipart/alternative(text/plain,multipart/related(text/html,image/png")),
                     qPrintable(tree));
            const QJsonArray att = m.value(QStringLiteral("attachments")).toArray();
            QCOMPARE(att.size(), 2);
            for (int k = 0; k < 2; ++k) {
                QCOMPARE(att[k].toObject().value(QStringLiteral("name")).toString(), QString::fromStdString(files[size_t(k)].name));
                QCOMPARE(att[k].toObject().value(QStringLiteral("sha256")).toString(),
                         QString::fromStdString(sha256Hex(files[size_t(k)].bytes)));
            }
        } else {
            QCOMPARE(pictures, 1);
            QCOMPARE(tree, QStringLiteral("multipart/alternative(text/plain,multipart/related(text/html,image/png))"));
        }
    }
}

// Each mail gets its own session: greeting, EHLO, the AUTH LOGIN probe, the envelope,
// the data and QUIT, three times over.
void TestSendMails::oneConnectionPerMail()
{
    ScriptedSmtpServer peer;
    peer.reply("220 scripted ready\r\n").expect().reply("250 hello\r\n")
        .expect().reply("502 no login here\r\n")
        .expect().reply("250 ok\r\n")
        .expect().reply("250 sender ok\r\n")
        .expect().reply("250 recipient ok\r\n")
        .expect().reply("354 go ahead\r\n")
        .expectData().reply("250 queued\r\n")
        .expect().reply("221 bye\r\n").close();
    QVERIFY(peer.listen());
    useServer(peer.port());
    const std::int64_t a = store(storedMail("One", rtfLetter(2)));
    const std::int64_t b = store(storedMail("Two", rtfLetter(2)));
    const std::int64_t c = store(storedMail("Three", rtfLetter(2)));
    m_dlg->show();
    QVERIFY(m_dlg->SendMails(positions({a, b, c}), QStringLiteral("Self")));
    QTRY_COMPARE(peer.commands().count("QUIT"), qsizetype(3));
    QCOMPARE(peer.connectionCount(), 3);
    QCOMPARE(peer.dataBlocks().size(), 3);
    int ehlo = 0;
    for (const QByteArray &line : peer.commands())
        ehlo += line.startsWith("EHLO ") ? 1 : 0;
    QCOMPARE(ehlo, 3);
    QVERIFY2(peer.mismatches().isEmpty(), qPrintable(peer.mismatches().join(QLatin1Char('\n'))));
    QVERIFY(!peer.commands().contains("AUTH LOGIN") || peer.commands().count("AUTH LOGIN") == 3);
    QCOMPARE(boxOf(a), 's');
    QCOMPARE(boxOf(c), 's');
}

// The second mail is larger than the server takes: the first went out, the rest stays.
void TestSendMails::refusedSecondMail()
{
    AiosmtpdServer server;
    server.setSizeLimit(150000);
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    useServer(server.port());
    const std::int64_t a = store(storedMail("Small", rtfLetter(2)));
    const std::int64_t b = store(storedMail("Large", rtfLetter(2), {{"big.bin", binaryBytes(200000, 3)}}), 'Y');
    const std::int64_t c = store(storedMail("Small too", rtfLetter(2)));
    m_dlg->show();
    QVERIFY(!m_dlg->SendMails(positions({a, b, c}), QStringLiteral("Self")));
    QCOMPARE(boxOf(a), 's');
    QCOMPARE(boxOf(b), 'u');
    QCOMPARE(boxOf(c), 'u');
    QCOMPARE(server.mails().size(), 1);
    const QString status = m_dlg->MO->toPlainText();
    // The server names its limit in EHLO: the mail is not sent, and both sizes are said.
    QVERIFY2(status.startsWith(QStringLiteral("Error: The server refuses mails over 0.1 MB; this mail is 0.")),
             qPrintable(status));
    QVERIFY2(status.endsWith(QStringLiteral(" MB")), qPrintable(status));
    QVERIFY(m_dlg->PB->isHidden());
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(m_dlg->LB_p->text(), QStringLiteral("Total: 3 Left: 1"));
}

void TestSendMails::wrongPassword()
{
    AiosmtpdServer server;
    server.setLogin("anna", "secret");
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    useServer(server.port(), "anna", "guess");
    const std::int64_t a = store(storedMail("Locked out", rtfLetter(2)));
    m_dlg->show();
    QVERIFY(!m_dlg->SendMails(positions({a}), QStringLiteral("Self")));
    const QString status = m_dlg->MO->toPlainText();
    QVERIFY2(status.startsWith(QStringLiteral("Login error! Please check your SMTP account\nThe server answered: 535")),
             qPrintable(status));
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(boxOf(a), 'u');
    QCOMPARE(server.mails().size(), 0);
    m_dlg->BT_Cancel->click();
    QVERIFY(!m_dlg->isVisible());
}

void TestSendMails::connectError()
{
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    useServer(closedPort);
    const std::int64_t a = store(storedMail("Nowhere", rtfLetter(2)));
    m_dlg->show();
    QVERIFY(!m_dlg->SendMails(positions({a}), QStringLiteral("Self")));
    QVERIFY(m_dlg->MO->toPlainText().startsWith(QStringLiteral("Connect error!\n127.0.0.1 refused the connection")));
    // Not only shown: the status carries the failure for a screen reader (with an alert,
    // which reaches assistive technology only where the platform has one).
    QCOMPARE(m_dlg->MO->accessibleDescription(), m_dlg->MO->toPlainText());
    QCOMPARE(m_dlg->MO->accessibleName(), QStringLiteral("Send status"));
    QVERIFY(!m_dlg->PB->isHidden());
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(boxOf(a), 'u');
}

// A long reason shows whole: wrapped, selectable, the window grown to hold it, and the
// window can be resized.
void TestSendMails::failureShowsItsWholeReason()
{
    TFM_Send &d = *m_dlg;
    d.show();
    QVERIFY(d.minimumSize() != d.maximumSize());
    const QString reason = QStringLiteral(
        "Connect error!\r\nTLS: The host name did not match any of the valid hosts for this certificate; "
        "The certificate is self-signed, and untrusted; The certificate has expired; "
        "the-server-certificate-name-is-mail.internal.example.org-and-not-smtp.example.org");
    d.ShowStatus(reason, QStringLiteral("Show"));
    QCOMPARE(d.MO->toPlainText(), QString(reason).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QVERIFY(d.height() > 115);
    QVERIFY(d.MO->document()->size().height() <= d.MO->viewport()->height());
    QVERIFY(d.MO->document()->size().width() <= d.MO->viewport()->width());
    QVERIFY(d.MO->textInteractionFlags() & Qt::TextSelectableByMouse);
    d.resize(700, d.height());
    QCOMPARE(d.width(), 700);
    QVERIFY(d.MO->width() > 400);
}

// The temporary folder here is far longer than 50 characters; it is used whole. What
// another user planted there under a guessable name (a link to a file of ours, a file) is
// neither followed nor replaced: the files go new into a private folder of their own.
void TestSendMails::msoeWritesAndOpensEmlFiles()
{
    const QString tmp = m_dir->filePath(QStringLiteral("a-temporary-folder-whose-path-is-long/") + QString(80, QLatin1Char('x')));
    QVERIFY(QDir().mkpath(tmp));
    qputenv("TMPDIR", QFile::encodeName(tmp));
    QCOMPARE(QDir::tempPath(), tmp);
    const std::int64_t a = store(storedMail("First", rtfLetter(3)));
    const std::int64_t b = store(storedMail("Second", rtfLetter(3), {{"a.txt", "text"}}), 'Y');
    const QString victim = m_dir->filePath(QStringLiteral("victim.txt"));
    TestFiles::write(victim, "keep me");
    QVERIFY(QFile::link(victim, tmp + QStringLiteral("/0.eml")));
    TestFiles::write(tmp + QStringLiteral("/1.eml"), "an older file");
    m_dlg->show();
    QVERIFY(m_dlg->SendMails(positions({a, b}), QStringLiteral("MSOE")));
    QCOMPARE(TestFiles::read(victim), QByteArray("keep me"));
    QCOMPARE(TestFiles::read(tmp + QStringLiteral("/1.eml")), QByteArray("an older file"));
    QCOMPARE(m_shell->opened.size(), 2);
    QCOMPARE(boxOf(a), 's');
    QCOMPARE(boxOf(b), 's');
    const QFileInfo first(m_shell->opened[0].toLocalFile());
    const QFileInfo second(m_shell->opened[1].toLocalFile());
    QCOMPARE(first.absolutePath(), second.absolutePath());
    QVERIFY(first.fileName() != second.fileName());
    const QFileInfo folder(first.absolutePath());
    QCOMPARE(folder.absolutePath(), tmp);
    QCOMPARE(folder.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                     | QFile::WriteOther | QFile::ExeOther),
             QFile::Permissions());
    for (int i = 0; i < 2; ++i) {
        const QString path = m_shell->opened[i].toLocalFile();
        QVERIFY(path.endsWith(QStringLiteral(".eml")));
        const QJsonObject m = describe(TestFiles::read(path));
        QCOMPARE(m.value(QStringLiteral("subject")).toString(), i == 0 ? QStringLiteral("First") : QStringLiteral("Second"));
        QCOMPARE(m.value(QStringLiteral("pictures")).toArray().size(), 1);
        QVERIFY(!m.value(QStringLiteral("bare_lf")).toBool());
    }
    QVERIFY(!m_dlg->isVisible());
}

// The send window's question about an untrusted certificate: it shows the facts, Enter
// (the default button) refuses, and only "Trust this certificate" trusts.
void TestSendMails::certificateQuestionRefusesByDefault()
{
    CertificateFacts facts;
    facts.host = "mail.test";
    facts.port = 587;
    facts.fingerprint = CertificateFacts::written(QByteArray(32, '\x5A'));
    facts.reasons = {QStringLiteral("self-signed")};
    facts.changed = true;
    CertificateQuestion &question = m_dlg->certificateQuestion();
    QString shown;
    QTimer::singleShot(0, this, [&] {
        QMessageBox *box = question.box();
        QVERIFY(box);
        shown = box->text();
        QCOMPARE(box->defaultButton()->objectName(), QStringLiteral("BT_Cancel"));
        QTest::keyClick(box, Qt::Key_Return);
    });
    QVERIFY(!question.trustCertificate(facts));
    QVERIFY(shown.contains(QStringLiteral("mail.test:587")) && shown.contains(facts.fingerprint));
    QVERIFY(shown.startsWith(QStringLiteral("Warning: ")));
    QTimer::singleShot(0, this, [&] { question.box()->findChild<QPushButton *>(QStringLiteral("BT_Trust"))->click(); });
    QVERIFY(question.trustCertificate(facts));
}

void TestSendMails::cancelDuringRendering()
{
    AiosmtpdServer server;
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    useServer(server.port());
    const std::int64_t a = store(storedMail("Long", rtfLetter(400)));
    bool clicked = false;
    MessagePump::setHook([&] {
        if (!clicked && m_dlg->MO->toPlainText() == QLatin1String("Generating pictures...")) {
            clicked = true;
            m_dlg->BT_Cancel->click();
        }
        QCoreApplication::processEvents();
    });
    m_dlg->show();
    QVERIFY(!m_dlg->SendMails(positions({a}), QStringLiteral("Self")));
    QVERIFY(clicked);
    QVERIFY(m_dlg->Cancelled);
    QVERIFY(!m_dlg->isVisible());
    // Stopped on the page after the click, not at the end of the letter.
    QVERIFY(m_dlg->PageCount() <= 2);
    QCOMPARE(boxOf(a), 'u');
    QCOMPARE(server.mails().size(), 0);
}

void TestSendMails::unreadableMailEndsTheJob_data()
{
    QTest::addColumn<QString>("entry");
    QTest::newRow("inside the store header") << "5";
    QTest::newRow("inside a record") << "+1";
    QTest::newRow("beyond the end") << "99999999";
    QTest::newRow("not a number") << "abc";
}

// The second entry cannot be loaded: the job must not send the first mail's message
// again in its place. It ends through the general error path; later mails stay.
void TestSendMails::unreadableMailEndsTheJob()
{
    QFETCH(QString, entry);
    AiosmtpdServer server;
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    useServer(server.port());
    const std::int64_t a = store(storedMail("Good", rtfLetter(2)));
    const std::int64_t c = store(storedMail("After", rtfLetter(2)));
    if (entry == QLatin1String("+1"))
        entry = QString::number(a + 1);
    m_dlg->show();
    QVERIFY(m_dlg->SendMails({QString::number(a), entry, QString::number(c)}, QStringLiteral("Self")));
    QCOMPARE(m_dialogs->shown.size(), 1);
    QCOMPARE(m_dialogs->shown[0].kind, UserDialogs::Kind::Error);
    // "Error" and what went wrong.
    QVERIFY(m_dialogs->shown[0].text.startsWith(QStringLiteral("Error\r\n")));
    QVERIFY(m_dialogs->shown[0].text.size() > 10);
    // The status tells it too, for a screen reader.
    QCOMPARE(m_dlg->MO->accessibleDescription(), QString(m_dialogs->shown[0].text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QVERIFY(!m_dlg->isVisible());
    QCOMPARE(server.mails().size(), 1);
    QCOMPARE(boxOf(a), 's');
    QCOMPARE(boxOf(c), 'u');
    if (entry != QLatin1String("abc")) {
        // The failed load left nothing of the first mail behind.
        QVERIFY(m_dlg->FJob.FEdt.isEmpty());
        QVERIFY(m_dlg->FJob.FMailMsg.Headers.empty());
    }
}

QTEST_MAIN(TestSendMails)
#include "tst_sendmails.moc"
