#include "send/SendFailure.h"

QString SendFailure::trimmedReply(const QString &reply)
{
    qsizetype end = reply.size();
    while (end > 0 && (reply.at(end - 1) == QLatin1Char('\r') || reply.at(end - 1) == QLatin1Char('\n')))
        --end;
    return reply.left(end);
}

namespace {

QString socketReason(const SendFailure::Facts &facts)
{
    switch (*facts.socketError) {
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("The server name %1 was not found. Check the server's name in the SMTP account "
                              "and the network connection.")
            .arg(facts.host);
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("%1 refused the connection on port %2: no mail server answers there. Check the "
                              "server's name and port in the SMTP account.")
            .arg(facts.host)
            .arg(facts.port);
    case QAbstractSocket::RemoteHostClosedError:
        return QStringLiteral("The server %1 closed the connection.").arg(facts.host);
    default:
        return facts.socketErrorText.isEmpty() ? QStringLiteral("The connection to %1 failed.").arg(facts.host)
                                               : facts.socketErrorText;
    }
}

QString silence(const SendFailure::Facts &facts)
{
    switch (facts.reached) {
    case SendFailure::Reached::Nothing:
    case SendFailure::Reached::Connecting:
        return QStringLiteral("No connection to %1 on port %2 within %3 seconds.")
            .arg(facts.host)
            .arg(facts.port)
            .arg(facts.timeOut);
    case SendFailure::Reached::Connected:
        return QStringLiteral("The server %1 did not answer within %2 seconds.").arg(facts.host).arg(facts.timeOut);
    case SendFailure::Reached::Closed:
        break;
    }
    return QStringLiteral("The server %1 closed the connection.").arg(facts.host);
}

} // namespace

QString SendFailure::connectReason(const Facts &facts)
{
    if (facts.port < 1 || facts.port > 65535)
        return QStringLiteral("The port %1 is not a port number (1 to 65535). Check the SMTP account.").arg(facts.port);
    if (facts.host.trimmed().isEmpty())
        return QStringLiteral("No SMTP server is set. Check the SMTP account.");
    const QString reply = trimmedReply(facts.lastReply);
    // The session words a refused encryption itself, whole.
    if (reply.startsWith(QLatin1String("TLS: ")))
        return reply;
    if (!reply.isEmpty())
        return QStringLiteral("The server answered: ") + reply;
    if (facts.socketError)
        return socketReason(facts);
    return silence(facts);
}

QString SendFailure::replyReason(const Facts &facts)
{
    const QString reply = trimmedReply(facts.lastReply);
    if (!reply.isEmpty())
        return reply;
    if (facts.socketError)
        return socketReason(facts);
    return silence(facts);
}

QString SendFailure::loginReason(const Facts &facts)
{
    const QString reply = trimmedReply(facts.lastReply);
    return reply.isEmpty() ? replyReason(facts) : QStringLiteral("The server answered: ") + reply;
}
