#include "mail/TMailMessage.h"
#include "os/AppError.h"
#include "smtp/TSMTP.h"
#include "smtp/TSocketTalk.h"
#include "smtp/TransparentStream.h"
#include "tests/support/ScriptedSmtpServer.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <cstring>

// The SMTP session against a scripted peer: the exact command sequence of each path,
// the judging of replies, the preconditions and the hostile inputs.
class TestSmtpSession : public QObject
{
    Q_OBJECT

    static QByteArray helo() { return "EHLO vellorn.test"; }

    // A session on the peer with a short time-out and a fixed EHLO name.
    static void setUp(TSMTP &smtp, const ScriptedSmtpServer &peer, int timeOut = 2)
    {
        smtp.Host = "127.0.0.1";
        smtp.Port = peer.port();
        smtp.SetTimeOut(timeOut);
        smtp.LocalName = "vellorn.test";
    }

    // Greeting, EHLO, AUTH LOGIN refused, NOOP: an open session without login.
    static ScriptedSmtpServer &plainSession(ScriptedSmtpServer &peer)
    {
        return peer.reply("220 hi\r\n").expect(helo()).reply("250 ok\r\n").expect("AUTH LOGIN")
            .reply("502 no\r\n").expect("NOOP").reply("250 ok\r\n");
    }

    // A rebuilt-looking message: its text is set directly, so the session tests do not
    // depend on how the model writes mails.
    static void fillMessage(TMailMessage &message, const std::string &body = "Hello\r\n")
    {
        message.Headers = {"From: <me@vellorn.test>", "To: <b@x.org>", "Bcc: <hidden@x.org>", "Subject: t"};
        message.EncodedBody = body;
        message.NeedRebuild = false;
    }

    static QString errorOf(const std::function<void()> &f)
    {
        try {
            f();
        } catch (const AppError &e) {
            return QString::fromUtf8(e.what());
        }
        return {};
    }

private slots:
    void greetingRefused()
    {
        ScriptedSmtpServer peer;
        peer.reply("554 go away\r\n");
        QVERIFY(peer.listen());
        TSMTP smtp;
        setUp(smtp, peer);
        QVERIFY(!smtp.Connect());
        QVERIFY(!smtp.Connected());
        QVERIFY(peer.commands().isEmpty());
        QCOMPARE(smtp.LastReply(), std::string("554 go away\r\n"));
        // The connection stays open: Connect refuses until Disconnect closed it.
        QVERIFY(!smtp.Connect());
        QCOMPARE(peer.connectionCount(), 1);
        QVERIFY(!smtp.Quit());
        smtp.Disconnect();
        QVERIFY(!smtp.Talk()->Active());
    }

