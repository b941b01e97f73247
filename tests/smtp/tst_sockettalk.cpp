#include "smtp/TSocketTalk.h"
#include "tests/support/ScriptedSmtpServer.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <utility>
#include <vector>

// The command/reply conversation against a scripted peer: completeness, time-outs,
// closing, piecewise sending, and hostile peers.
class TestSocketTalk : public QObject
{
    Q_OBJECT

    struct Recorder
    {
        std::vector<std::string> data;
        std::vector<std::string> replies;
        std::vector<TTalkError> errors;
        int disconnects = 0;
        std::vector<std::pair<std::int64_t, std::int64_t>> progress;
    };

    // A talk whose owner accepts replies that begin with `accept` (empty: any reply).
    void wire(TSocketTalk &talk, Recorder &rec, const std::string &accept = "250")
    {
        talk.OnData = [&rec](TSocketTalk *, std::uint8_t, bool &, const std::string &data) { rec.data.push_back(data); };
        talk.OnReply = [&rec, accept](TSocketTalk *, std::uint8_t id, bool &ok, const std::string &reply) {
            rec.replies.push_back(reply);
            // The greeting (1) is accepted by "220", everything else by `accept`.
            if (id != 0 && (reply.starts_with(accept) || (id == 1 && reply.starts_with("220"))))
                ok = true;
        };
        talk.OnError = [&rec](TSocketTalk *sender, std::uint8_t, TTalkError kind) {
            rec.errors.push_back(kind);
            sender->Reset();
        };
        talk.OnDisconnect = [&rec](TSocketTalk *) { ++rec.disconnects; };
        talk.OnProgress = [&rec](QObject *, std::int64_t total, std::int64_t current) { rec.progress.emplace_back(total, current); };
    }

    // Connects and awaits the greeting (any first data completes it).
    bool open(TSocketTalk &talk, const ScriptedSmtpServer &peer)
    {
        talk.SetAddress(QStringLiteral("127.0.0.1"));
        talk.SetPort(peer.port());
        talk.StartWait(1);
        talk.Open();
        talk.WaitReply();
        return talk.ReplyOk;
    }

private slots:
    void emptyTerminatorTakesFirstData()
    {
        ScriptedSmtpServer peer;
        peer.reply("22").reply("0 hello\r\n", 300);
        QVERIFY(peer.listen());
        TSocketTalk talk;
        Recorder rec;
        wire(talk, rec, "22");
        QVERIFY(open(talk, peer));
        QCOMPARE(talk.Reply, std::string("22"));
        QCOMPARE(rec.replies.size(), size_t(1));
        QVERIFY(!talk.Waiting);
        QCOMPARE(talk.CommandId, std::uint8_t(0));
    }

    // Three pieces 600 ms apart with a 1 s time-out: the clock counts silence, not the
    // whole exchange, and the reply is judged once, on the whole text.
    void piecesRestartTheTimeOut()
    {
        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").expect("NOOP").reply("25").reply("0 o", 600).reply("k\r\n", 600);
        QVERIFY(peer.listen());
        TSocketTalk talk;
        talk.TimeOut = 1;
        Recorder rec;
        wire(talk, rec);
        QVERIFY(open(talk, peer));
        rec = {};
        QElapsedTimer clock;
        clock.start();
        talk.SendCommand("NOOP\r\n", "\r\n", 16);
        talk.WaitReply();
        QVERIFY(talk.ReplyOk);
        QVERIFY(clock.elapsed() >= 1100);
        QCOMPARE(rec.data.size(), size_t(3));
        QCOMPARE(rec.replies, std::vector<std::string>{"250 ok\r\n"});
        QVERIFY(rec.errors.empty());
        QCOMPARE(talk.Reply, std::string("250 ok\r\n"));
    }

    void silenceIsATimeOut()
    {
        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").expect("NOOP");
        QVERIFY(peer.listen());
        TSocketTalk talk;
        talk.TimeOut = 1;
        Recorder rec;
        wire(talk, rec, "2");
        QVERIFY(open(talk, peer));
        rec = {};
        QElapsedTimer clock;
        clock.start();
        talk.SendCommand("NOOP\r\n", "\r\n", 16);
        talk.WaitReply();
        QVERIFY(!talk.ReplyOk);
        QVERIFY(!talk.Waiting);
        QVERIFY(clock.elapsed() >= 900);
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(rec.errors, std::vector<TTalkError>{TTalkError::teTimeOut});
    }

