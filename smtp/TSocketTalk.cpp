#include "smtp/TSocketTalk.h"

#include "os/MessagePump.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QHostAddress>
#include <QHostInfo>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslError>
#include <QSslSocket>
#include <algorithm>
#include <climits>

TSocketTalk::TSocketTalk(QObject *owner)
    : QObject(owner)
    , m_socket(new QSslSocket(this))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(timeOutMs());
    connect(&m_timer, &QTimer::timeout, this, &TSocketTalk::onTimeOut);
    connect(m_socket, &QTcpSocket::readyRead, this, &TSocketTalk::onReadable);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TSocketTalk::onSocketError);
    connect(m_socket, &QTcpSocket::disconnected, this, &TSocketTalk::onDisconnected);
    connect(m_socket, &QSslSocket::encrypted, this, &TSocketTalk::onEncrypted);
    connect(m_socket, &QSslSocket::sslErrors, this, &TSocketTalk::onSslErrors);
}

TSocketTalk::~TSocketTalk()
{
    // No notification may reach a half-destroyed owner.
    m_socket->disconnect(this);
    m_timer.stop();
    for (QEventLoop *loop : m_waitLoops)
        loop->quit();
    m_socket->abort();
}

int TSocketTalk::timeOutMs() const
{
    if (TimeOut <= 0)
        return 0;
    return TimeOut >= INT_MAX / 1000 ? INT_MAX / 1000 * 1000 : TimeOut * 1000;
}

// ---------------------------------------------------------------- waiting

void TSocketTalk::StartWait(std::uint8_t commandId)
{
    Terminator.clear();
    Reply.clear();
    m_timer.setInterval(timeOutMs());
    m_timer.start();
    ErrorKind = TTalkError::teNone;
    CommandId = commandId;
    Waiting = true;
    ReplyOk = false;
}

void TSocketTalk::SendCommand(const std::string &text, const std::string &terminator, std::uint8_t commandId)
{
    std::size_t at = 0;
    SendStream(
        text.size(),
        [&](std::size_t maxBytes) {
            const std::string_view piece = std::string_view(text).substr(at, maxBytes);
            at += piece.size();
            return piece;
        },
        terminator, commandId);
}

void TSocketTalk::SendStream(std::size_t total, const TPieceSource &next, const std::string &terminator,
                             std::uint8_t commandId)
{
    Terminator = terminator;
    CommandId = commandId;
    Reply.clear();
    if (m_timer.interval() != timeOutMs())
        m_timer.setInterval(timeOutMs());
    ErrorKind = TTalkError::teNone;
    Waiting = true;
    ReplyOk = false;
    m_sentWhole = false;

    QPointer<TSocketTalk> self(this);
    const bool whole = sendStream(total, next);
    if (!self)
        return;
    m_sentWhole = whole;
    PacketSize = 0;
}

void TSocketTalk::WaitReply()
{
    QPointer<TSocketTalk> self(this);
    if (m_timer.interval() != timeOutMs())
        m_timer.setInterval(timeOutMs());
    while (Waiting && !ReplyOk) {
        if (!m_timer.isActive())
            m_timer.start();
        QEventLoop loop;
        m_waitLoops.push_back(&loop);
        loop.exec();
        if (!self)
            return;
        m_waitLoops.erase(std::find(m_waitLoops.begin(), m_waitLoops.end(), &loop));
    }
    m_timer.stop();
}

void TSocketTalk::Reset()
{
    m_timer.stop();
    ErrorKind = TTalkError::teNone;
    CommandId = 0;
    Terminator.clear();
    Waiting = false;
    ReplyOk = false;
    wake();
}

// Every change that may end a wait wakes all waiting loops; each checks its condition.
void TSocketTalk::wake()
{
    for (QEventLoop *loop : m_waitLoops)
        loop->quit();
}

bool TSocketTalk::replyIsComplete() const
{
    if (ReplyComplete)
        return ReplyComplete(Reply, Terminator);
    return Terminator.empty()
        || (Reply.size() >= Terminator.size()
            && Reply.compare(Reply.size() - Terminator.size(), Terminator.size(), Terminator) == 0);
}

void TSocketTalk::failWait(TTalkError kind)
{
    m_timer.stop();
    ErrorKind = kind;
    Terminator.clear();
    Waiting = false;
    ReplyOk = false;
    if (OnError)
        OnError(this, CommandId, kind);
    CommandId = 0;
    wake();
}

