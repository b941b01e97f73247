#pragma once

#include "send/SendFailure.h"

#include <QObject>
#include <QPointer>

class QAbstractSocket;
class TSMTP;

// Follows the socket of one SMTP session for the send dialog: tells each step of the
// connection as it happens (connected, securing it with TLS, secured) and keeps how far
// it got and what the socket reported, so that a failure can be told with its reason.
class SmtpStepWatch : public QObject
{
    Q_OBJECT

public:
    // The session must outlive the watch.
    explicit SmtpStepWatch(TSMTP &session, QObject *parent = nullptr);

    // A new connection attempt: forgets what the last one reached.
    void start();
    // What is known about the attempt, with the session's host, port, time-out and last reply.
    SendFailure::Facts facts() const;

signals:
    // The text of a step, for the status line.
    void step(const QString &text);

private:
    void onState(int state);
    void onError(int error);

    TSMTP &m_session;
    QPointer<QAbstractSocket> m_socket;
    SendFailure::Reached m_reached = SendFailure::Reached::Nothing;
    std::optional<QAbstractSocket::SocketError> m_error;
    QString m_errorText;
};
