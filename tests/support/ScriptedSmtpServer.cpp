#include "tests/support/ScriptedSmtpServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

ScriptedSmtpServer::ScriptedSmtpServer(QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    m_delay.setSingleShot(true);
    connect(&m_delay, &QTimer::timeout, this, [this] {
        m_delayDone = true;
        advance();
    });
    connect(m_server, &QTcpServer::newConnection, this, &ScriptedSmtpServer::onNewConnection);
}

ScriptedSmtpServer::~ScriptedSmtpServer()
{
    if (m_client)
        m_client->abort();
}

ScriptedSmtpServer &ScriptedSmtpServer::add(Step step)
{
    m_script.append(std::move(step));
    return *this;
}

ScriptedSmtpServer &ScriptedSmtpServer::reply(const QByteArray &bytes, int delayMs)
{
    return add({Step::Reply, bytes, delayMs});
}

ScriptedSmtpServer &ScriptedSmtpServer::expect(const QByteArray &line)
{
    return add({Step::Expect, line, 0});
}

ScriptedSmtpServer &ScriptedSmtpServer::expectData()
{
    return add({Step::ExpectData, {}, 0});
}

ScriptedSmtpServer &ScriptedSmtpServer::close(int delayMs)
{
    return add({Step::Close, {}, delayMs});
}

ScriptedSmtpServer &ScriptedSmtpServer::stopReading()
{
    return add({Step::StopReading, {}, 0});
}

ScriptedSmtpServer &ScriptedSmtpServer::pause(int delayMs)
{
    return add({Step::Pause, {}, delayMs});
}

bool ScriptedSmtpServer::listen()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

quint16 ScriptedSmtpServer::port() const
{
    return m_server->serverPort();
}

void ScriptedSmtpServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_client) {
            // One conversation at a time; the script restarts on the newest one.
            m_client->disconnect(this);
            m_client->abort();
        }
        m_client = socket;
        ++m_connections;
        m_clientClosed = false;
        m_step = 0;
        m_delayDone = false;
        m_delay.stop();
        m_reading = true;
        m_buffer.clear();
        connect(socket, &QTcpSocket::readyRead, this, &ScriptedSmtpServer::onReadyRead);
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (socket == m_client)
                m_clientClosed = true;
        });
        advance();
    }
}

void ScriptedSmtpServer::onReadyRead()
{
    if (!m_client || !m_reading)
        return;
    const QByteArray bytes = m_client->readAll();
    m_bytesReceived += bytes.size();
    m_buffer += bytes;
    advance();
}

bool ScriptedSmtpServer::takeLine(QByteArray *line)
{
    const qsizetype end = m_buffer.indexOf("\r\n");
    if (end < 0)
        return false;
    *line = m_buffer.left(end);
    m_buffer.remove(0, end + 2);
    return true;
}

void ScriptedSmtpServer::takeLeftoverLines()
{
    QByteArray line;
    while (takeLine(&line))
        m_commands.append(line);
}

void ScriptedSmtpServer::advance()
{
    while (m_client && m_step < m_script.size()) {
        const Step &step = m_script.at(m_step);
        if (step.delayMs > 0 && !m_delayDone) {
            if (!m_delay.isActive())
                m_delay.start(step.delayMs);
            return;
        }
        if (!runStep(step))
            return; // waits for more input
        m_delayDone = false;
        ++m_step;
    }
    if (m_client && m_step >= m_script.size())
        takeLeftoverLines();
}

// Runs one step; false when it must wait for the client.
bool ScriptedSmtpServer::runStep(const Step &step)
{
    switch (step.kind) {
    case Step::Reply:
        m_client->write(step.bytes);
        m_client->flush();
        return true;
    case Step::Expect: {
        QByteArray line;
        if (!takeLine(&line))
            return false;
        m_commands.append(line);
        if (!step.bytes.isEmpty() && line != step.bytes)
            m_mismatches.append(QStringLiteral("expected \"%1\", got \"%2\"")
                                    .arg(QString::fromLatin1(step.bytes), QString::fromLatin1(line.left(200))));
        return true;
    }
    case Step::ExpectData: {
        qsizetype end = -1;
        if (m_buffer.startsWith(".\r\n"))
            end = 3;
        else if (const qsizetype at = m_buffer.indexOf("\r\n.\r\n"); at >= 0)
            end = at + 5;
        if (end < 0)
            return false;
        m_dataBlocks.append(m_buffer.left(end));
        m_buffer.remove(0, end);
        return true;
    }
    case Step::Close:
        m_client->disconnectFromHost();
        return true;
    case Step::StopReading:
        m_reading = false;
        m_client->setReadBufferSize(1);
        return true;
    case Step::Pause:
        return true;
    }
    return true;
}
