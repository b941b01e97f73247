#pragma once

#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "smtp/CertificateFacts.h"
#include "smtp/SmtpSecurity.h"
#include "smtp/TalkTypes.h"
#include "smtp/TransparentStream.h"

#include <QStringList>
#include <optional>

class TMailMessage;
class TMailPart;
class TSocketTalk;

// Delivers one built mail message to an SMTP server: connect and greet (EHLO with the
// machine's full name or address literal, falling back to HELO), choose AUTH PLAIN when
// offered or else probe AUTH LOGIN, log in when asked, send the envelope and the
// text after DATA with progress, and QUIT. Speaks through one owned TSocketTalk.
//
// TLS, as Security asks (Automatic by default): on port 465 the connection is encrypted
// from the first byte; on any other port the session switches to TLS with STARTTLS
// whenever the server's EHLO reply offers it, and does not go on in cleartext once it was
// offered. Tls encrypts from the first byte on any port, StartTls requires STARTTLS, None
// never encrypts. A failed handshake (an untrusted, expired or wrong-host certificate,
// ...) is a failed Connect whose LastReply reads "TLS: " and the reason; when it was the
// certificate, UntrustedCertificate() tells about it. Login uses AUTH PLAIN when the EHLO
// reply lists it, else AUTH LOGIN.
// The text after DATA is made transparent while it is sent (TransparentStream), piece by
// piece from the header block and the body (or the parts, see RebuildWhileSending). A reply, a cancel or a closed connection
// before all of it is out fails the send and closes the connection, which is then out of
// step with the server.
// Network failures are false results (LastReply tells what the server said); broken
// preconditions raise AppError with the component's name (Name).
class TSMTP : public QObject
{
    Q_OBJECT

public:
    // The number each command carries while its reply is awaited.
    enum : std::uint8_t {
        cmdGreeting = 1,
        cmdHelo = 9,
        cmdMailFrom = 10,
        cmdRcptTo = 11,
        cmdEhlo = 12,
        cmdUserName = 13,
        cmdPassword = 14,
        cmdAuthLogin = 15,
        cmdNoop = 16,
        cmdData = 17,
        cmdEndOfData = 18,
        cmdQuit = 19,
        cmdStartTls = 20,
        cmdAuthPlain = 21,
        cmdAuthBearer = 22,
        cmdBearerErrorAnswer = 23,
    };


    explicit TSMTP(QObject *owner = nullptr);
    ~TSMTP() override;

    // Component name, the "%s" of error messages ("FSMTP" in the send dialog).
    std::string Name = "SMTP1";

    // Published properties.
    std::string Host;                  // a host name, or a numeric address
    int Port = 25;
    int TimeOut() const;               // seconds; the owned talk's TimeOut
    void SetTimeOut(int seconds);
    TMailMessage *MailMessage = nullptr; // not owned
    int PacketSize = 102400;           // piece size for the message text
    TTalkProgressEvent OnProgress() const; // the owned talk's OnProgress (Sender is this TSMTP)
    void SetOnProgress(TTalkProgressEvent handler);
    // The name announced in EHLO and HELO; empty: the machine's fully qualified name, or
    // the address literal of the connection ("[192.0.2.1]") when it has none.
    std::string LocalName;

    // The port on which the server expects TLS from the first byte (SMTPS); on any
    // other port the session starts in cleartext and uses STARTTLS when offered.
    int ImplicitTlsPort = 465;
    // CA certificates trusted in addition to the system's store (a private CA).
    QList<QSslCertificate> TrustedCertificates;
    // SHA-256 fingerprints (see CertificateFacts) of server certificates the person
    // trusts for this server: exactly those are accepted whatever the normal checks say.
    QStringList TrustedFingerprints;
    SmtpSecurity Security = SmtpSecurity::Automatic;
    // A message whose NeedRebuild is set is refused, unless this is on: then its text is
    // written from its tree while it is sent (TMailMessage::RebuiltPieces), the same bytes
    // as after Rebuild, without the text being kept in the message. For a caller that
    // only sends the mail, which is then held once rather than twice. The message keeps
    // NeedRebuild.
    bool RebuildWhileSending = false;
    // Set before Connect when the login is by an access token (LoginBearer): Connect then
    // probes no AUTH LOGIN, and LoginReady tells whether the server offers OAUTHBEARER or
    // XOAUTH2 (OAUTHBEARER, RFC 7628, is chosen when it offers both).
    bool BearerLogin = false;
    // Asked about each piece of a text written while it is sent: a piece that stands for
    // bytes kept elsewhere (a large attachment's body in the store) gets their source,
    // and they are read from there a stretch at a time instead of being held.
    std::function<std::optional<TransparentStream::Source>(std::string_view piece)> OuterBody;