    // EHLO refused, HELO accepted: no AUTH LOGIN probe. AUTH LOGIN refused: NOOP.
    // AUTH LOGIN accepted: LoginReady, and Login sends both texts in base64.
    void greetingPaths_data()
    {
        QTest::addColumn<QList<QByteArray>>("replies");
        QTest::addColumn<QList<QByteArray>>("commands");
        QTest::addColumn<bool>("result");
        QTest::addColumn<bool>("loginReady");
        QTest::newRow("EHLO refused, HELO accepted")
            << QList<QByteArray>{"220 hi\r\n", "502 what\r\n", "250 hello\r\n"}
            << QList<QByteArray>{helo(), "HELO vellorn.test"} << true << false;
        QTest::newRow("EHLO and HELO refused")
            << QList<QByteArray>{"220 hi\r\n", "502 what\r\n", "501 no\r\n"}
            << QList<QByteArray>{helo(), "HELO vellorn.test"} << false << false;
        QTest::newRow("AUTH LOGIN refused")
            << QList<QByteArray>{"220 hi\r\n", "250 ok\r\n", "502 no auth\r\n", "250 ok\r\n"}
            << QList<QByteArray>{helo(), "AUTH LOGIN", "NOOP"} << true << false;
        QTest::newRow("AUTH LOGIN accepted")
            << QList<QByteArray>{"220 hi\r\n", "250-x\r\n250 AUTH LOGIN\r\n", "334 VXNlcm5hbWU6\r\n"}
            << QList<QByteArray>{helo(), "AUTH LOGIN"} << true << true;
        QTest::newRow("greeting in pieces")
            << QList<QByteArray>{"220-first\r\n", "220 second\r\n", "250 ok\r\n", "334 x\r\n"}
            << QList<QByteArray>{helo(), "AUTH LOGIN"} << true << true;
    }
    void greetingPaths()
    {
        QFETCH(QList<QByteArray>, replies);
        QFETCH(QList<QByteArray>, commands);
        QFETCH(bool, result);
        QFETCH(bool, loginReady);
        ScriptedSmtpServer peer;
        // Replies and expected commands alternate after the greeting; pieces of the
        // greeting come 100 ms apart.
        int r = 0;
        peer.reply(replies.at(r++));
        if (replies.at(0).startsWith("220-"))
            peer.reply(replies.at(r++), 100);
        for (const QByteArray &command : commands) {
            peer.expect(command);
            if (r < replies.size())
                peer.reply(replies.at(r++));
        }
        QVERIFY(peer.listen());
        TSMTP smtp;
        setUp(smtp, peer);
        QCOMPARE(smtp.Connect(), result);
        QCOMPARE(smtp.Connected(), result);
        QCOMPARE(smtp.LoginReady(), loginReady);
        QCOMPARE(peer.commands(), commands);
        QVERIFY2(peer.mismatches().isEmpty(), qPrintable(peer.mismatches().join('\n')));
    }

    void login_data()
    {
        QTest::addColumn<QByteArray>("userReply");
        QTest::addColumn<QByteArray>("passwordReply");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("commandsSent");
        QTest::newRow("accepted") << QByteArray("334 UGFzc3dvcmQ6\r\n") << QByteArray("235 welcome\r\n") << true << 4;
        QTest::newRow("password refused") << QByteArray("334 UGFzc3dvcmQ6\r\n") << QByteArray("535 bad\r\n") << false << 4;
        QTest::newRow("user refused") << QByteArray("535 bad\r\n") << QByteArray() << false << 3;
    }
    void login()
    {
        QFETCH(QByteArray, userReply);
        QFETCH(QByteArray, passwordReply);
        QFETCH(bool, result);
        QFETCH(int, commandsSent);
        ScriptedSmtpServer peer;
        // EHLO's multi-line reply arrives in two pieces: the tail must not be taken as
        // the answer to AUTH LOGIN.
        peer.reply("220 hi\r\n").expect(helo()).reply("250-sink\r\n").reply("250-AUTH LOGIN\r\n250 HELP\r\n", 150)
            .expect("AUTH LOGIN").reply("334 VXNlcm5hbWU6\r\n").expect("dXNlcg==").reply(userReply);
        if (!passwordReply.isEmpty())
            peer.expect("cMOkc3M=").reply(passwordReply);
        QVERIFY(peer.listen());
        TSMTP smtp;
        setUp(smtp, peer);
        QVERIFY(smtp.Connect());
        QVERIFY(smtp.LoginReady());
        QCOMPARE(smtp.Login("user", "p\xC3\xA4ss"), result);
        QCOMPARE(peer.commands().size(), commandsSent);
        QVERIFY2(peer.mismatches().isEmpty(), qPrintable(peer.mismatches().join('\n')));
    }

    void loginNeedsReadySession()
    {
        ScriptedSmtpServer peer;
        plainSession(peer);
        QVERIFY(peer.listen());
        TSMTP smtp;
        setUp(smtp, peer);
        QVERIFY(!smtp.Login("user", "pass")); // not connected
        QVERIFY(smtp.Connect());
        QVERIFY(!smtp.LoginReady());
        QVERIFY(!smtp.Login("user", "pass"));
        QCOMPARE(peer.commands().size(), 3);
    }

