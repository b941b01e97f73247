#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A real SMTP server for end-to-end tests: Debian's python3-aiosmtpd running
// tests/support/smtp_sink.py on 127.0.0.1 with a free port.
//
//     AiosmtpdServer server;
//     server.setLogin("user", "secret");      // optional: AUTH LOGIN without TLS
//     QVERIFY2(server.start(), qPrintable(server.errorString()));
//     smtp.Host = server.host(); smtp.Port = server.port();
//     ... send ...
//     const QList<AiosmtpdServer::Mail> mails = server.mails();
//
// Without setLogin() the server refuses AUTH LOGIN with a 5xx reply (as a server
// without login support does) and takes mail without logging in. With setLogin() only
// that user name and password are accepted; mail without login is still taken.
// The server stops in stop() and in the destructor; received mails lie in folder(),
// a temporary folder removed with the object.
class AiosmtpdServer
{
public:
    struct Mail
    {
        QByteArray content;          // the message bytes as received (dot-stuffing removed)
        QByteArray mailFrom;         // MAIL FROM address
        QList<QByteArray> rcptTos;   // RCPT TO addresses in the order received
        QByteArray login;            // user name of the session's login; empty without one
    };

    AiosmtpdServer();
    ~AiosmtpdServer();
    AiosmtpdServer(const AiosmtpdServer &) = delete;
    AiosmtpdServer &operator=(const AiosmtpdServer &) = delete;

    // Before start(): the one user name and password that AUTH LOGIN accepts.
    void setLogin(const QByteArray &user, const QByteArray &password);
    // Before start(): largest mail accepted (default 64 MB).
    void setSizeLimit(qint64 bytes);
    // Before start(): TLS with this certificate chain and key (PEM files). Without
    // implicit, the server offers STARTTLS and requires it before mail and AUTH; with
    // implicit, it speaks TLS from the first byte (as servers on port 465 do).
    void setTls(const QString &certificateFile, const QString &keyFile, bool implicit = false);
    // Before start(): an AUTH mechanism ("LOGIN", "PLAIN") the server does not offer.
    void excludeAuth(const QString &mechanism);
    // Before start(): XOAUTH2 and OAUTHBEARER offered, accepting the access tokens listed
    // in this file (one a line, read at each login; a refused one gets the JSON error
    // challenge, then 535). Without TLS, AUTH is then offered in cleartext too.
    void setBearerTokens(const QString &file);
    // Python interpreter and script; defaults: VELLORN_PYTHON3 and
    // VELLORN_SUPPORT_DIR "/smtp_sink.py" (benchmarks set them when the macros are absent).
    void setPaths(const QString &python, const QString &script);

    // Starts the server and waits until it listens. False (see errorString()) when python3
    // or aiosmtpd is missing or the server did not report its port in time.
    bool start(int timeoutMs = 20000);
    void stop();
    bool isRunning() const;

    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return m_port; }
    QString folder() const;
    QString errorString() const { return m_error; }

    // Mails received so far, oldest first. A mail is listed once the server has
    // accepted it (before it sent its "250" to the client).
    QList<Mail> mails() const;
    // The EHLO and AUTH commands received so far, oldest first: "EHLO name", "AUTH PLAIN"
    // (the mechanism only).
    QList<QByteArray> commands() const;
    // Deletes the mails received so far (and the command log).
    void clearMails();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;
    QByteArray m_user;
    QByteArray m_password;
    bool m_hasLogin = false;
    qint64 m_sizeLimit = 64 * 1024 * 1024;
    QStringList m_tlsArgs;
    QStringList m_authExclude;
    QStringList m_bearerArgs;
    QString m_python;
    QString m_script;
    quint16 m_port = 0;
    QString m_error;
};
