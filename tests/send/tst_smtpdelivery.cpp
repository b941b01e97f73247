#include "mail/TMailMessage.h"
#include "send/SmtpDelivery.h"
#include "smtp/TSMTP.h"
#include "tests/support/ScriptedSmtpServer.h"

#include <QTcpServer>
#include <QTest>

// The one delivery path against a scripted server: which steps run, in which order, where
// a failure is placed, and what a cancel between steps does.
class TestSmtpDelivery : public QObject
{
    Q_OBJECT

    static void fillMessage(TMailMessage &message)
    {
        message.Headers = {"From: <me@vellorn.test>", "To: <b@x.org>", "Subject: t"};
        message.EncodedBody = "Hello\r\n";
        message.NeedRebuild = false;
    }

    static SmtpAccount account(quint16 port)
    {
        SmtpAccount a;
        a.host = "127.0.0.1";
        a.port = port;
        a.security = SmtpSecurity::None;
        a.user = "u";
        a.password = "p";
        a.timeOut = 2;
        return a;
    }

private slots:
    void steps_data()
    {
        QTest::addColumn<QByteArray>("ehlo");     // the EHLO reply; AUTH PLAIN in it offers a login
        QTest::addColumn<QByteArray>("auth");     // the reply to AUTH (PLAIN, or the LOGIN probe)
        QTest::addColumn<QByteArray>("mailFrom"); // the reply to MAIL FROM
        QTest::addColumn<bool>("delivered");
        QTest::addColumn<QString>("failed");
        QTest::addColumn<QStringList>("steps");

        const QByteArray withAuth = "250-hi\r\n250 AUTH PLAIN\r\n";
        QTest::newRow("login and send") << withAuth << QByteArray("235 ok\r\n") << QByteArray("250 ok\r\n") << true
                                        << QString() << QStringList{"+Connect", "Connect", "+Login", "Login", "+Send", "Send"};
        QTest::newRow("no login offered") << QByteArray("250 hi\r\n") << QByteArray("502 no\r\n") << QByteArray("250 ok\r\n")
                                          << true << QString() << QStringList{"+Connect", "Connect", "+Send", "Send"};
        QTest::newRow("login refused") << withAuth << QByteArray("535 no\r\n") << QByteArray() << false
                                       << QStringLiteral("Login") << QStringList{"+Connect", "Connect", "+Login"};
        QTest::newRow("sender refused") << withAuth << QByteArray("235 ok\r\n") << QByteArray("550 no\r\n") << false
                                        << QStringLiteral("Send")
                                        << QStringList{"+Connect", "Connect", "+Login", "Login", "+Send"};
    }

    void steps()
    {
        QFETCH(QByteArray, ehlo);
        QFETCH(QByteArray, auth);
        QFETCH(QByteArray, mailFrom);
        QFETCH(bool, delivered);
        QFETCH(QString, failed);
        QFETCH(QStringList, steps);

        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").expect().reply(ehlo).expect().reply(auth);
        if (!ehlo.contains("AUTH"))
            peer.expect("NOOP").reply("250 ok\r\n");
        if (!mailFrom.isEmpty()) {
            peer.expect().reply(mailFrom);
            if (mailFrom.startsWith("250"))
                peer.expect().reply("250 ok\r\n").expect("DATA").reply("354 go\r\n").expectData().reply("250 queued\r\n");
        }
        QVERIFY(peer.listen());

        TSMTP session;
        session.LocalName = "vellorn.test";
        SmtpDelivery delivery(session);
        delivery.setAccount(account(peer.port()));
        QStringList seen;
        delivery.stepStarting = [&](SmtpDelivery::Step step) { seen << QLatin1Char('+') + name(step); };
        delivery.stepDone = [&](SmtpDelivery::Step step) { seen << name(step); };
        TMailMessage message;
        fillMessage(message);

        QCOMPARE(delivery.deliver(message), delivered);
        QCOMPARE(seen, steps);
        QCOMPARE(delivery.failedStep() ? name(*delivery.failedStep()) : QString(), failed);
        QVERIFY2(peer.mismatches().isEmpty(), qPrintable(peer.mismatches().join(u'\n')));
        if (delivered)
            QCOMPARE(peer.dataBlocks().size(), 1);
        session.Disconnect();
    }

    void nobodyListening()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();

        TSMTP session;
        SmtpDelivery delivery(session);
        delivery.setAccount(account(port));
        int attempts = 0;
        delivery.connectAttempt = [&] { ++attempts; };
        TMailMessage message;
        fillMessage(message);
        QVERIFY(!delivery.deliver(message));
        QCOMPARE(delivery.failedStep(), std::optional(SmtpDelivery::Step::Connect));
        // No certificate was in question, so nothing was asked and no second attempt made.
        QCOMPARE(attempts, 1);
    }

    // A cancel between steps stops before the next one and is no failure; a mail the server
    // took is delivered whatever is asked afterwards.
    void cancel_data()
    {
        QTest::addColumn<QString>("cancelAt");
        QTest::addColumn<bool>("delivered");
        QTest::addColumn<int>("dataBlocks");
        QTest::newRow("after connecting") << QStringLiteral("Connect") << false << 0;
        QTest::newRow("after logging in") << QStringLiteral("Login") << false << 0;
        QTest::newRow("after sending") << QStringLiteral("Send") << true << 1;
    }

    void cancel()
    {
        QFETCH(QString, cancelAt);
        QFETCH(bool, delivered);
        QFETCH(int, dataBlocks);

        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").expect().reply("250-hi\r\n250 AUTH PLAIN\r\n").expect().reply("235 ok\r\n");
        if (cancelAt != QLatin1String("Connect") && cancelAt != QLatin1String("Login"))
            peer.expect().reply("250 ok\r\n").expect().reply("250 ok\r\n").expect("DATA").reply("354 go\r\n")
                .expectData().reply("250 queued\r\n");
        QVERIFY(peer.listen());

        TSMTP session;
        session.LocalName = "vellorn.test";
        SmtpDelivery delivery(session);
        delivery.setAccount(account(peer.port()));
        bool cancelled = false;
        delivery.isCancelled = [&] { return cancelled; };
        delivery.stepDone = [&](SmtpDelivery::Step step) { cancelled = cancelled || name(step) == cancelAt; };
        TMailMessage message;
        fillMessage(message);

        QCOMPARE(delivery.deliver(message), delivered);
        QVERIFY(!delivery.failedStep());
        QCOMPARE(peer.dataBlocks().size(), dataBlocks);
        session.Disconnect();
    }

private:
    static QString name(SmtpDelivery::Step step)
    {
        switch (step) {
        case SmtpDelivery::Step::Connect:
            return QStringLiteral("Connect");
        case SmtpDelivery::Step::Login:
            return QStringLiteral("Login");
        case SmtpDelivery::Step::Send:
            return QStringLiteral("Send");
        }
        return {};
    }
};

QTEST_GUILESS_MAIN(TestSmtpDelivery)
#include "tst_smtpdelivery.moc"
