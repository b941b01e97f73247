#pragma once

#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QSslError>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "smtp/TalkTypes.h"

class QEventLoop;
class QSslSocket;
class QTcpSocket;

// One client socket and a command/reply conversation over it: send a command text,
// collect the answer until it is complete, and let the owner judge it through events.
// Everything runs on the GUI thread; a wait runs a nested event loop (no busy polling)
// until the answer is judged, the time-out expires, the socket fails or closes.
// The component knows nothing of the protocol spoken over it.
//
// The conversation may run over TLS, from the first byte (OpenEncrypted) or from a point
// the protocol agrees on (StartTls). The peer's certificate is always checked: against
// the system's trust store plus SetExtraCaCertificates, and against the name or address
// the connection was opened with. There is no way to switch the check off.
class TSocketTalk : public QObject
{
    Q_OBJECT

public:
    // Data and reply events: Sender, CommandId, the owner's verdict (ReplyOk), the bytes.
    using TDataEvent = std::function<void(TSocketTalk *Sender, std::uint8_t CommandId, bool &ReplyOk,
                                          const std::string &Data)>;
    using TErrorEvent = std::function<void(TSocketTalk *Sender, std::uint8_t CommandId, TTalkError ErrorKind)>;
    using TNotifyEvent = std::function<void(TSocketTalk *Sender)>;
    // Optional completeness test in place of "Reply ends with Terminator" (the owner
    // knows its protocol's multi-line replies).
    using TCompleteTest = std::function<bool(const std::string &Reply, const std::string &Terminator)>;

    // A reply that grows beyond this without completing ends the wait as refused;
    // Reply keeps its first MaxReplySize bytes.
    static constexpr std::size_t MaxReplySize = 1024 * 1024;
    // A text handed to the socket in one go is still cut into chunks of this size,
    // so the socket never buffers a whole large text.
    static constexpr std::size_t WholeChunkSize = 256 * 1024;

    explicit TSocketTalk(QObject *owner = nullptr);
    ~TSocketTalk() override;

    int TimeOut = 60;              // seconds of silence allowed while a reply is awaited
    std::string Terminator;        // ending of a complete reply; empty: first data completes it
    std::string Reply;             // received since the current command was sent
    int PacketSize = 0;            // > 0: longer texts go in pieces with progress; reset after a send
    TTalkError ErrorKind = TTalkError::teNone;
    std::uint8_t CommandId = 0;    // the owner's number of the awaited command; 0 when none
    bool Waiting = false;
    bool ReplyOk = false;
    bool Cancelled = false;        // set and cleared by the application; read during piecewise sends

    TDataEvent OnData;             // each time data arrives, before the completeness test
    TDataEvent OnReply;            // once, with the whole Reply, when it is complete
    TErrorEvent OnError;           // socket error or time-out
    TNotifyEvent OnDisconnect;     // the connection closed, from either side
    TTalkProgressEvent OnProgress;     // while a long text is sent in pieces; Sender is the owner
    TCompleteTest ReplyComplete;

    // Arms a wait for an answer that comes without a command (a greeting).
    void StartWait(std::uint8_t commandId);
    // Hands Text to the socket (in pieces when PacketSize asks for it); does not wait.
    void SendCommand(const std::string &text, const std::string &terminator, std::uint8_t commandId);
    // Gives up to the requested number of further bytes of a text made while it is sent;
    // the view stays valid until the next call.
    using TPieceSource = std::function<std::string_view(std::size_t maxBytes)>;
    // The same for a text of `total` bytes that `next` makes piece by piece, so that the
    // whole text never needs to exist at once. Sending stops when the wait ends before
    // the text is all handed over (a refusal, an answer, a closed connection).
    void SendStream(std::size_t total, const TPieceSource &next, const std::string &terminator,
                    std::uint8_t commandId);
    // The last SendCommand or SendStream handed its whole text to the socket.
    bool SentWhole() const { return m_sentWhole; }
    // Runs the event loop until the reply is judged or the wait ends otherwise.
    void WaitReply();
    // Abandons the current wait (called by the owner from its event handlers).
    void Reset();

