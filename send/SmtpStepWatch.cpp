#include "send/SmtpStepWatch.h"

#include "smtp/TSMTP.h"
#include "smtp/TSocketTalk.h"
#include "text/Ansi.h"

#include <QSslSocket>

SmtpStepWatch::SmtpStepWatch(TSMTP &session, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_socket(session.Talk() ? session.Talk()->Socket() : nullptr)
{
    if (!m_socket)
        return;
    connect(m_socket, &QAbstractSocket::stateChanged, this, [this](QAbstractSocket::SocketState s) { onState(s); });
    connect(m_socket, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) { onError(e); });
    if (auto *ssl = qobject_cast<QSslSocket *>(m_socket.data())) {
        // STARTTLS: the cleartext connection turns into a TLS one.
        connect(ssl, &QSslSocket::modeChanged, this, [this, ssl](QSslSocket::SslMode mode) {
            if (mode != QSslSocket::UnencryptedMode && ssl->state() == QAbstractSocket::ConnectedState)
                emit step(QStringLiteral("Securing the connection (TLS)..."));
        });
        connect(ssl, &QSslSocket::encrypted, this,
                [this] { emit step(QStringLiteral("Connection secured (TLS), greeting the server...")); });
    }
}

void SmtpStepWatch::start()
{
    m_reached = SendFailure::Reached::Nothing;
    m_error.reset();
    m_errorText.clear();
}

void SmtpStepWatch::onState(int state)
{
    const QString host = Ansi::toQString(m_session.Host);
    switch (state) {
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
        m_reached = SendFailure::Reached::Connecting;
        break;
    case QAbstractSocket::ConnectedState: {
        m_reached = SendFailure::Reached::Connected;
        const auto *ssl = qobject_cast<QSslSocket *>(m_socket.data());
        // On the port of TLS from the first byte, the handshake comes before the greeting.
        if (ssl && ssl->mode() != QSslSocket::UnencryptedMode)
            emit step(QStringLiteral("Connected to %1, securing the connection (TLS)...").arg(host));
        else
            emit step(QStringLiteral("Connected to %1, waiting for the server's greeting...").arg(host));
        break;
    }
    case QAbstractSocket::UnconnectedState:
        if (m_reached == SendFailure::Reached::Connected)
            m_reached = SendFailure::Reached::Closed;
        break;
    default:
        break;
    }
}

void SmtpStepWatch::onError(int error)
{
    m_error = static_cast<QAbstractSocket::SocketError>(error);
    m_errorText = m_socket ? m_socket->errorString() : QString();
}

SendFailure::Facts SmtpStepWatch::facts() const
{
    SendFailure::Facts f;
    f.host = Ansi::toQString(m_session.Host);
    f.port = m_session.Port;
    f.timeOut = m_session.TimeOut();
    f.lastReply = Ansi::toQString(m_session.LastReply());
    f.reached = m_reached;
    f.socketError = m_error;
    f.socketErrorText = m_errorText;
    return f;
}