// ---------------------------------------------------------------- notifications

void TSocketTalk::onReadable()
{
    const QByteArray bytes = m_socket->readAll();
    if (bytes.isEmpty())
        return;
    const std::string data(bytes.constData(), static_cast<std::size_t>(bytes.size()));

    // Reply never grows beyond MaxReplySize, whatever a server sends.
    const bool overflow = Reply.size() + data.size() > MaxReplySize;
    Reply.append(data, 0, std::min(data.size(), MaxReplySize - Reply.size()));

    QPointer<TSocketTalk> self(this);
    ErrorKind = TTalkError::teNone;
    m_timer.stop();
    if (OnData)
        OnData(this, CommandId, ReplyOk, data);
    if (!self)
        return;

    if (overflow && Waiting) {
        failWait(TTalkError::teReceive);
        return;
    }
    if (Waiting && !replyIsComplete()) {
        // Still incomplete: the time-out counts silence since the last data.
        m_timer.start();
        wake();
        return;
    }
    ErrorKind = TTalkError::teNone;
    Terminator.clear();
    Waiting = false;
    if (OnReply)
        OnReply(this, CommandId, ReplyOk, Reply);
    if (!self)
        return;
    CommandId = 0;
    wake();
}

void TSocketTalk::onTimeOut()
{
    failWait(TTalkError::teTimeOut);
}

void TSocketTalk::onSocketError()
{
    TTalkError kind = TTalkError::teGeneral;
    switch (m_socket->error()) {
    case QAbstractSocket::RemoteHostClosedError:
        // The disconnect notification reports this; the verdict on a reply that
        // arrived just before the close must stay.
        return;
    case QAbstractSocket::HostNotFoundError:
        kind = TTalkError::teLookup;
        break;
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        // A failed handshake is a failed connect; the certificate's faults, when it had
        // any, were put into words by onSslErrors already.
        if (TlsError.empty())
            TlsError = m_socket->errorString().toStdString();
        kind = TTalkError::teConnect;
        break;
    default:
        kind = m_socket->state() == QAbstractSocket::ConnectedState ? TTalkError::teGeneral : TTalkError::teConnect;
        break;
    }
    failWait(kind);
}

void TSocketTalk::onEncrypted()
{
    if (!m_handshaking)
        return;
    m_handshaking = false;
    Waiting = false;
    wake();
}

// Ignored only for a certificate the person chose to trust, compared whole by its digest:
// any other fault of the certificate ends the handshake (the socket then reports
// SslHandshakeFailedError and closes). Here the faults are kept and put into words.
void TSocketTalk::onSslErrors(const QList<QSslError> &errors)
{
    QSslCertificate peer = m_socket->peerCertificate();
    if (peer.isNull() && !errors.isEmpty())
        peer = errors.constFirst().certificate();
    if (!peer.isNull() && m_trustedDigests.contains(peer.digest(QCryptographicHash::Sha256))) {
        m_socket->ignoreSslErrors(errors);
        return;
    }
    RejectedCertificate = peer;
    RejectedErrors = errors;
    QStringList reasons;
    for (const QSslError &error : errors)
        if (!reasons.contains(error.errorString()))
            reasons.append(error.errorString());
    if (!reasons.isEmpty())
        TlsError = reasons.join(QStringLiteral("; ")).toStdString();
}

void TSocketTalk::onDisconnected()
{
    QPointer<TSocketTalk> self(this);
    if (OnDisconnect)
        OnDisconnect(this);
    if (!self)
        return;
    m_timer.stop();
    Waiting = false;
    CommandId = 0;
    Terminator.clear();
    PacketSize = 0;
    wake();
}

// ---------------------------------------------------------------- sending

void TSocketTalk::fireProgress(std::size_t total, std::size_t current)
{
    if (!OnProgress)
        return;
    OnProgress(parent() ? parent() : this, static_cast<std::int64_t>(total), static_cast<std::int64_t>(current));
}

