#include "send/SmtpConnectionTest.h"

#include "send/SmtpDelivery.h"
#include "smtp/CertificateFacts.h"
#include "smtp/TSMTP.h"

namespace {

QString lastWords(const TSMTP &session)
{
    return QString::fromUtf8(session.LastReply()).trimmed();
}

QString server(const SmtpAccount &a)
{
    return QStringLiteral("%1:%2").arg(QString::fromStdString(a.host)).arg(a.port);
}

// What to change when the connection failed, from what the session last said.
QString connectAdvice(const TSMTP &session, const SmtpAccount &a, const QString &words)
{
    if (const std::optional<CertificateFacts> &facts = session.UntrustedCertificate()) {
        if (facts->reasons.contains(QStringLiteral("self-signed")))
            return QStringLiteral("the certificate is self-signed: trust it only when you know it is your server's");
        return QStringLiteral("the certificate is not trusted (%1)").arg(facts->reasons.join(QStringLiteral(", ")));
    }
    const bool implicitTls = a.security == SmtpSecurity::Tls || (a.security == SmtpSecurity::Automatic && a.port == 465);
    if (words.contains(QLatin1String("does not offer STARTTLS")) || words.contains(QLatin1String("cannot offer STARTTLS")))
        return QStringLiteral("the server does not offer STARTTLS on port %1: use port 465 with TLS").arg(a.port);
    if (words.startsWith(QLatin1String("TLS:")) && implicitTls && a.port != 465)
        return QStringLiteral("port %1 needs STARTTLS: set the connection security to STARTTLS").arg(a.port);
    if (!implicitTls && a.port == 465 && !words.startsWith(QLatin1String("TLS:")))
        return QStringLiteral("port 465 needs TLS from the first byte: set the connection security to TLS");
    if (words.startsWith(QLatin1String("TLS:")))
        return QStringLiteral("the encrypted connection failed (%1)").arg(words.mid(5));
    if (words.isEmpty())
        return QStringLiteral("no SMTP server answered at %1: check the host name and the port").arg(server(a));
    return QStringLiteral("the server refused the connection: %1").arg(words);
}

QString loginAdvice(const QString &words)
{
    if (words.startsWith(QLatin1String("535")))
        return QStringLiteral("the server does not accept this password (or this user name)");
    if (words.startsWith(QLatin1String("534")) || words.startsWith(QLatin1String("538")))
        return QStringLiteral("the server wants another way of logging in: %1").arg(words);
    if (words.isEmpty())
        return QStringLiteral("the server did not answer the login");
    return QStringLiteral("the server refused the login: %1").arg(words);
}

} // namespace

SmtpConnectionTest::Outcome SmtpConnectionTest::run(TSMTP &session, const SmtpAccount &account)
{
    Outcome out;
    SmtpDelivery delivery(session);
    delivery.trustCertificate = trustCertificate;
    delivery.isCancelled = isCancelled;
    delivery.setAccount(account);
    bool encrypted = false;
    const auto add = [&](const QString &name, bool ok, const QString &words) { out.steps.push_back({name, ok, words}); };

    delivery.stepDone = [&](SmtpDelivery::Step step) {
        if (step == SmtpDelivery::Step::Connect) {
            add(QStringLiteral("Connect"), true, server(account));
            add(QStringLiteral("EHLO"), true, lastWords(session));
            encrypted = session.Encrypted();
            if (encrypted)
                add(QStringLiteral("TLS"), true,
                    account.security == SmtpSecurity::Tls
                            || (account.security == SmtpSecurity::Automatic && account.port == session.ImplicitTlsPort)
                        ? QStringLiteral("encrypted from the first byte")
                        : QStringLiteral("encrypted after STARTTLS"));
            else
                add(QStringLiteral("TLS"), true, QStringLiteral("not encrypted"));
            if (!session.LoginReady())
                add(QStringLiteral("AUTH"), true, QStringLiteral("the server offers no login; mails go without one"));
        } else if (step == SmtpDelivery::Step::Login) {
            add(QStringLiteral("AUTH"), true, lastWords(session));
        }
    };

    if (delivery.check()) {
        add(QStringLiteral("QUIT"), true, QStringLiteral("closed without sending"));
        out.passed = true;
        if (!encrypted)
            out.advice = QStringLiteral("the connection is not encrypted: the password and the mails travel readable");
        return out;
    }
    if (!delivery.failedStep()) {
        out.advice = QStringLiteral("cancelled");
        return out;
    }
    const QString words = lastWords(session);
    switch (delivery.failedStep().value_or(SmtpDelivery::Step::Connect)) {
    case SmtpDelivery::Step::Connect: {
        const bool tls = words.startsWith(QLatin1String("TLS:")) || session.UntrustedCertificate().has_value();
        add(tls ? QStringLiteral("TLS") : QStringLiteral("Connect"), false, words);
        out.advice = connectAdvice(session, account, words);
        break;
    }
    case SmtpDelivery::Step::Login:
    case SmtpDelivery::Step::Send:
        add(QStringLiteral("AUTH"), false, words);
        out.advice = loginAdvice(words);
        break;
    }
    return out;
}

QString SmtpConnectionTest::report(const Outcome &outcome)
{
    QStringList lines;
    for (const Step &step : outcome.steps)
        lines << QStringLiteral("%1: %2 - %3")
                     .arg(step.name, step.ok ? QStringLiteral("ok") : QStringLiteral("failed"),
                          QString(step.words).replace(QLatin1String("\r\n"), QLatin1String(" / ")));
    lines << QString();
    if (outcome.passed)
        lines << (outcome.advice.isEmpty() ? QStringLiteral("Every step passed.")
                                           : QStringLiteral("Every step passed. Warning: ") + outcome.advice + QLatin1Char('.'));
    else
        lines << QStringLiteral("To change: ") + outcome.advice + QLatin1Char('.');
    return lines.join(QLatin1Char('\n'));
}