    bool Connected() const { return m_connected; }
    // Login may be called: the server lists AUTH PLAIN, or answered AUTH LOGIN with 334.
    bool LoginReady() const { return m_loginReady; }
    // The mechanism Login (or LoginBearer) will use: "LOGIN", "PLAIN", "OAUTHBEARER",
    // "XOAUTH2", or empty when LoginReady is off.
    std::string AuthMechanism() const;
    // The connection is encrypted (port 465, or after STARTTLS).
    bool Encrypted() const;
    // The lines of the last accepted EHLO reply after its first, without the code
    // ("STARTTLS", "AUTH LOGIN PLAIN", ...); empty after HELO. Those from before
    // STARTTLS are forgotten once the handshake is done.
    const std::vector<std::string> &Capabilities() const { return m_capabilities; }
    // The largest mail the server takes, as its EHLO reply names it ("SIZE 26214400");
    // 0 when it names none (or names 0, which means no limit).
    std::int64_t SizeLimit() const { return m_sizeLimit; }
    // Set when the last send failed because the server refuses a mail of its size: the
    // mail is larger than SizeLimit (then DATA was never sent), or the server answered
    // 552. "The server refuses mails over N MB; this mail is M MB".
    const std::string &SizeRefusal() const { return m_sizeRefusal; }
    // That text for a server that takes at most `limit` bytes (0: not known) and a mail
    // of `size` bytes.
    static std::string SizeRefusalText(std::int64_t limit, std::int64_t size);

    // The certificate that made the last Connect fail, with `changed` set when other
    // fingerprints were trusted for the server; nullopt when Connect did not fail on one.
    const std::optional<CertificateFacts> &UntrustedCertificate() const { return m_untrusted; }

    bool Connect();
    bool Login(const std::string &userName, const std::string &password);
    // Logs in with an OAuth2 access token (BearerLogin set before Connect). Never over a
    // connection without TLS, whatever Security says: then, and when the server offers
    // no bearer mechanism, false without a word sent, LastReply telling why.
    bool LoginBearer(const std::string &userName, const std::string &accessToken);
    // The last LoginBearer failed because the server refused the token (its error
    // challenge, or 535): a fresh token may succeed where this one did not.
    bool TokenRefused() const { return m_tokenRefused; }
    // The text after "AUTH OAUTHBEARER " or "AUTH XOAUTH2 " before its base64 coding.
    static std::string BearerResponse(bool oauthBearer, const std::string &userName, const std::string &host, int port,
                                      const std::string &accessToken);
    bool SendMail();
    // The recipients as comma text (split by TMailRecipients::SplitCommaText) ...
    bool SendMailTo(const std::string &sender, const std::string &recipients);
    // ... or as the list of addresses itself, as SendMail passes the message's.
    bool SendMailTo(const std::string &sender, const std::vector<std::string> &recipients);
    bool Quit();
    void Disconnect();
    // What the server last said (or what has arrived of it).
    std::string LastReply() const;

    TSocketTalk *Talk() const { return m_talk; }

    // The recipient text split as SendMailTo splits it: TMailRecipients::SplitCommaText
    // (items separated by commas and white space, a double-quoted item taken whole, ""
    // inside it standing for one quote), then in EnvelopeOrder.
    static std::vector<std::string> SplitRecipients(const std::string &list);
    // The addresses as the envelope names them: empty items dropped, sorted without regard
    // to ASCII case, duplicates (in any case) dropped with the first spelling kept.
    static std::vector<std::string> EnvelopeOrder(std::vector<std::string> items);
    // The message text as it goes after DATA: every lone CR and lone LF made CR LF,
    // a "." put before every line that begins with ".", and CR LF "." CR LF appended
    // (after a final CR LF the text already has, or one added).
    static std::string TransparentText(const std::string &text);

private:
    void onReply(TSocketTalk *sender, std::uint8_t commandId, bool &replyOk, const std::string &reply);
    void onData(TSocketTalk *sender, std::uint8_t commandId, bool &replyOk, const std::string &data);
    void onError(TSocketTalk *sender, std::uint8_t commandId, TTalkError kind);
    void onDisconnect(TSocketTalk *sender);

    bool exchange(const std::string &text, std::uint8_t commandId);
    bool sendText(TMailMessage &message);
    bool ehlo(const std::string &name);
    bool startTls();
    bool tlsFailure(const std::string &reason);
    bool handshakeFailure();
    bool offers(const std::string &keyword) const;
    bool offersAuth(const std::string &mechanism) const;
    [[noreturn]] void fail(const char *what) const;
    std::string heloName() const;

    TSocketTalk *m_talk = nullptr;
    bool m_connected = false;
    bool m_loginReady = false;
    bool m_authPlain = false;
    std::string m_bearerMechanism; // "OAUTHBEARER", "XOAUTH2", or empty
    bool m_tokenRefused = false;
    bool m_tlsOffered = false; // the server offered STARTTLS in this session
    std::vector<std::string> m_capabilities;
    std::int64_t m_sizeLimit = 0;
    std::string m_sizeRefusal;
    std::optional<CertificateFacts> m_untrusted;
};