// Longer than PacketSize: in pieces of that size, each drained before the next, with
// progress and a look at Cancelled between them. Otherwise in chunks of WholeChunkSize.
// True when the whole text was handed over.
bool TSocketTalk::sendStream(std::size_t total, const TPieceSource &next)
{
    if (total == 0)
        return writePiece(nullptr, 0, false); // a closed connection still fails the wait
    QPointer<TSocketTalk> self(this);
    const bool pieces = PacketSize > 0 && total > static_cast<std::size_t>(PacketSize);
    const std::size_t pieceSize = pieces ? static_cast<std::size_t>(PacketSize) : WholeChunkSize;
    if (pieces)
        fireProgress(total, 0);
    std::size_t sent = 0;
    while (sent < total) {
        if (pieces) {
            if (!self || Cancelled)
                return false; // the rest is not sent; what was handed over stays sent
            MessagePump::serve();
            if (!self || Cancelled)
                return false;
        }
        // A wait that ended before the text is all out (a refusal, an answer that came
        // too early, a closed connection) gets nothing more.
        if (!Waiting)
            return false;
        const std::string_view piece = next(std::min(pieceSize, total - sent));
        if (piece.empty())
            return false;
        const bool last = sent + piece.size() >= total;
        if (!writePiece(piece.data(), piece.size(), pieces || !last))
            return false;
        sent += piece.size();
        if (pieces) {
            fireProgress(total, sent);
            if (!self)
                return false;
        }
    }
    if (pieces)
        fireProgress(total, total);
    return true;
}

// Hands one piece to the socket. With drain, lets the event loop run until the socket
// has passed everything on to the system, so that progress reports what really left and
// the socket never buffers more than one piece. False when the connection is gone or
// stalled (the wait has then ended).
bool TSocketTalk::writePiece(const char *data, std::size_t size, bool drain)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        if (Waiting)
            failWait(TTalkError::teSend);
        return false;
    }
    if (size > 0 && m_socket->write(data, static_cast<qint64>(size)) != static_cast<qint64>(size)) {
        if (Waiting)
            failWait(TTalkError::teSend);
        return false;
    }
    m_peakBuffered = std::max(m_peakBuffered, unsentBytes());
    return !drain || drainSocket();
}

