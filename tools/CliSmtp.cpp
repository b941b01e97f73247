// vellorn-cli send: delivers a mail file through SmtpDelivery, as the send dialog does.

#include "mail/HeaderLineBreaks.h"
#include "mail/TMailMessage.h"
#include "os/LocalTime.h"
#include "send/SmtpDelivery.h"
#include "smtp/CertificateFacts.h"
#include "smtp/TSMTP.h"
#include "text/LineBreaks.h"
#include "tools/CliPrograms.h"
#include "tools/CliRegistry.h"
#include "tools/CliSmtpOptions.h"
#include "tools/CliSupport.h"

#include <cstdio>
#include <string>

namespace {

const char SendUsage[] = "send FILE [--config Config.dat] --host HOST [--port N] [--security auto|tls|starttls|none]"
                         " [--user NAME] [--pass WORD | --pass - | --pass-file FILE] [--timeout S] [--ca-file PEM]"
                         " [--trust SHA256]... [--auth password|oauth2 [--oauth-provider google|microsoft |"
                         " --oauth-token-url URL --oauth-client-id ID [--oauth-client-secret S]]"
                         " [--oauth-refresh-token-file FILE]]";

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

int sendCommand(const QStringList &arguments)
{
    QStringList args = arguments;
    const std::optional<CliSmtpOptions::Server> options = CliSmtpOptions::takeServer(args, QStringLiteral("send"));
    if (!options)
        return 1;
    if (args.size() != 1)
        return Cli::fail(QStringLiteral("usage: ") + QString::fromLatin1(SendUsage));
    const SmtpAccount &server = options->account;

    std::optional<std::string> text = Cli::readFile(args.front());
    if (!text)
        return 1;
    TMailMessage message;
    message.Clear();
    // Mail text is read as the mail store keeps it: every line ending in CR LF.
    HeaderLineBreaks::makeMailCrLf(*text, true);
    // The message takes the text over (its bodies are stretches of it), and the session
    // writes it anew from the parts while sending: the mail is held once.
    message.LoadFromString(std::move(*text));
    // What the recipient gets: the fields in today's form, dated now, and without the
    // hand-over mark of an .eml file ("X-Unsent" asks a mail program to open it as a draft).
    message.RewriteFields();
    while (message.HasHeader("X-Unsent"))
        message.SetHeaderValue("X-Unsent", "");
    message.SetDate(LocalTime::now());

    TSMTP smtp;
    smtp.RebuildWhileSending = true;
    smtp.SetOnProgress([](QObject *, std::int64_t total, std::int64_t current) {
        std::fprintf(stderr, "Sent %lld of %lld bytes\n", static_cast<long long>(current), static_cast<long long>(total));
    });
    // The same steps as the send dialog's, told on standard error; no question is asked.
    SmtpDelivery delivery(smtp);
    delivery.setAccount(server);
    delivery.stepStarting = [&](SmtpDelivery::Step step) {
        switch (step) {
        case SmtpDelivery::Step::Connect:
            stage("Connecting to " + smtp.Host + ":" + std::to_string(smtp.Port));
            break;
        case SmtpDelivery::Step::Login:
            stage("Logging in as " + server.user);
            break;
        case SmtpDelivery::Step::Send:
            stage("Sending the mail from <" + message.FromAddress() + ">");
            break;
        }
    };
    delivery.accessStarting = [&](SmtpDelivery::Access access) {
        stage(access == SmtpDelivery::Access::SigningIn ? "Signing in: getting an access token"
                                                        : "The server refused the access token; refreshing access");
    };
    delivery.stepDone = [&](SmtpDelivery::Step step) {
        switch (step) {
        case SmtpDelivery::Step::Connect: {
            const std::string connected = smtp.Encrypted() ? "Connected over TLS" : "Connected";
            stage(smtp.LoginReady() ? connected + "; the server offers AUTH " + smtp.AuthMechanism() : connected);
            break;
        }
        case SmtpDelivery::Step::Login:
            stage("Logged in");
            break;
        case SmtpDelivery::Step::Send:
            stage("Accepted: " + lastReplyText(smtp));
            break;
        }
    };
    if (!delivery.deliver(message)) {
        int code = 1;
        switch (delivery.failedStep().value_or(SmtpDelivery::Step::Send)) {
        case SmtpDelivery::Step::Connect:
            // The facts of an untrusted certificate, so that the person can judge it and,
            // when it is the right one, give its fingerprint with --trust.
            if (const std::optional<CertificateFacts> &facts = smtp.UntrustedCertificate())
                stage(facts->text().toStdString() + "\nTo trust it for one run: --trust " + facts->fingerprint.toStdString());
            code = failWithReply(smtp, "cannot connect");
            break;
        case SmtpDelivery::Step::Login:
            code = delivery.accessProblem().isEmpty() ? failWithReply(smtp, "login failed")
                                                      : Cli::fail(delivery.accessProblem());
            break;
        case SmtpDelivery::Step::Send:
            code = failWithReply(smtp, "sending failed");
            break;
        }
        smtp.Disconnect();
        return code;
    }
    delivery.quit();
    stage("Quit");
    return 0;
}

CliCommand sendCmd(CliPrograms::SendMail.name, CliPrograms::SendMail.usage, &sendCommand);

} // namespace
