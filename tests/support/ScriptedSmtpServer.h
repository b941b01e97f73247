#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class QTcpServer;
class QTcpSocket;

// An in-process peer for exact protocol tests: a QTcpServer on 127.0.0.1 (free port)
// that plays a script of replies and expected lines, step by step, on each connection.
//
//     ScriptedSmtpServer peer;
//     peer.reply("220 hi\r\n").expect("EHLO host").reply("250-a\r\n").reply("250 b\r\n", 300)
//         .expect("DATA").reply("354 go\r\n").expectData().reply("250 ok\r\n");
//     QVERIFY(peer.listen());
//     ... client talks to peer.port() ...
//     QCOMPARE(peer.commands(), ...);  QVERIFY2(peer.mismatches().isEmpty(), ...);
//
// Steps run in order: reply() writes bytes (after a delay in ms, counted from the end of
// the previous step), so a reply can be split into pieces; expect() waits for the next
// line from the client (CR LF removed) and records a mismatch when it differs (an empty
// expectation takes any line); expectData() takes the bytes up to and including the
// CR LF "." CR LF that ends a DATA block; close() closes the connection; stopReading()
// stops taking bytes from the connection (the client's sends stall once the buffers are
// full). Lines that arrive after the last step are recorded as commands too.
// The server runs on the event loop of the thread that made it: the client's waits
// (nested event loops) drive it.
class ScriptedSmtpServer : public QObject
{
    Q_OBJECT

public:
    explicit ScriptedSmtpServer(QObject *parent = nullptr);
    ~ScriptedSmtpServer() override;

    ScriptedSmtpServer &reply(const QByteArray &bytes, int delayMs = 0);
    ScriptedSmtpServer &expect(const QByteArray &line = {});
    ScriptedSmtpServer &expectData();
    ScriptedSmtpServer &close(int delayMs = 0);
    ScriptedSmtpServer &stopReading();
    ScriptedSmtpServer &pause(int delayMs);

    bool listen();
    quint16 port() const;

    // Every line the client sent outside DATA blocks, without CR LF, in order.
    QList<QByteArray> commands() const { return m_commands; }
    // Every DATA block as received (dot-stuffing and the final "." line included).
    QList<QByteArray> dataBlocks() const { return m_dataBlocks; }
    // Expectations that were not met, as readable text.
    QStringList mismatches() const { return m_mismatches; }
    // All steps of the script have run on the current (or last) connection.
    bool finished() const { return m_step >= m_script.size(); }
    int connectionCount() const { return m_connections; }
    // The client's connection closed (from either side).
    bool clientClosed() const { return m_clientClosed; }
    // Bytes received from the client in all.
    qint64 bytesReceived() const { return m_bytesReceived; }

private:
    struct Step
    {
        enum Kind { Reply, Expect, ExpectData, Close, StopReading, Pause } kind;
        QByteArray bytes;
        int delayMs = 0;
    };

    ScriptedSmtpServer &add(Step step);
    void onNewConnection();
    void onReadyRead();
    void advance();
    bool runStep(const Step &step);
    bool takeLine(QByteArray *line);
    void takeLeftoverLines();

    QTcpServer *m_server = nullptr;
    QPointer<QTcpSocket> m_client;
    QList<Step> m_script;
    qsizetype m_step = 0;
    bool m_delayDone = false;
    QTimer m_delay;
    bool m_reading = true;
    QByteArray m_buffer;
    QList<QByteArray> m_commands;
    QList<QByteArray> m_dataBlocks;
    QStringList m_mismatches;
    int m_connections = 0;
    bool m_clientClosed = false;
    qint64 m_bytesReceived = 0;
};