bool TSocketTalk::drainSocket()
{
    QPointer<TSocketTalk> self(this);
    // A peer that stops reading without closing would stall the send for ever: give up
    // after TimeOut seconds in which nothing could be written.
    QTimer stall;
    stall.setSingleShot(true);
    stall.setInterval(timeOutMs());
    bool stalled = false;
    QEventLoop loop;
    const auto progressed = [&] {
        stall.start();
        if (unsentBytes() == 0)
            loop.quit();
    };
    connect(m_socket, &QTcpSocket::bytesWritten, &loop, progressed);
    connect(m_socket, &QSslSocket::encryptedBytesWritten, &loop, progressed);
    connect(m_socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    connect(m_socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    connect(&stall, &QTimer::timeout, &loop, [&] {
        stalled = true;
        loop.quit();
    });
    stall.start();
    // The loop is woken like a wait, so that a wait ending (a refusal while a long text
    // is sent to a peer that has stopped reading) ends the draining too.
    const bool waiting = Waiting;
    while (unsentBytes() > 0 && m_socket->state() == QAbstractSocket::ConnectedState && !stalled
           && Waiting == waiting) {
        m_waitLoops.push_back(&loop);
        loop.exec();
        if (!self)
            return false;
        m_waitLoops.erase(std::find(m_waitLoops.begin(), m_waitLoops.end(), &loop));
    }
    if (waiting && !Waiting)
        return false;
    if (stalled) {
        if (Waiting)
            failWait(TTalkError::teTimeOut);
        return false;
    }
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

// ---------------------------------------------------------------- the socket

void TSocketTalk::SetHost(const QString &name)
{
    m_host = name;
    m_address.clear();
}

void TSocketTalk::SetAddress(const QString &address)
{
    m_address = address;
    m_host.clear();
}

void TSocketTalk::Open()
{
    open(false);
}

void TSocketTalk::OpenEncrypted()
{
    open(true);
}

void TSocketTalk::open(bool encrypted)
{
    TlsError.clear();
    forgetTrust();
    m_handshaking = false;
    // The certificate must name what the user asked for: the host name, or the address.
    const QString peerName = m_address.isEmpty() ? m_host : m_address;
    if (encrypted)
        prepareTls();
    if (!m_address.isEmpty()) {
        const QHostAddress address(m_address);
        if (!address.isNull()) {
            if (encrypted)
                m_socket->connectToHostEncrypted(address.toString(), m_port, peerName);
            else
                m_socket->connectToHost(address, m_port);
            return;
        }
    }
    // A name, or digits the address parser does not take: the socket looks it up.
    if (encrypted)
        m_socket->connectToHostEncrypted(peerName, m_port, peerName);
    else
        m_socket->connectToHost(peerName, m_port);
}

// The socket keeps the errors it was told to ignore from one connection to the next: a
// certificate trusted then must go through the checks again now.
void TSocketTalk::forgetTrust()
{
    RejectedCertificate = QSslCertificate();
    RejectedErrors.clear();
    m_socket->ignoreSslErrors(QList<QSslError>());
}

void TSocketTalk::prepareTls()
{
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    config.setProtocol(QSsl::SecureProtocols);
    if (!m_extraCa.isEmpty()) {
        // Setting a CA list replaces the store Qt would read on demand: name it whole.
        // Reading the system's store takes a good part of a second; once is enough.
        static const QList<QSslCertificate> systemStore = QSslConfiguration::systemCaCertificates();
        config.setCaCertificates(systemStore + m_extraCa);
    }
    m_socket->setSslConfiguration(config);
    m_socket->setPeerVerifyName(m_address.isEmpty() ? m_host : m_address);
}

bool TSocketTalk::StartTls()
{
    TlsError.clear();
    forgetTrust();
    if (m_socket->state() != QAbstractSocket::ConnectedState || m_socket->isEncrypted()) {
        TlsError = "the connection is not open in cleartext";
        return false;
    }
    // Bytes that came after the peer's consent and before the handshake cannot be told
    // apart from bytes a third party slipped into the stream: they are dropped unread.
    Reply.clear();
    m_socket->readAll();
    prepareTls();

    Terminator.clear();
    CommandId = 0;
    ErrorKind = TTalkError::teNone;
    Waiting = true;
    ReplyOk = false;
    m_handshaking = true;
    QPointer<TSocketTalk> self(this);
    m_socket->startClientEncryption();
    WaitReply();
    if (!self)
        return false;
    const bool done = m_socket->isEncrypted() && m_socket->state() == QAbstractSocket::ConnectedState;
    const bool wasHandshaking = m_handshaking;
    m_handshaking = false;
    if (done)
        return true;
    if (TlsError.empty()) {
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            TlsError = "the server closed the connection during the handshake";
        else if (wasHandshaking)
            TlsError = "the handshake did not complete within " + std::to_string(TimeOut) + " seconds";
        else
            TlsError = "the handshake did not complete";
    }
    // A half-done handshake cannot go on, and the session must not go on in cleartext.
    Reset();
    m_socket->abort();
    return false;
}

bool TSocketTalk::IsEncrypted() const
{
    return m_socket->isEncrypted();
}

bool TSocketTalk::TlsAvailable()
{
    return QSslSocket::supportsSsl();
}

QTcpSocket *TSocketTalk::Socket() const
{
    return m_socket;
}

// Bytes handed to the socket that have not yet gone to the system: over TLS they wait
// first unencrypted, then encrypted.
qint64 TSocketTalk::unsentBytes() const
{
    return m_socket->bytesToWrite() + (m_socket->isEncrypted() ? m_socket->encryptedBytesToWrite() : 0);
}

void TSocketTalk::Close()
{
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->flush();
    m_socket->close();
}

void TSocketTalk::Abort()
{
    m_socket->abort();
}

bool TSocketTalk::Active() const
{
    return m_socket->state() != QAbstractSocket::UnconnectedState;
}

bool TSocketTalk::IsConnected() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

std::string TSocketTalk::LocalHost()
{
    return QHostInfo::localHostName().toStdString();
}

std::string TSocketTalk::LocalFqdn()
{
    QString name = QHostInfo::localHostName().trimmed();
    if (!name.contains(QLatin1Char('.'))) {
        const QString domain = QHostInfo::localDomainName().trimmed();
        if (name.isEmpty() || domain.isEmpty())
            return {};
        name += QLatin1Char('.') + domain;
    }
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    // Only letters, digits, hyphens and dots make a name another host can look up.
    for (const QChar c : name)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('-') && c != QLatin1Char('.'))
            return {};
    if (name.startsWith(QLatin1String("localhost"), Qt::CaseInsensitive) || name.contains(QLatin1String(".."))
        || name.startsWith(QLatin1Char('.')))
        return {};
    return name.toStdString();
}

std::string TSocketTalk::LocalAddress() const
{
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return {};
    QHostAddress address = m_socket->localAddress();
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4)
        address = QHostAddress(v4);
    return address.toString().toStdString();
}
