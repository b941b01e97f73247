// vellorn-cli send: delivers a mail file through the SMTP session, as the send dialog does.

#include "CliRegistry.h"
#include "CliSupport.h"
#include "TMailMessage.h"
#include "TSMTP.h"

#include <QSslCertificate>
#include <cstdio>
#include <string>

namespace {

const char SendUsage[] = "send FILE --host HOST [--port N] [--user NAME --pass WORD] [--timeout S] [--ca-file PEM]";

void stage(const std::string &text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

// The server's last reply without its final line break.
std::string lastReplyText(const TSMTP &smtp)
{
    std::string reply = smtp.LastReply();
    while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r'))
        reply.pop_back();
    return reply;
}

int failWithReply(const TSMTP &smtp, const char *what)
{
    const std::string reply = lastReplyText(smtp);
    if (reply.empty())
        std::fprintf(stderr, "Error: %s (no reply from the server)\n", what);
    else
        std::fprintf(stderr, "Error: %s\n", reply.c_str());
    return 1;
}

std::optional<int> numberOption(QStringList &args, const QString &name, int low, int high, bool *error)
{
    const std::optional<QString> text = Cli::takeOption(args, name, error);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int value = text->toInt(&ok);
    if (!ok || value < low || value > high) {
        Cli::fail(QStringLiteral("%1 must be a number from %2 to %3").arg(name).arg(low).arg(high));
        *error = true;
        return std::nullopt;
    }
    return value;
}

int sendCommand(const QStringList &arguments)
{
    QStringList args = arguments;
    bool error = false;
    const std::optional<QString> host = Cli::takeOption(args, QStringLiteral("--host"), &error);
    const std::optional<int> port = numberOption(args, QStringLiteral("--port"), 1, 65535, &error);
    const std::optional<QString> user = Cli::takeOption(args, QStringLiteral("--user"), &error);
    const std::optional<QString> pass = Cli::takeOption(args, QStringLiteral("--pass"), &error);
    const std::optional<int> timeOut = numberOption(args, QStringLiteral("--timeout"), 1, 86400, &error);
    const std::optional<QString> caFile = Cli::takeOption(args, QStringLiteral("--ca-file"), &error);
    if (error)
        return 1;
    if (!host || host->isEmpty())
        return Cli::fail(QStringLiteral("send needs --host HOST"));
    if (args.size() != 1)
        return Cli::fail(QStringLiteral("usage: ") + QString::fromLatin1(SendUsage));

    // A private CA, trusted for this run in addition to the system's store.
    QList<QSslCertificate> trusted;
    if (caFile) {
        const std::optional<std::string> pem = Cli::readFile(*caFile);
        if (!pem)
            return 1;
        trusted = QSslCertificate::fromData(QByteArray::fromStdString(*pem), QSsl::Pem);
        if (trusted.isEmpty())
            return Cli::fail(QStringLiteral("%1 holds no PEM certificate").arg(*caFile));
    }

    const std::optional<std::string> text = Cli::readFile(args.front());
    if (!text)
        return 1;
    TMailMessage message;
    message.Clear();
    // Mail text is read as the mail store keeps it: every line ending in CR LF.
    message.LoadFromString(TMailMessage::JoinLines(TMailMessage::SplitLines(*text)));
    message.Rebuild();

    TSMTP smtp;
    smtp.Host = host->toStdString();
    smtp.Port = port.value_or(25);
    if (timeOut)
        smtp.SetTimeOut(*timeOut);
    smtp.MailMessage = &message;
    smtp.TrustedCertificates = trusted;
    smtp.SetOnProgress([](QObject *, std::int64_t total, std::int64_t current) {
        std::fprintf(stderr, "Sent %lld of %lld bytes\n", static_cast<long long>(current), static_cast<long long>(total));
    });

    stage("Connecting to " + smtp.Host + ":" + std::to_string(smtp.Port));
    if (!smtp.Connect()) {
        const int code = failWithReply(smtp, "cannot connect");
        smtp.Disconnect();
        return code;
    }
    const std::string connected = smtp.Encrypted() ? "Connected over TLS" : "Connected";
    stage(smtp.LoginReady() ? connected + "; the server offers AUTH " + smtp.AuthMechanism() : connected);
    if (smtp.LoginReady()) {
        const std::string name = user.value_or(QString()).toStdString();
        stage("Logging in as " + name);
        if (!smtp.Login(name, pass.value_or(QString()).toStdString())) {
            const int code = failWithReply(smtp, "login failed");
            smtp.Disconnect();
            return code;
        }
        stage("Logged in");
    }
    stage("Sending the mail from <" + message.FromAddress() + ">");
    if (!smtp.SendMail()) {
        const int code = failWithReply(smtp, "sending failed");
        smtp.Disconnect();
        return code;
    }
    stage("Accepted: " + lastReplyText(smtp));
    smtp.Quit();
    stage("Quit");
    return 0;
}

CliCommand sendCmd("send", "send FILE --host HOST [--port N] [--user NAME --pass WORD] [--timeout S] [--ca-file PEM]"
                   "  deliver a mail by SMTP (TLS on port 465, STARTTLS when offered)",
                   &sendCommand);

} // namespace
