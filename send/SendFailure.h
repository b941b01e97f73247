#pragma once

#include <QAbstractSocket>
#include <QString>
#include <optional>

// Why a step of an SMTP send failed, in words the user can act on, from what the session
// and its socket reported: the send dialog shows it under its short message ("Connect
// error!", "Login error! ..."), so that a failure is never told without its reason.
class SendFailure
{
public:
    // How far the connection got.
    enum class Reached { Nothing, Connecting, Connected, Closed };

    struct Facts
    {
        QString host;
        int port = 25;
        int timeOut = 60; // seconds
        QString lastReply; // what the server last said, as received (CR LF kept)
        Reached reached = Reached::Nothing;
        std::optional<QAbstractSocket::SocketError> socketError;
        QString socketErrorText;
    };

    // Why Connect failed: a refused encryption ("TLS: ..." as the session words it), the
    // server's refusal, a name that was not found, a refused connection, a time-out.
    static QString connectReason(const Facts &facts);
    // Why a send failed: the server's words, or why there were none.
    static QString replyReason(const Facts &facts);
    // Why a login failed: "The server answered: " and its words, or why there were none.
    static QString loginReason(const Facts &facts);

    // The server's reply without its final line break; lines keep their CR LF.
    static QString trimmedReply(const QString &reply);
};
