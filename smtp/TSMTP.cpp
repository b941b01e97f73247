#include "smtp/TSMTP.h"

#include "mail/Base64.h"
#include "mail/StringHelpers.h"
#include "mail/TMailMessage.h"
#include "mail/TMailRecipients.h"
#include "os/AppError.h"
#include "smtp/TSocketTalk.h"
#include "smtp/TransparentStream.h"
#include "text/TextRules.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <deque>

namespace {

const std::string CrLf = "\r\n";

// A byte that would end or split a command line.
bool breaksCommand(const std::string &s)
{
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos;
}

using TextRules::compareIgnoringAsciiCase;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The code of a reply line ("250", "334", ...), or -1 when its first three bytes are not digits.
int replyCode(const std::string &text)
{
    if (text.size() < 3 || !isDigit(text[0]) || !isDigit(text[1]) || !isDigit(text[2]))
        return -1;
    return (text[0] - '0') * 100 + (text[1] - '0') * 10 + (text[2] - '0');
}

// An SMTP reply is complete when it ends with CR LF and its last line is not a
// continuation line ("250-..."): a multi-line reply that arrives in pieces is judged
// once, on its final line, so that its tail is not taken as the next command's answer.
bool isFinalReply(const std::string &reply, const std::string &)
{
    if (reply.size() < 2 || reply.compare(reply.size() - 2, 2, CrLf) != 0)
        return false;
    const std::size_t end = reply.size() - 2;
    const std::size_t previous = end == 0 ? std::string::npos : reply.rfind(CrLf, end - 1);
    const std::size_t start = previous == std::string::npos ? 0 : previous + 2;
    const bool continues = end - start >= 4 && replyCode(reply.substr(start, 3)) >= 0 && reply[start + 3] == '-';
    return !continues;
}

// The reply that accepts each command; nullptr: any complete reply (NOOP) or nothing
// is judged (unknown numbers, 0).
const char *acceptedCode(std::uint8_t commandId)
{
    switch (commandId) {
    case TSMTP::cmdGreeting:
    case TSMTP::cmdStartTls:
        return "220";
    case TSMTP::cmdHelo:
    case TSMTP::cmdMailFrom:
    case TSMTP::cmdRcptTo:
    case TSMTP::cmdEhlo:
    case TSMTP::cmdEndOfData:
        return "250";
    case TSMTP::cmdUserName:
    case TSMTP::cmdAuthLogin:
        return "334";
    case TSMTP::cmdPassword:
    case TSMTP::cmdAuthPlain:
    case TSMTP::cmdAuthBearer:
        return "235";
    case TSMTP::cmdData:
        return "354";
    case TSMTP::cmdQuit:
        return "221";
    default:
        return nullptr;
    }
}

// The lines of an EHLO reply after its first, each without its "250-" or "250 ".
std::vector<std::string> ehloCapabilities(const std::string &reply)
{
    std::vector<std::string> lines;
    std::size_t start = reply.find(CrLf);
    while (start != std::string::npos) {
        start += 2;
        const std::size_t end = reply.find(CrLf, start);
        if (end == std::string::npos)
            break;
        if (end - start > 4)
            lines.push_back(reply.substr(start + 4, end - start - 4));
        start = end;
    }
    return lines;
}

// The words of a capability line; "AUTH=LOGIN PLAIN" (an old spelling) reads as
// "AUTH LOGIN PLAIN".
std::vector<std::string> capabilityWords(const std::string &line)
{
    std::vector<std::string> words;
    std::string word;
    for (const char c : line) {
        if (c == ' ' || (c == '=' && words.empty())) {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

// The number of "SIZE n" among the capabilities; 0 when absent or unreadable.
std::int64_t sizeCapability(const std::vector<std::string> &capabilities)
{
    for (const std::string &line : capabilities) {
        const std::vector<std::string> words = capabilityWords(line);
        if (words.size() < 2 || words[0].size() != 4 || compareIgnoringAsciiCase(words[0], "SIZE") != 0)
            continue;
        std::int64_t value = 0;
        for (const char c : words[1]) {
            if (!isDigit(c) || value > (INT64_MAX - 9) / 10)
                return 0;
            value = value * 10 + (c - '0');
        }
        return value;
    }
    return 0;
}

// Megabytes (of 1024 * 1024 bytes) with one decimal at most: rounded down for a limit,
// up for a size, so that a mail over the limit never reads as the limit itself.
std::string megabytes(std::int64_t bytes, bool up)
{
    constexpr std::int64_t mb = 1024 * 1024;
    const std::int64_t rest = (bytes % mb) * 10 + (up ? mb - 1 : 0);
    const std::int64_t tenths = (bytes / mb) * 10 + rest / mb;
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0)
        text += "." + std::to_string(tenths % 10);
    return text;
}

} // namespace

TSMTP::TSMTP(QObject *owner)
    : QObject(owner)
    , m_talk(new TSocketTalk(this))
{
    m_talk->OnReply = [this](TSocketTalk *s, std::uint8_t id, bool &ok, const std::string &r) { onReply(s, id, ok, r); };
    m_talk->OnData = [this](TSocketTalk *s, std::uint8_t id, bool &ok, const std::string &d) { onData(s, id, ok, d); };
    m_talk->OnError = [this](TSocketTalk *s, std::uint8_t id, TTalkError kind) { onError(s, id, kind); };
    m_talk->OnDisconnect = [this](TSocketTalk *s) { onDisconnect(s); };
    m_talk->ReplyComplete = &isFinalReply;
}

TSMTP::~TSMTP()
{
    // The talk's notifications must not reach this half-destroyed session.
    m_talk->OnReply = nullptr;
    m_talk->OnData = nullptr;
    m_talk->OnError = nullptr;
    m_talk->OnDisconnect = nullptr;
}

int TSMTP::TimeOut() const
{
    return m_talk->TimeOut;
}

void TSMTP::SetTimeOut(int seconds)
{
    m_talk->TimeOut = seconds;
}

TTalkProgressEvent TSMTP::OnProgress() const
{
    return m_talk->OnProgress;
}

void TSMTP::SetOnProgress(TTalkProgressEvent handler)
{
    m_talk->OnProgress = std::move(handler);
}

std::string TSMTP::LastReply() const
{
    return m_talk->Reply;
}

std::string TSMTP::AuthMechanism() const
{
    if (!m_loginReady)
        return {};
    if (BearerLogin)
        return m_bearerMechanism;
    return m_authPlain ? "PLAIN" : "LOGIN";
}

bool TSMTP::Encrypted() const
{
    return m_talk->IsEncrypted();
}

bool TSMTP::offers(const std::string &keyword) const
{
    for (const std::string &line : m_capabilities) {
        const std::vector<std::string> words = capabilityWords(line);
        if (!words.empty() && compareIgnoringAsciiCase(words.front(), keyword) == 0)
            return true;
    }
    return false;
}

bool TSMTP::offersAuth(const std::string &mechanism) const
{
    for (const std::string &line : m_capabilities) {
        const std::vector<std::string> words = capabilityWords(line);
        if (!words.empty() && compareIgnoringAsciiCase(words.front(), "AUTH") == 0
            && std::any_of(words.begin() + 1, words.end(),
                           [&](const std::string &w) { return compareIgnoringAsciiCase(w, mechanism) == 0; }))
            return true;
    }
    return false;
}

void TSMTP::fail(const char *what) const
{
    throw AppError(Name + ": " + what);
}

std::string TSMTP::heloName() const
{
    if (!LocalName.empty())
        return LocalName;
    // RFC 5321 4.1.4: the fully qualified name, or else the address literal of this end
    // of the connection.
    if (std::string fqdn = TSocketTalk::LocalFqdn(); !fqdn.empty())
        return fqdn;
    std::string address = m_talk->LocalAddress();
    if (const std::size_t scope = address.find('%'); scope != std::string::npos)
        address.resize(scope);
    if (address.empty())
        return "[127.0.0.1]";
    return address.find(':') != std::string::npos ? "[IPv6:" + address + "]" : "[" + address + "]";
}

// ---------------------------------------------------------------- judging replies

void TSMTP::onReply(TSocketTalk *, std::uint8_t commandId, bool &replyOk, const std::string &reply)
{
    if (commandId == cmdNoop) {
        replyOk = true;
        return;
    }
    const char *code = acceptedCode(commandId);
    if (code && reply.compare(0, 3, code) == 0)
        replyOk = true;
}

// A refusal (5xx) ends the wait as soon as it is in, whatever was awaited (also during
// a piecewise send, when no reply is awaited). The data must begin a line, or digits in
// the middle of a reply cut into pieces ("250-SIZE " then "52428800") would read as a
// refusal; and the refusal must be complete, or the tail of a multi-line one would be
// taken as the next command's answer.
void TSMTP::onData(TSocketTalk *sender, std::uint8_t, bool &replyOk, const std::string &data)
{
    if (replyCode(data) < 500 || !isFinalReply(data, CrLf))
        return;
    const std::string &reply = sender->Reply;
    const std::size_t kept = std::min(data.size(), reply.size());
    const std::size_t start = reply.size() - kept;
    const bool beginsLine = start == 0 || (start >= 2 && reply.compare(start - 2, 2, CrLf) == 0);
    if (beginsLine) {
        replyOk = false;
        sender->Reset();
    }
}

void TSMTP::onError(TSocketTalk *sender, std::uint8_t, TTalkError)
{
    sender->Reset();
}

void TSMTP::onDisconnect(TSocketTalk *)
{
    m_connected = false;
}

bool TSMTP::exchange(const std::string &text, std::uint8_t commandId)
{
    m_talk->SendCommand(text, CrLf, commandId);
    m_talk->WaitReply();
    return m_talk->ReplyOk;
}

std::string TSMTP::SizeRefusalText(std::int64_t limit, std::int64_t size)
{
    if (limit <= 0)
        return "The server refuses mails of this size; this mail is " + megabytes(size, true) + " MB";
    return "The server refuses mails over " + megabytes(limit, false) + " MB; this mail is " + megabytes(size, true)
           + " MB";
}

// The message text made transparent while it is sent, straight from the header block and
// the body, or from the parts: the mail is never copied whole. A reply before the end of the text is no
// answer to it: the server is out of step, and the connection is closed. DATA is sent
// here, once the text's size is known: a mail over the server's SIZE never goes out.
bool TSMTP::sendText(TMailMessage &message)
{
    // Only a message needing a rebuild is written from its tree: another one may have had
    // its text set directly.
    std::deque<std::string> made;
    std::vector<std::string_view> pieces;
    if (message.NeedRebuild) {
        pieces = message.RebuiltPieces(made);
    } else {
        made.push_back(message.SourceHead());
        pieces = {made.back(), message.EncodedBody};
    }
    std::vector<TransparentStream::Source> sources;
    if (OuterBody && message.NeedRebuild) {
        // The head names the length of what follows it: a body read from elsewhere counts
        // with its own length, not its stand-in piece's.
        std::int64_t length = 0;
        bool outer = false;
        for (const std::string_view piece : pieces) {
            sources.push_back(OuterBody(piece).value_or(TransparentStream::Source()));
            if (sources.size() > 1)
                length += sources.back().read ? sources.back().length : static_cast<std::int64_t>(piece.size());
            outer = outer || sources.back().read;
        }
        if (outer) {
            message.SetHeaderValue("Content-Length", std::to_string(length));
            made.push_back(message.SourceHead());
            pieces.front() = made.back();
        }
    }
    TransparentStream stream(std::move(pieces), std::move(sources));
    const auto size = static_cast<std::int64_t>(stream.size());
    if (m_sizeLimit > 0 && size > m_sizeLimit) {
        m_sizeRefusal = SizeRefusalText(m_sizeLimit, size);
        m_talk->Reply = m_sizeRefusal;
        return false;
    }
    if (!exchange("DATA" + CrLf, cmdData)) {
        if (replyCode(m_talk->Reply) == 552)
            m_sizeRefusal = SizeRefusalText(m_sizeLimit, size);
        return false;
    }
    m_talk->PacketSize = PacketSize;
    m_talk->SendStream(stream.size(), [&stream](std::size_t maxBytes) { return stream.next(maxBytes); }, CrLf,
                       cmdEndOfData);
    if (!m_talk->SentWhole()) {
        const std::string reply = m_talk->Reply;
        m_talk->Reset();
        Disconnect();
        m_talk->Reply = reply;
        if (replyCode(reply) == 552)
            m_sizeRefusal = SizeRefusalText(m_sizeLimit, size);
        return false;
    }
    m_talk->WaitReply();
    if (!m_talk->ReplyOk && replyCode(m_talk->Reply) == 552)
        m_sizeRefusal = SizeRefusalText(m_sizeLimit, size);
    return m_talk->ReplyOk;
}

// ---------------------------------------------------------------- operations

bool TSMTP::Connect()
{
    if (m_connected || m_talk->Active())
        return false;
    if (Host.empty() || Port < 1 || Port > 65535)
        return false;
    if (breaksCommand(LocalName))
        fail("Invalid address");

    if (IsNumericAddress(Host))
        m_talk->SetAddress(QString::fromLatin1(Host.data(), static_cast<qsizetype>(Host.size())));
    else
        m_talk->SetHost(QString::fromLatin1(Host.data(), static_cast<qsizetype>(Host.size())));
    m_loginReady = false;
    m_talk->SetPort(static_cast<quint16>(Port));

    m_authPlain = false;
    m_bearerMechanism.clear();
    m_tokenRefused = false;
    m_tlsOffered = false;
    m_capabilities.clear();
    m_sizeLimit = 0;
    m_untrusted.reset();
    m_talk->SetExtraCaCertificates(TrustedCertificates);
    QList<QByteArray> digests;
    for (const QString &fingerprint : TrustedFingerprints)
        if (const std::optional<QByteArray> digest = CertificateFacts::digestOf(fingerprint))
            digests << *digest;
    m_talk->SetTrustedDigests(digests);

    const bool implicitTls = Security == SmtpSecurity::Tls || (Security == SmtpSecurity::Automatic && Port == ImplicitTlsPort);
    if (implicitTls && !TSocketTalk::TlsAvailable())
        return tlsFailure("this system has no TLS support (the OpenSSL backend of Qt Network is missing)");
    // The time-out covers lookup, connection (and handshake) and greeting together.
    m_talk->StartWait(cmdGreeting);
    if (implicitTls)
        m_talk->OpenEncrypted();
    else
        m_talk->Open();
    m_talk->WaitReply();
    if (!m_talk->ReplyOk) {
        m_connected = false;
        if (!m_talk->TlsError.empty())
            return handshakeFailure();
        return false;
    }

    // Known once connected: the address literal is that of this end of the connection.
    const std::string name = heloName();
    bool result = false;
    bool last = ehlo(name);
    if (last && !m_talk->IsEncrypted() && Security != SmtpSecurity::None && offers("STARTTLS")) {
        m_tlsOffered = true;
        if (!startTls())
            return false;
        last = ehlo(name);
    } else if (Security == SmtpSecurity::StartTls && !m_talk->IsEncrypted()) {
        return tlsFailure(last ? "the server does not offer STARTTLS, and the connection security asks for it"
                               : "the server refused EHLO, so it cannot offer STARTTLS, and the connection "
                                 "security asks for it");
    }
    if (last) {
        m_connected = true;
        if (BearerLogin) {
            // A token goes only with the mechanism made for it; nothing is probed.
            if (offersAuth("OAUTHBEARER"))
                m_bearerMechanism = "OAUTHBEARER";
            else if (offersAuth("XOAUTH2"))
                m_bearerMechanism = "XOAUTH2";
            m_loginReady = !m_bearerMechanism.empty();
        } else if (offersAuth("PLAIN")) {
            // PLAIN carries the credentials in its first command, so it waits for Login;
            // no LOGIN is tried first (a server logs every failed one).
            m_authPlain = true;
            m_loginReady = true;
        } else {
            // LOGIN is probed when the server offers it, and also when it lists no
            // mechanism at all, as older servers do.
            last = exchange("AUTH LOGIN" + CrLf, cmdAuthLogin);
            m_loginReady = last;
            if (!last)
                last = exchange("NOOP" + CrLf, cmdNoop);
        }
        result = true;
    } else {
        last = exchange("HELO " + name + CrLf, cmdHelo);
        result = last;
    }
    m_connected = last;
    return result;
}

bool TSMTP::ehlo(const std::string &name)
{
    m_capabilities.clear();
    m_sizeLimit = 0;
    if (!exchange("EHLO " + name + CrLf, cmdEhlo))
        return false;
    m_capabilities = ehloCapabilities(m_talk->Reply);
    m_sizeLimit = sizeCapability(m_capabilities);
    return true;
}

// STARTTLS, the handshake, and nothing of the cleartext part kept. Any failure ends the
// session: the server offered TLS, so the session does not go on without it.
bool TSMTP::startTls()
{
    if (!TSocketTalk::TlsAvailable())
        return tlsFailure("the server offers STARTTLS, but this system has no TLS support "
                          "(the OpenSSL backend of Qt Network is missing)");
    if (!exchange("STARTTLS" + CrLf, cmdStartTls)) {
        std::string reply = m_talk->Reply;
        while (!reply.empty() && (reply.back() == '\r' || reply.back() == '\n'))
            reply.pop_back();
        return tlsFailure(reply.empty() ? "no answer to STARTTLS" : "the server refused STARTTLS: " + reply);
    }
    m_capabilities.clear();
    if (!m_talk->StartTls())
        return handshakeFailure();
    return true;
}

// A failed handshake; when the certificate failed the checks, its facts are kept for
// the caller, who may ask the person whether to trust it.
bool TSMTP::handshakeFailure()
{
    if (!m_talk->RejectedCertificate.isNull()) {
        CertificateFacts facts = CertificateFacts::of(m_talk->RejectedCertificate, m_talk->RejectedErrors, Host, Port);
        facts.changed = !TrustedFingerprints.isEmpty();
        m_untrusted = facts;
    }
    return tlsFailure(m_talk->TlsError);
}

bool TSMTP::tlsFailure(const std::string &reason)
{
    m_talk->Reset();
    m_talk->Abort();
    m_talk->Reply = "TLS: " + reason;
    m_connected = false;
    m_loginReady = false;
    m_authPlain = false;
    return false;
}

bool TSMTP::Login(const std::string &userName, const std::string &password)
{
    if (!m_connected || !m_loginReady || !m_talk->IsConnected())
        return false;
    // Never on a connection that was offered TLS and is not encrypted.
    if (m_tlsOffered && !m_talk->IsEncrypted())
        return false;
    if (breaksCommand(userName) || breaksCommand(password))
        fail("Invalid login text");
    if (m_authPlain) {
        // RFC 4616: no authorisation identity, the user name and the password, each
        // after a NUL, sent with the command as its initial response.
        const std::string response = std::string(1, '\0') + userName + '\0' + password;
        return exchange("AUTH PLAIN " + Base64EncodeString(response) + CrLf, cmdAuthPlain);
    }
    if (!exchange(Base64EncodeString(userName) + CrLf, cmdUserName))
        return false;
    return exchange(Base64EncodeString(password) + CrLf, cmdPassword);
}

std::string TSMTP::BearerResponse(bool oauthBearer, const std::string &userName, const std::string &host, int port,
                                  const std::string &accessToken)
{
    const char ctrlA = '\x01';
    if (!oauthBearer)
        return "user=" + userName + ctrlA + "auth=Bearer " + accessToken + ctrlA + ctrlA;
    // RFC 7628 3.1: the GS2 header names the user, "," and "=" in it written =2C and =3D.
    std::string saslName;
    for (const char c : userName) {
        if (c == ',')
            saslName += "=2C";
        else if (c == '=')
            saslName += "=3D";
        else
            saslName += c;
    }
    return "n,a=" + saslName + "," + ctrlA + "host=" + host + ctrlA + "port=" + std::to_string(port) + ctrlA
           + "auth=Bearer " + accessToken + ctrlA + ctrlA;
}

bool TSMTP::LoginBearer(const std::string &userName, const std::string &accessToken)
{
    m_tokenRefused = false;
    if (!m_connected || !m_talk->IsConnected())
        return false;
    // Whoever reads the connection could use the token as the person for an hour.
    if (!m_talk->IsEncrypted()) {
        m_talk->Reply = "The access token is sent only over an encrypted connection (TLS), and this connection to "
                        + Host + " is not encrypted: choose SSL/TLS or STARTTLS as the connection security";
        return false;
    }
    if (m_bearerMechanism.empty()) {
        m_talk->Reply = "The server " + Host + " offers no login with an access token (OAUTHBEARER or XOAUTH2)";
        return false;
    }
    if (breaksCommand(userName) || breaksCommand(accessToken) || accessToken.find('\x01') != std::string::npos)
        fail("Invalid login text");
    const bool oauthBearer = m_bearerMechanism == "OAUTHBEARER";
    const std::string response = BearerResponse(oauthBearer, userName, Host, Port, accessToken);
    if (exchange("AUTH " + m_bearerMechanism + " " + Base64EncodeString(response) + CrLf, cmdAuthBearer))
        return true;
    const int code = replyCode(m_talk->Reply);
    if (code == 334) {
        // The server's error, in JSON (RFC 7628 3.2.2): the client answers it (^A for
        // OAUTHBEARER, an empty line for XOAUTH2) and the server ends with a failure.
        const std::string challenge = m_talk->Reply.size() > 4 ? m_talk->Reply.substr(4) : std::string();
        const std::string error = QByteArray::fromBase64(QByteArray::fromStdString(challenge).trimmed()).toStdString();
        exchange((oauthBearer ? Base64EncodeString("\x01") : std::string()) + CrLf, cmdBearerErrorAnswer);
        m_tokenRefused = true;
        const bool printable = std::all_of(error.begin(), error.end(), [](char c) { return c >= ' ' && c <= '~'; });
        if (!error.empty() && printable && error.size() < 1000) {
            while (!m_talk->Reply.empty() && (m_talk->Reply.back() == '\r' || m_talk->Reply.back() == '\n'))
                m_talk->Reply.pop_back();
            m_talk->Reply += " " + error;
        }
        return false;
    }
    m_tokenRefused = code == 535;
    return false;
}

bool TSMTP::SendMail()
{
    TMailMessage *message = MailMessage;
    if (!message)
        fail("MailMessage unassigned");
    // The addresses themselves, not their comma text: nothing is quoted to be split again.
    std::vector<std::string> addresses;
    for (const TMailRecipients *recipients : {&message->ToRecipients, &message->CcRecipients, &message->BccRecipients}) {
        // A recipient that is no address is refused before anything is sent.
        if (const std::string error = recipients->Error(); !error.empty())
            throw AppError(Name + ": " + error);
        const std::vector<std::string> &list = recipients->Addresses();
        addresses.insert(addresses.end(), list.begin(), list.end());
    }
    return SendMailTo(message->FromAddress(), addresses);
}

bool TSMTP::SendMailTo(const std::string &sender, const std::string &recipients)
{
    std::vector<std::string> addresses = TMailRecipients::SplitCommaText(recipients);
    // The comma text ends at a zero byte. What follows it stays one more item, which the
    // envelope refuses as an invalid address rather than dropping it unseen.
    const std::size_t zero = recipients.find('\0');
    if (zero != std::string::npos)
        addresses.push_back(recipients.substr(zero));
    return SendMailTo(sender, addresses);
}

bool TSMTP::SendMailTo(const std::string &sender, const std::vector<std::string> &recipients)
{
    if (!m_connected || !m_talk->IsConnected())
        return false;
    TMailMessage *message = MailMessage;
    if (!message)
        fail("MailMessage unassigned");
    if (message->NeedRebuild && !RebuildWhileSending)
        fail("MailMessage need rebuild");
    const std::vector<std::string> addresses = EnvelopeOrder(recipients);
    if (addresses.empty())
        fail("No recipients to send message");
    if (breaksCommand(sender) || std::any_of(addresses.begin(), addresses.end(), breaksCommand))
        fail("Invalid address");
    m_sizeRefusal.clear();

    if (!exchange("MAIL FROM: <" + sender + ">" + CrLf, cmdMailFrom))
        return false;
    for (const std::string &address : addresses)
        if (!exchange("RCPT TO: <" + address + ">" + CrLf, cmdRcptTo))
            return false;

    // Named after the sender's domain (else the server's name), never the local address:
    // the sender's network address is nobody's business.
    message->SetMessageId(message->MessageIdDomain(Host));
    // The "Bcc" field travels in the envelope only; the message gets it back afterwards,
    // whatever happens, and keeps its new Message-ID.
    const auto savedHeaders = message->Headers;
    while (message->HasHeader("Bcc"))
        message->SetHeaderValue("Bcc", "");
    bool result = false;
    try {
        result = sendText(*message);
    } catch (...) {
        message->Headers = savedHeaders;
        throw;
    }
    message->Headers = savedHeaders;
    return result;
}

bool TSMTP::Quit()
{
    if (!m_connected || !m_talk->IsConnected())
        return false;
    // QUIT is never awaited: hand it over and close.
    m_talk->SendCommand("QUIT" + CrLf, CrLf, cmdQuit);
    m_talk->Close();
    m_talk->Reset();
    m_connected = false;
    return true;
}

void TSMTP::Disconnect()
{
    m_talk->Abort();
    m_connected = false;
}

// ---------------------------------------------------------------- text helpers

std::vector<std::string> TSMTP::SplitRecipients(const std::string &list)
{
    return EnvelopeOrder(TMailRecipients::SplitCommaText(list));
}

std::vector<std::string> TSMTP::EnvelopeOrder(std::vector<std::string> items)
{
    std::erase_if(items, [](const std::string &item) { return item.empty(); });

    // A stable sort keeps equal addresses in list order, so the first spelling stays.
    std::stable_sort(items.begin(), items.end(),
                     [](const std::string &a, const std::string &b) { return compareIgnoringAsciiCase(a, b) < 0; });
    items.erase(std::unique(items.begin(), items.end(),
                            [](const std::string &a, const std::string &b) { return compareIgnoringAsciiCase(a, b) == 0; }),
                items.end());
    return items;
}

std::string TSMTP::TransparentText(const std::string &text)
{
    TransparentStream stream({text});
    std::string out;
    out.reserve(stream.size());
    for (std::string_view piece = stream.next(64 * 1024); !piece.empty(); piece = stream.next(64 * 1024))
        out += piece;
    return out;
}
