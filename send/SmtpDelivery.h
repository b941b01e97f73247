#pragma once

#include "send/SmtpAccount.h"

#include <QStringList>
#include <functional>
#include <optional>

class CertificateFacts;
class TMailMessage;
class TSMTP;

// The one way a mail goes to an SMTP server: connect (trusting a pinned certificate, or
// one the person accepts when asked), log in when the server offers it, send, quit. The
// send dialog's job and vellorn-cli send both drive a session through it; what they say
// at each step and how they word a failure is theirs, told through the hooks.
class SmtpDelivery
{
public:
    enum class Step { Connect, Login, Send };

    // The session must outlive the delivery.
    explicit SmtpDelivery(TSMTP &session);

    // Asked when the server's certificate fails the normal checks: true trusts exactly
    // that certificate for the server (kept in the pins file when there is one) and
    // connects once more. Unset: the connect fails with the certificate's facts.
    std::function<bool(const CertificateFacts &facts)> trustCertificate;
    // Before each step, and before each attempt to connect (a second one follows a trust).
    std::function<void(Step step)> stepStarting;
    std::function<void()> connectAttempt;
    // For an OAuth2 login, before an access token is asked for: the first (signing in with
    // the kept sign-in), or a new one after the server refused the last.
    enum class Access { SigningIn, Refreshing };
    std::function<void(Access access)> accessStarting;
    // After a step succeeded.
    std::function<void(Step step)> stepDone;
    // Asked between steps; true stops the delivery (failedStep() is then empty). A
    // question about a certificate that is cancelled answers no itself.
    std::function<bool()> isCancelled;

    // The server and login for the following steps. Fingerprints trusted during earlier
    // deliveries of this object (which could not be kept) stay trusted.
    void setAccount(const SmtpAccount &account);
    // Forgets the fingerprints trusted without being kept.
    void forgetTrusted() { m_trustedThisRun.clear(); }

    // Connect, Login (when offered) and Send of `message`; the session stays connected
    // after a success, so that the caller may send more or Quit. False when a step failed
    // (failedStep() names it; the session has the server's last reply) or was cancelled.
    bool deliver(TMailMessage &message);
    // Connect and Login (when offered) as deliver() does, then Quit without sending: a
    // test of the account. The hooks are told as for deliver(); false when a step failed
    // (failedStep() names it) or was cancelled, and the session is then closed.
    bool check();
    // The single steps, for a caller that tests a connection without sending.
    bool connect();
    bool login();
    bool send(TMailMessage &message);
    void quit();

    std::optional<Step> failedStep() const { return m_failed; }
    // Why the login failed before the server was asked: no access token (then whether
    // only a new sign-in helps), or a token the connection may not carry. Empty when the
    // server's reply tells.
    const QString &accessProblem() const { return m_accessProblem; }
    bool signInAgain() const { return m_signInAgain; }

private:
    bool cancelled() const { return isCancelled && isCancelled(); }
    bool fail(Step step);
    bool bearerLogin();
    bool tokenProblem(const AccessToken &token);
    void starting(Step step);

    TSMTP &m_session;
    SmtpAccount m_account;
    QStringList m_trustedThisRun;
    std::optional<Step> m_failed;
    QString m_accessProblem;
    bool m_signInAgain = false;
};