    // A text exactly PacketSize long goes whole without progress; longer texts go in
    // pieces: (L, 0), one event per piece, and (L, L) once more at the end.
    void piecewiseProgress_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("packetSize");
        QTest::addColumn<QList<int>>("currents");
        QTest::newRow("exactly one piece") << 1000 << 1000 << QList<int>{};
        QTest::newRow("one byte more") << 1001 << 1000 << QList<int>{0, 1000, 1001, 1001};
        QTest::newRow("three pieces") << 2500 << 1000 << QList<int>{0, 1000, 2000, 2500, 2500};
        QTest::newRow("no packet size") << 5000 << 0 << QList<int>{};
    }
    void piecewiseProgress()
    {
        QFETCH(int, length);
        QFETCH(int, packetSize);
        QFETCH(QList<int>, currents);
        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").expectData().reply("250 ok\r\n");
        QVERIFY(peer.listen());
        TSocketTalk talk;
        Recorder rec;
        wire(talk, rec);
        QVERIFY(open(talk, peer));
        std::string text(static_cast<size_t>(length) - 5, 'x');
        for (size_t i = 0; i < text.size(); i += 7)
            text[i] = static_cast<char>('a' + i % 26);
        text += "\r\n.\r\n";
        talk.PacketSize = packetSize;
        talk.SendCommand(text, "\r\n", 18);
        QCOMPARE(talk.PacketSize, 0);
        talk.WaitReply();
        QVERIFY(talk.ReplyOk);
        QList<int> got;
        for (const auto &[total, current] : rec.progress) {
            QCOMPARE(total, std::int64_t(length));
            got.append(int(current));
        }
        QCOMPARE(got, currents);
        QCOMPARE(peer.dataBlocks(), QList<QByteArray>{QByteArray::fromStdString(text)});
    }

    // The owner closes the socket inside the wait (a Cancel button): the wait ends at
    // once, refused; the server closing ends it the same way.
    void closingEndsTheWait_data()
    {
        QTest::addColumn<bool>("serverCloses");
        QTest::newRow("client aborts") << false;
        QTest::newRow("server closes") << true;
    }
    void closingEndsTheWait()
    {
        QFETCH(bool, serverCloses);
        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").expect("NOOP");
        if (serverCloses)
            peer.close(100);
        QVERIFY(peer.listen());
        TSocketTalk talk;
        talk.TimeOut = 30;
        Recorder rec;
        wire(talk, rec);
        QVERIFY(open(talk, peer));
        talk.SendCommand("NOOP\r\n", "\r\n", 16);
        if (!serverCloses)
            QTimer::singleShot(100, &talk, [&talk] { talk.Abort(); });
        QElapsedTimer clock;
        clock.start();
        talk.WaitReply();
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(!talk.ReplyOk);
        QVERIFY(!talk.Waiting);
        QCOMPARE(rec.disconnects, 1);
        QCOMPARE(talk.CommandId, std::uint8_t(0));
        QVERIFY(!talk.Active());
    }

    // A reply accepted just before the server closes keeps its verdict.
    void acceptedReplySurvivesTheClose()
    {
        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").expect("QUIT").reply("250 bye\r\n").close();
        QVERIFY(peer.listen());
        TSocketTalk talk;
        Recorder rec;
        wire(talk, rec);
        QVERIFY(open(talk, peer));
        talk.SendCommand("QUIT\r\n", "\r\n", 19);
        talk.WaitReply();
        QVERIFY(talk.ReplyOk);
        QTRY_COMPARE(rec.disconnects, 1);
        QVERIFY(talk.ReplyOk);
        QVERIFY(rec.errors.empty());
    }

    // A command for a connection the server has closed fails at once as a send error
    // instead of waiting for the time-out.
    void sendOnClosedConnection()
    {
        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").close();
        QVERIFY(peer.listen());
        TSocketTalk talk;
        talk.TimeOut = 30;
        Recorder rec;
        wire(talk, rec);
        QVERIFY(open(talk, peer));
        QTRY_COMPARE(rec.disconnects, 1);
        QElapsedTimer clock;
        clock.start();
        talk.SendCommand("NOOP\r\n", "\r\n", 16);
        talk.WaitReply();
        QVERIFY(clock.elapsed() < 1000);
        QVERIFY(!talk.ReplyOk);
        QCOMPARE(rec.errors, std::vector<TTalkError>{TTalkError::teSend});
    }

    // Cancelled, set while the first piece is being sent, stops before the next one;
    // what was handed over stays sent.
    void cancelStopsBeforeTheNextPiece()
    {
        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n");
        QVERIFY(peer.listen());
        TSocketTalk talk;
        talk.TimeOut = 1;
        Recorder rec;
        wire(talk, rec);
        QVERIFY(open(talk, peer));
        talk.OnProgress = [&](QObject *, std::int64_t total, std::int64_t current) {
            rec.progress.emplace_back(total, current);
            if (current > 0)
                talk.Cancelled = true;
        };
        talk.PacketSize = 4096;
        talk.SendCommand(std::string(40960, 'z'), "\r\n", 18);
        QVERIFY(talk.Cancelled);
        QCOMPARE(rec.progress, (std::vector<std::pair<std::int64_t, std::int64_t>>{{40960, 0}, {40960, 4096}}));
        QCOMPARE(talk.PacketSize, 0);
        QTRY_COMPARE(peer.bytesReceived(), qint64(4096));
        QTest::qWait(100);
        QCOMPARE(peer.bytesReceived(), qint64(4096));
    }

    // A server that talks without ever completing its reply: the wait ends as refused
    // once more than 1 MB has arrived, and Reply keeps the first megabyte.
    void endlessReplyIsRefused()
    {
        QByteArray flood(3 * 1024 * 1024, 'y');
        flood.replace(0, 4, "999 ");
        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").expect("NOOP").reply(flood);
        QVERIFY(peer.listen());
        TSocketTalk talk;
        talk.TimeOut = 10;
        Recorder rec;
        wire(talk, rec, "");
        QVERIFY(open(talk, peer));
        talk.SendCommand("NOOP\r\n", "\r\n", 16);
        talk.WaitReply();
        QVERIFY(!talk.ReplyOk);
        QCOMPARE(rec.errors, std::vector<TTalkError>{TTalkError::teReceive});
        QCOMPARE(talk.Reply.size(), TSocketTalk::MaxReplySize);
        QVERIFY(talk.Reply.starts_with("999 yyy"));
        // What still arrives is not kept.
        QTest::qWait(200);
        QCOMPARE(talk.Reply.size(), TSocketTalk::MaxReplySize);
    }

    // Failed connections are reported through OnError with the socket's kind.
    void connectionFailures_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("numeric");
        QTest::addColumn<int>("kind");
        QTest::newRow("refused") << QStringLiteral("127.0.0.1") << true << int(TTalkError::teConnect);
        QTest::newRow("unknown name") << QStringLiteral("no-such-host.invalid") << false << int(TTalkError::teLookup);
    }
    void connectionFailures()
    {
        QFETCH(QString, host);
        QFETCH(bool, numeric);
        QFETCH(int, kind);
        quint16 freePort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            freePort = probe.serverPort();
        }
        TSocketTalk talk;
        talk.TimeOut = 5;
        Recorder rec;
        wire(talk, rec);
        if (numeric)
            talk.SetAddress(host);
        else
            talk.SetHost(host);
        talk.SetPort(freePort);
        talk.StartWait(1);
        talk.Open();
        talk.WaitReply();
        QVERIFY(!talk.ReplyOk);
        QCOMPARE(rec.errors.size(), size_t(1));
        QCOMPARE(int(rec.errors.front()), kind);
        QCOMPARE(rec.disconnects, 0);
    }

    // A peer that stops reading without closing: the send gives up after TimeOut
    // seconds without progress instead of hanging, and the socket never holds more
    // than one piece unsent.
    void stalledPeerEndsTheSend()
    {
        ScriptedSmtpServer peer;
        peer.reply("220 hi\r\n").stopReading();
        QVERIFY(peer.listen());
        TSocketTalk talk;
        talk.TimeOut = 1;
        Recorder rec;
        wire(talk, rec);
        QVERIFY(open(talk, peer));
        const std::string text(64 * 1024 * 1024, 's');
        talk.PacketSize = 256 * 1024;
        QElapsedTimer clock;
        clock.start();
        talk.SendCommand(text, "\r\n", 18);
        talk.WaitReply();
        QVERIFY(clock.elapsed() < 30000);
        QVERIFY(!talk.ReplyOk);
        QCOMPARE(rec.errors, std::vector<TTalkError>{TTalkError::teTimeOut});
        QVERIFY(rec.progress.back().second < std::int64_t(text.size()));
        QVERIFY(talk.peakBuffered() <= 256 * 1024);
    }
};

QTEST_GUILESS_MAIN(TestSocketTalk)
#include "tst_sockettalk.moc"