    // The socket's remote end: a name (looked up by the socket) or a numeric address
    // (connected to directly). Setting one clears the other.
    void SetHost(const QString &name);
    void SetAddress(const QString &address);
    QString Host() const { return m_host; }
    QString Address() const { return m_address; }
    void SetPort(quint16 port) { m_port = port; }
    quint16 Port() const { return m_port; }
    // Starts lookup and connect; returns at once.
    void Open();
    // The same with a TLS handshake right after the connect; data arrives (and a wait
    // for the greeting completes) only once the handshake succeeded.
    void OpenEncrypted();
    // Begins TLS on the open cleartext connection, after the peer agreed to it, and
    // waits (as WaitReply, with the time-out) until the handshake is done. Whatever was
    // received in cleartext until now is dropped, Reply included. True when the
    // connection is encrypted; otherwise TlsError says why and the connection is closed.
    bool StartTls();
    bool IsEncrypted() const;
    // Why the last handshake failed, in words ("The certificate has expired"); empty when
    // no handshake failed since the last Open.
    std::string TlsError;
    // CA certificates trusted for this connection in addition to the system's store.
    void SetExtraCaCertificates(const QList<QSslCertificate> &certificates) { m_extraCa = certificates; }
    // SHA-256 digests of server certificates the person chose to trust: a peer showing
    // exactly one of them is accepted whatever the normal checks say. Any other
    // certificate goes through the normal checks.
    void SetTrustedDigests(const QList<QByteArray> &digests) { m_trustedDigests = digests; }
    // The certificate of the last handshake that failed the checks, and why; a null
    // certificate when none failed since the last Open.
    QSslCertificate RejectedCertificate;
    QList<QSslError> RejectedErrors;
    // The TLS library and Qt's backend for it are present.
    static bool TlsAvailable();
    // Closes the connection after handing over what is buffered (disconnect notification
    // follows when a connection was established).
    void Close();
    // Closes at once, dropping anything still buffered.
    void Abort();
    // The socket is connecting, connected or closing.
    bool Active() const;
    bool IsConnected() const;
    QTcpSocket *Socket() const;

    // The machine's name as the socket layer reports it.
    static std::string LocalHost();
    // The machine's fully qualified domain name (the host name, with the local domain
    // when the host name has no dot); empty when the machine has none ("localhost").
    static std::string LocalFqdn();
    // The local IP address of the connection as text; empty when not connected.
    std::string LocalAddress() const;

    // Largest number of bytes the socket held unsent right after a piece was handed
    // to it (a measure of memory use during long sends).
    qint64 peakBuffered() const { return m_peakBuffered; }
    void resetPeakBuffered() { m_peakBuffered = 0; }

private:
    void onReadable();
    void onTimeOut();
    void onSocketError();
    void onDisconnected();
    void onEncrypted();
    void onSslErrors(const QList<QSslError> &errors);

    int timeOutMs() const;
    bool replyIsComplete() const;
    void failWait(TTalkError kind);
    void wake();
    bool sendStream(std::size_t total, const TPieceSource &next);
    bool writePiece(const char *data, std::size_t size, bool drain);
    bool drainSocket();
    void fireProgress(std::size_t total, std::size_t current);
    void open(bool encrypted);
    void prepareTls();
    void forgetTrust();
    qint64 unsentBytes() const;

    QSslSocket *m_socket = nullptr;
    QTimer m_timer;
    QString m_host;
    QString m_address;
    quint16 m_port = 0;
    std::vector<QEventLoop *> m_waitLoops;
    QList<QSslCertificate> m_extraCa;
    QList<QByteArray> m_trustedDigests;
    bool m_handshaking = false;
    qint64 m_peakBuffered = 0;
    bool m_sentWhole = false;
};