    // A numeric host is connected to directly; anything else is handed to the socket as
    // a name to look up (a final dot leaves an empty last piece: a name).
    void numericAndNamedHosts_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("numeric");
        QTest::addColumn<bool>("mustConnect");
        QTest::newRow("four numbers") << QStringLiteral("127.0.0.1") << true << true;
        QTest::newRow("name") << QStringLiteral("localhost") << false << true;
        QTest::newRow("final dot") << QStringLiteral("127.0.0.1.") << false << false;
        QTest::newRow("letters in a piece") << QStringLiteral("127.0.0.x1") << false << false;
    }
    void numericAndNamedHosts()
    {
        QFETCH(QString, host);
        QFETCH(bool, numeric);
        QFETCH(bool, mustConnect);
        ScriptedSmtpServer peer;
        plainSession(peer);
        QVERIFY(peer.listen());
        TSMTP smtp;
        setUp(smtp, peer);
        smtp.Host = host.toStdString();
        const bool connected = smtp.Connect();
        if (mustConnect)
            QVERIFY(connected);
        QCOMPARE(smtp.Talk()->Address(), numeric ? host : QString());
        QCOMPARE(smtp.Talk()->Host(), numeric ? QString() : host);
    }

    void connectPreconditions()
    {
        TSMTP smtp;
        QVERIFY(!smtp.Connect()); // no host
        smtp.Host = "127.0.0.1";
        smtp.Port = 70000;
        QVERIFY(!smtp.Connect());
        QVERIFY(!smtp.Talk()->Active());
    }

    // Two RCPT commands in case-blind order, the first spelling kept; the case-only
    // duplicate is dropped.
    void recipientsSortedWithoutDuplicates()
    {
        ScriptedSmtpServer peer;
        plainSession(peer).expect("MAIL FROM: <me@vellorn.test>").reply("250 ok\r\n")
            .expect("RCPT TO: <a@x.org>").reply("250 ok\r\n").expect("RCPT TO: <Bob@x.org>").reply("250 ok\r\n")
            .expect("DATA").reply("554 no data today\r\n");
        QVERIFY(peer.listen());
        TSMTP smtp;
        setUp(smtp, peer);
        TMailMessage message;
        fillMessage(message);
        smtp.MailMessage = &message;
        QVERIFY(smtp.Connect());
        QVERIFY(!smtp.SendMailTo("me@vellorn.test", "Bob@x.org, a@x.org BOB@X.ORG"));
        QVERIFY(peer.finished());
        QVERIFY2(peer.mismatches().isEmpty(), qPrintable(peer.mismatches().join('\n')));
        QVERIFY(smtp.Connected()); // a refused command leaves the session open
    }

    // Replies cut into pieces at unlucky places are judged whole: digits inside a line
    // are no refusal, and a multi-line refusal is judged at its last line, so that no
    // tail is taken as the next command's answer.
    void repliesInPieces_data()
    {
        QTest::addColumn<QList<QByteArray>>("ehloReply");
        QTest::addColumn<QList<QByteArray>>("commands");
        QTest::addColumn<bool>("loginReady");
        QTest::newRow("digits inside a line")
            << QList<QByteArray>{"250-vm\r\n250-SIZE ", "52428800\r\n", "250 AUTH LOGIN\r\n"}
            << QList<QByteArray>{helo(), "AUTH LOGIN"} << true;
        QTest::newRow("multi-line refusal")
            << QList<QByteArray>{"502-EHLO not\r\n", "502 supported\r\n"}
            << QList<QByteArray>{helo(), "HELO vellorn.test"} << false;
    }
    void repliesInPieces()
    {
        QFETCH(QList<QByteArray>, ehloReply);
        QFETCH(QList<QByteArray>, commands);
        QFETCH(bool, loginReady);
        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").expect(helo());
        for (const QByteArray &piece : ehloReply)
            peer.reply(piece, 100);
        peer.expect(commands.at(1)).reply(loginReady ? "334 VXNlcm5hbWU6\r\n" : "250 hello\r\n");
        QVERIFY(peer.listen());
        TSMTP smtp;
        setUp(smtp, peer);
        QVERIFY(smtp.Connect());
        QCOMPARE(smtp.LoginReady(), loginReady);
        QCOMPARE(peer.commands(), commands);
        QVERIFY2(peer.mismatches().isEmpty(), qPrintable(peer.mismatches().join('\n')));
    }

    // A refused RCPT ends the send: no further RCPT, no DATA, headers untouched. The
    // refusal (5xx) ends the wait as soon as its last line is in, long before the time-out.
    void refusedRecipientLeavesTheMessage()
    {
        ScriptedSmtpServer peer;
        plainSession(peer).expect("MAIL FROM: <me@vellorn.test>").reply("250 ok\r\n")
            .expect("RCPT TO: <a@x.org>").reply("550-no such user\r\n").reply("550 really\r\n", 200);
        QVERIFY(peer.listen());
        TSMTP smtp;
        setUp(smtp, peer, 30);
        TMailMessage message;
        fillMessage(message);
        const std::vector<std::string> before = message.Headers;
        smtp.MailMessage = &message;
        QVERIFY(smtp.Connect());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!smtp.SendMailTo("me@vellorn.test", "a@x.org,b@x.org"));
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(message.Headers, before);
        QCOMPARE(smtp.LastReply(), std::string("550-no such user\r\n550 really\r\n"));
        QTest::qWait(100);
        QCOMPARE(peer.commands().size(), 5);
    }

    // The whole transfer: Message-ID set, "Bcc" out of the transmitted text and back
    // afterwards, text made transparent, progress from 0 only above PacketSize.
    void dataTransfer_data()
    {
        QTest::addColumn<int>("packetSize");
        QTest::addColumn<bool>("progressFromZero");
        QTest::newRow("text shorter than a piece") << (1 << 20) << false;
        QTest::newRow("text in pieces") << 16 << true;
    }
    void dataTransfer()
    {
        QFETCH(int, packetSize);
        QFETCH(bool, progressFromZero);
        ScriptedSmtpServer peer;
        plainSession(peer).expect("MAIL FROM: <me@vellorn.test>").reply("250 ok\r\n")
            .expect("RCPT TO: <b@x.org>").reply("250 ok\r\n").expect("DATA").reply("354 go\r\n")
            .expectData().reply("250 queued\r\n");
        QVERIFY(peer.listen());
        TSMTP smtp;
        setUp(smtp, peer);
        TMailMessage message;
        fillMessage(message, ".dot\r\nline\n.\r\nend");
        smtp.MailMessage = &message;
        smtp.PacketSize = packetSize;
        std::vector<std::int64_t> currents;
        std::int64_t reportedTotal = 0;
        QObject *reportedSender = nullptr;
        smtp.SetOnProgress([&](QObject *sender, std::int64_t total, std::int64_t current) {
            reportedSender = sender;
            reportedTotal = total;
            currents.push_back(current);
        });
        QVERIFY(smtp.Connect());
        QVERIFY(smtp.SendMailTo("me@vellorn.test", "b@x.org"));
        QCOMPARE(!currents.empty() && currents.front() == 0, progressFromZero);
        QCOMPARE(peer.dataBlocks().size(), 1);
        const QByteArray sent = peer.dataBlocks().front();
        if (progressFromZero) {
            QCOMPARE(reportedSender, &smtp);
            QCOMPARE(reportedTotal, std::int64_t(sent.size()));
            QCOMPARE(currents.back(), reportedTotal);
        }
        QVERIFY(!sent.contains("Bcc:"));
        QVERIFY(sent.contains("Message-ID: <"));
        QVERIFY(sent.endsWith("\r\n..dot\r\nline\r\n..\r\nend\r\n.\r\n"));
        QVERIFY(message.HasHeader("Bcc"));
        // Named after the sender's domain, not the connection's local address.
        QVERIFY(message.HeaderValue("Message-ID").ends_with("@vellorn.test>"));
        QVERIFY(smtp.Quit());
        QTRY_COMPARE(peer.commands().size(), 7);
        QCOMPARE(peer.commands().back(), QByteArray("QUIT"));
        QVERIFY(!smtp.Connected());
    }

    // The server stops the transfer while a long text is still being sent: it refuses,
    // answers "250" before the end (an answer to nothing), or closes. The send fails at
    // once, never succeeds, and the session, out of step with the server, is closed.
    void failureWhileDataIsSent_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("fromParts");
        QTest::newRow("refusal") << QByteArray("552 too much\r\n") << false << false;
        QTest::newRow("early 250") << QByteArray("250 ok\r\n") << false << false;
        QTest::newRow("server closes") << QByteArray() << true << false;
        QTest::newRow("refusal, written from the parts") << QByteArray("552 too much\r\n") << false << true;
        QTest::newRow("server closes, written from the parts") << QByteArray() << true << true;
    }
    void failureWhileDataIsSent()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, closes);
        QFETCH(bool, fromParts);
        ScriptedSmtpServer peer;
        // The peer stops reading, so the text cannot all be out before the answer comes.
        plainSession(peer).expect("MAIL FROM: <me@vellorn.test>").reply("250 ok\r\n").expect().reply("250 ok\r\n")
            .expect("DATA").reply("354 go\r\n").stopReading();
        if (closes)
            peer.close(100);
        else
            peer.reply(answer, 100);
        QVERIFY(peer.listen());
        TSMTP smtp;
        setUp(smtp, peer, 30);
        TMailMessage message;
        fillMessage(message, fromParts ? std::string() : std::string(64 * 1024 * 1024, 'x'));
        if (fromParts) {
            // The same text as an attachment's body, written from the tree as it goes.
            message.SetPlainText("Hello\r\n");
            message.AttachStream("x", "big.bin");
            message.Attachments[0]->EncodedBody = std::string(64 * 1024 * 1024, 'x');
            smtp.RebuildWhileSending = true;
        }
        smtp.MailMessage = &message;
        smtp.PacketSize = 256 * 1024;
        QVERIFY(smtp.Connect());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!smtp.SendMailTo("me@vellorn.test", "b@x.org"));
        QVERIFY(clock.elapsed() < 20000); // not the 30 s of a stalled peer
        QVERIFY(!smtp.Talk()->SentWhole());
        QVERIFY(!smtp.Connected());
        QVERIFY(!smtp.Talk()->Active());
        if (!closes)
            QCOMPARE(QByteArray::fromStdString(smtp.LastReply()), answer);
        QVERIFY(message.HasHeader("Bcc"));
        QCOMPARE(message.NeedRebuild, fromParts);
        QVERIFY(!message.HasHeader("Content-Length"));
    }

    // Every "Bcc" line leaves the transmitted text, not only the first.
    void everyBccLineRemoved()
    {
        ScriptedSmtpServer peer;
        plainSession(peer).expect().reply("250 ok\r\n").expect().reply("250 ok\r\n").expect("DATA")
            .reply("354 go\r\n").expectData().reply("250 queued\r\n");
        QVERIFY(peer.listen());
        TSMTP smtp;
        setUp(smtp, peer);
        TMailMessage message;
        fillMessage(message);
        message.Headers.push_back("BCC: <second@x.org>");
        const std::vector<std::string> before = message.Headers;
        smtp.MailMessage = &message;
        QVERIFY(smtp.Connect());
        QVERIFY(smtp.SendMailTo("me@vellorn.test", "b@x.org"));
        QVERIFY(!peer.dataBlocks().value(0).toLower().contains("bcc:"));
        QCOMPARE(message.Headers.size(), before.size() + 1); // plus Message-ID
        QVERIFY(message.HasHeader("Bcc"));
    }

    // Closing the connection, by the client (the send dialog's Cancel) or by the
    // server, ends a waiting operation with false and closes the session.
    void closingDuringWait_data()
    {
        QTest::addColumn<bool>("serverCloses");
        QTest::newRow("Disconnect") << false;
        QTest::newRow("server closes") << true;
    }
    void closingDuringWait()
    {
        QFETCH(bool, serverCloses);
        ScriptedSmtpServer peer;
        plainSession(peer).expect("MAIL FROM: <me@vellorn.test>");
        if (serverCloses)
            peer.close(100);
        QVERIFY(peer.listen());
        TSMTP smtp;
        setUp(smtp, peer, 30);
        TMailMessage message;
        fillMessage(message);
        smtp.MailMessage = &message;
        QVERIFY(smtp.Connect());
        if (!serverCloses)
            QTimer::singleShot(100, &smtp, [&smtp] { smtp.Disconnect(); });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!smtp.SendMailTo("me@vellorn.test", "b@x.org"));
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(!smtp.Connected());
        QVERIFY(!smtp.Talk()->Active());
        QVERIFY(!smtp.Quit());
    }

    // Preconditions raise before anything is sent; the message text is the component's.
    void preconditionErrors_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("error");
        QTest::newRow("no message") << 0 << QStringLiteral("FSMTP: MailMessage unassigned");
        QTest::newRow("needs rebuild") << 1 << QStringLiteral("FSMTP: MailMessage need rebuild");
        QTest::newRow("no recipients") << 2 << QStringLiteral("FSMTP: No recipients to send message");
        QTest::newRow("CR LF in the sender") << 3 << QStringLiteral("FSMTP: Invalid address");
        QTest::newRow("CR LF in a quoted recipient") << 4 << QStringLiteral("FSMTP: Invalid address");
        QTest::newRow("NUL in a recipient") << 5 << QStringLiteral("FSMTP: Invalid address");
        QTest::newRow("LF in the user name") << 6 << QStringLiteral("FSMTP: Invalid login text");
        QTest::newRow("CR in the password") << 7 << QStringLiteral("FSMTP: Invalid login text");
    }
    void preconditionErrors()
    {
        QFETCH(int, kind);
        QFETCH(QString, error);
        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").expect(helo()).reply("250 ok\r\n").expect("AUTH LOGIN").reply("334 x\r\n");
        QVERIFY(peer.listen());
        TSMTP smtp;
        smtp.Name = "FSMTP";
        setUp(smtp, peer);
        TMailMessage message;
        fillMessage(message);
        smtp.MailMessage = kind == 0 ? nullptr : &message;
        message.NeedRebuild = kind == 1;
        QVERIFY(smtp.Connect());
        const std::string nul("a@x\0b", 5);
        const QString got = errorOf([&] {
            switch (kind) {
            case 0: smtp.SendMail(); break;
            case 1: smtp.SendMailTo("me@x", "a@x"); break;
            case 2: smtp.SendMailTo("me@x", " , ,, "); break;
            case 3: smtp.SendMailTo("me@x>\r\nRCPT TO: <evil@x", "a@x"); break;
            case 4: smtp.SendMailTo("me@x", "a@x, \"b@x>\r\nRCPT TO: <evil@x\""); break;
            case 5: smtp.SendMailTo("me@x", nul); break;
            case 6: smtp.Login("user\nNOOP", "pass"); break;
            case 7: smtp.Login("user", "pass\rNOOP"); break;
            }
        });
        QCOMPARE(got, error);
        QTest::qWait(50);
        QCOMPARE(peer.commands().size(), 2);
    }

    void localNameWithLineBreakIsRefused()
    {
        ScriptedSmtpServer peer;
        plainSession(peer);
        QVERIFY(peer.listen());
        TSMTP smtp;
        setUp(smtp, peer);
        smtp.LocalName = "host\r\nMAIL FROM: <x>";
        QCOMPARE(errorOf([&] { smtp.Connect(); }), QStringLiteral("SMTP1: Invalid address"));
        QTest::qWait(50);
        QCOMPARE(peer.connectionCount(), 0);
    }

    // Items split at commas and blanks, quoted items whole, case-blind order, the first
    // spelling of a duplicate kept, empty items dropped.
    void splitRecipients_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QList<QByteArray>>("addresses");
        QTest::newRow("case-only duplicate") << QByteArray("b@x, A@x, B@X") << QList<QByteArray>{"A@x", "b@x"};
        QTest::newRow("blanks separate") << QByteArray(" c@x\td@x\r\ne@x ") << QList<QByteArray>{"c@x", "d@x", "e@x"};
        QTest::newRow("quoted whole") << QByteArray("\"a b@x\",c@x") << QList<QByteArray>{"a b@x", "c@x"};
        QTest::newRow("doubled quote") << QByteArray("\"q\"\"uote@x\"") << QList<QByteArray>{"q\"uote@x"};
        QTest::newRow("empty items") << QByteArray(",, ,a@x,,") << QList<QByteArray>{"a@x"};
        QTest::newRow("unclosed quote") << QByteArray("\"open@x") << QList<QByteArray>{"open@x"};
        QTest::newRow("nothing") << QByteArray("") << QList<QByteArray>{};
    }
    void splitRecipients()
    {
        QFETCH(QByteArray, list);
        QFETCH(QList<QByteArray>, addresses);
        QList<QByteArray> got;
        for (const std::string &a : TSMTP::SplitRecipients(list.toStdString()))
            got.append(QByteArray::fromStdString(a));
        QCOMPARE(got, addresses);
    }

    // CR LF only on the wire, every line start dot-stuffed (the first too), and exactly
    // one CR LF "." CR LF at the end.
    void transparentText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("empty") << QByteArray("") << QByteArray("\r\n.\r\n");
        QTest::newRow("no final line break") << QByteArray("a") << QByteArray("a\r\n.\r\n");
        QTest::newRow("final CR LF") << QByteArray("a\r\n") << QByteArray("a\r\n.\r\n");
        QTest::newRow("dots") << QByteArray(".a\r\n.\r\nb.\r\n..") << QByteArray("..a\r\n..\r\nb.\r\n...\r\n.\r\n");
        QTest::newRow("bare LF and CR") << QByteArray("a\nb\rc\n") << QByteArray("a\r\nb\r\nc\r\n.\r\n");
        QTest::newRow("bare LF dot (smuggling)") << QByteArray("a\n.\nMAIL FROM:<x>\n")
                                                 << QByteArray("a\r\n..\r\nMAIL FROM:<x>\r\n.\r\n");
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\n") << QByteArray("a\r\n\r\n.\r\n");
        QTest::newRow("LF CR") << QByteArray("a\n\r.") << QByteArray("a\r\n\r\n..\r\n.\r\n");
        QTest::newRow("NUL kept") << QByteArray("a\0b", 3) << QByteArray("a\0b\r\n.\r\n", 8);
    }
    void transparentText()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, wire);
        QCOMPARE(QByteArray::fromStdString(TSMTP::TransparentText(text.toStdString())), wire);
    }

    // The same text split in two at every place (a CR LF or a line-starting dot across
    // the split) and read in pieces of a few bytes (a CR LF or ".." across two pieces).
    void transparentTextInPieces_data() { transparentText_data(); }
    void transparentTextInPieces()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, wire);
        const std::string_view whole(text.constData(), static_cast<std::size_t>(text.size()));
        for (std::size_t split = 0; split <= whole.size(); ++split) {
            for (const std::size_t room : {1, 2, 3, 64}) {
                TransparentStream stream({whole.substr(0, split), whole.substr(split)});
                QCOMPARE(stream.size(), static_cast<std::size_t>(wire.size()));
                QByteArray out;
                for (std::string_view piece = stream.next(room); !piece.empty(); piece = stream.next(room)) {
                    QVERIFY(piece.size() <= room);
                    out.append(piece.data(), static_cast<qsizetype>(piece.size()));
                }
                QVERIFY2(out == wire, qPrintable(QStringLiteral("split %1, room %2").arg(split).arg(room)));

            }
        }
    }

    // A piece read through a source (lines kept in the store) gives the text the bytes
    // themselves give, counted without reading them; bytes that would need a change raise.
    void sourcedPiece_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("sourced");
        QTest::addColumn<bool>("good");
        const QByteArray lines = QByteArray("QUJD\r\n").repeated(300000) + "QQ==\r\n";
        QTest::newRow("after a blank line") << QByteArray("H: x\r\n\r\n") << lines << true;
        QTest::newRow("after a dot line") << QByteArray("a\r\n.\r\n") << lines << true;
        QTest::newRow("empty") << QByteArray("a\r\n") << QByteArray() << true;
        QTest::newRow("lone LF") << QByteArray("a\r\n") << lines + "x\ny\r\n" << false;
        QTest::newRow("line starting with a dot") << QByteArray("a\r\n") << lines + ".x\r\n" << false;
        QTest::newRow("no break at the end") << QByteArray("a\r\n") << lines + "QQ==" << false;
    }
    void sourcedPiece()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, sourced);
        QFETCH(bool, good);
        const std::string whole = (before + sourced + "--b--\r\n").toStdString();
        const std::string wire = TSMTP::TransparentText(whole);
        TransparentStream::Source source;
        source.length = sourced.size();
        source.read = [&sourced](std::int64_t at, char *to, std::size_t count) {
            std::memcpy(to, sourced.constData() + at, count);
        };
        const std::string head = before.toStdString();
        TransparentStream stream({head, "stands for it\r\n", "--b--\r\n"}, {{}, source, {}});
        std::string out;
        const auto readAll = [&] {
            for (std::string_view piece = stream.next(65536); !piece.empty(); piece = stream.next(65536))
                out += piece;
        };
        if (!good) {
            QVERIFY_THROWS_EXCEPTION(AppError, readAll());
            return;
        }
        QCOMPARE(stream.size(), wire.size());
        readAll();
        QVERIFY(out == wire);
    }

    // A server's size refusal names both sizes: a mail over the SIZE of EHLO never gets
    // to DATA; a 552 after the text is the same refusal, with the limit unknown.
    void sizeRefusal_data()
    {
        QTest::addColumn<QByteArray>("ehlo");
        QTest::addColumn<bool>("sendsData");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("SIZE smaller than the mail") << QByteArray("250-hi\r\n250 SIZE 1048576\r\n") << false
                                                    << "The server refuses mails over 1 MB; this mail is 1.5 MB";
        QTest::newRow("552 after the text") << QByteArray("250 hi\r\n") << true
                                            << "The server refuses mails of this size; this mail is 1.5 MB";
    }
    void sizeRefusal()
    {
        QFETCH(QByteArray, ehlo);
        QFETCH(bool, sendsData);
        QFETCH(QString, refusal);
        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").expect(helo()).reply(ehlo).expect("AUTH LOGIN").reply("502 no\r\n").expect("NOOP")
            .reply("250 ok\r\n").expect("MAIL FROM: <me@vellorn.test>").reply("250 ok\r\n")
            .expect("RCPT TO: <b@x.org>").reply("250 ok\r\n").expect("RCPT TO: <hidden@x.org>").reply("250 ok\r\n");
        if (sendsData)
            peer.expect("DATA").reply("354 go\r\n").expectData().reply("552 5.3.4 Message too big\r\n");
        QVERIFY(peer.listen());
        TSMTP smtp;
        setUp(smtp, peer, 30);
        TMailMessage message;
        // 1.5 MB of text, the header block included.
        fillMessage(message, std::string(1024 * 1024 + 512 * 1024 - 200, 'a') + "\r\n");
        smtp.MailMessage = &message;
        QVERIFY(smtp.Connect());
        QCOMPARE(smtp.SizeLimit(), sendsData ? 0 : 1048576);
        QVERIFY(!smtp.SendMailTo("me@vellorn.test", "b@x.org,hidden@x.org"));
        QCOMPARE(QString::fromStdString(smtp.SizeRefusal()), refusal);
        QTest::qWait(100);
        QCOMPARE(peer.commands().contains("DATA"), sendsData);
        QVERIFY2(peer.mismatches().isEmpty(), qPrintable(peer.mismatches().join('\n')));
    }

    void sizeRefusalText_data()
    {
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("text");
        const qint64 mb = 1024 * 1024;
        QTest::newRow("whole") << 25 * mb << 40 * mb << "The server refuses mails over 25 MB; this mail is 40 MB";
        // The limit rounds down and the size up: a mail over the limit never reads as it.
        QTest::newRow("just over") << 10 * mb << 10 * mb + 1 << "The server refuses mails over 10 MB; this mail is 10.1 MB";
        QTest::newRow("fractions") << qint64(150000) << 1395 * mb / 1000
                                   << "The server refuses mails over 0.1 MB; this mail is 1.4 MB";
    }
    void sizeRefusalText()
    {
        QFETCH(qint64, limit);
        QFETCH(qint64, size);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(TSMTP::SizeRefusalText(limit, size)), text);
    }
};

QTEST_GUILESS_MAIN(TestSmtpSession)
#include "tst_smtpsession.moc"
