#include "send/SmtpDelivery.h"

#include "config/CertificatePins.h"
#include "smtp/CertificateFacts.h"
#include "smtp/TSMTP.h"

SmtpDelivery::SmtpDelivery(TSMTP &session)
    : m_session(session)
{
}

void SmtpDelivery::setAccount(const SmtpAccount &account)
{
    m_account = account;
    m_session.Host = account.host;
    m_session.Port = account.port;
    m_session.Security = account.security;
    m_session.TrustedCertificates = account.trustedCertificates;
    m_session.BearerLogin = account.auth == SmtpAccount::Auth::OAuth2;
    if (account.timeOut)
        m_session.SetTimeOut(*account.timeOut);
}

void SmtpDelivery::starting(Step step)
{
    if (stepStarting)
        stepStarting(step);
}

bool SmtpDelivery::fail(Step step)
{
    m_failed = step;
    return false;
}

// Connects; when the server's certificate fails the checks and the person trusts it, its
// fingerprint is kept for the server (or for this run, when it cannot be kept) and the
// connection is made once more, accepting exactly that certificate.
bool SmtpDelivery::connect()
{
    m_failed.reset();
    starting(Step::Connect);
    CertificatePins pins(m_account.pinsFile);
    m_session.TrustedFingerprints = m_account.trustedFingerprints + m_trustedThisRun;
    if (!m_account.pinsFile.isEmpty())
        if (const std::string kept = pins.fingerprint(m_session.Host, m_session.Port); !kept.empty())
            m_session.TrustedFingerprints << QString::fromStdString(kept);
    if (connectAttempt)
        connectAttempt();
    if (m_session.Connect())
        return true;
    const std::optional<CertificateFacts> facts = m_session.UntrustedCertificate();
    if (!facts || !trustCertificate || !trustCertificate(*facts))
        return fail(Step::Connect);
    if (m_account.pinsFile.isEmpty() || !pins.trust(m_session.Host, m_session.Port, facts->fingerprint.toStdString()))
        m_trustedThisRun << facts->fingerprint;
    m_session.Disconnect();
    m_session.TrustedFingerprints = QStringList{facts->fingerprint};
    if (connectAttempt)
        connectAttempt();
    return m_session.Connect() || fail(Step::Connect);
}

bool SmtpDelivery::login()
{
    m_failed.reset();
    m_accessProblem.clear();
    m_signInAgain = false;
    if (m_account.auth == SmtpAccount::Auth::OAuth2) {
        starting(Step::Login);
        return bearerLogin() || fail(Step::Login);
    }
    // A server that offers no login takes mail without one.
    if (!m_session.LoginReady())
        return true;
    starting(Step::Login);
    return m_session.Login(m_account.user, m_account.password) || fail(Step::Login);
}

bool SmtpDelivery::tokenProblem(const AccessToken &token)
{
    m_accessProblem = token.problem;
    m_signInAgain = token.signInAgain;
    return false;
}

// The OAuth2 login always happens (the token is the account's only proof); the session
// refuses it on a connection without TLS. A token the server refuses is replaced once by
// a new one from the refresh token; when the provider no longer takes that, only a new
// sign-in helps, and the mail stays unsent.
bool SmtpDelivery::bearerLogin()
{
    if (!m_account.accessToken) {
        m_accessProblem = QStringLiteral("Not signed in: sign in on the SMTP page of the configuration.");
        m_signInAgain = true;
        return false;
    }
    if (!m_session.Encrypted()) {
        // Said before any token is got: the session would refuse to send it anyway.
        return m_session.LoginBearer(m_account.user, std::string());
    }
    if (accessStarting)
        accessStarting(Access::SigningIn);
    AccessToken token = m_account.accessToken(false);
    if (!token.ok())
        return tokenProblem(token);
    if (m_session.LoginBearer(m_account.user, token.token))
        return true;
    if (!m_session.TokenRefused() || cancelled())
        return false;
    if (accessStarting)
        accessStarting(Access::Refreshing);
    token = m_account.accessToken(true);
    if (!token.ok())
        return tokenProblem(token);
    return m_session.LoginBearer(m_account.user, token.token);
}

bool SmtpDelivery::send(TMailMessage &message)
{
    m_failed.reset();
    starting(Step::Send);
    m_session.MailMessage = &message;
    return m_session.SendMail() || fail(Step::Send);
}

void SmtpDelivery::quit()
{
    m_session.Quit();
}

bool SmtpDelivery::deliver(TMailMessage &message)
{
    const auto done = [this](Step step) {
        if (stepDone)
            stepDone(step);
        return !cancelled();
    };
    if (!connect() || !done(Step::Connect))
        return false;
    const bool offered = m_session.LoginReady() || m_account.auth == SmtpAccount::Auth::OAuth2;
    if (!login() || (offered && !done(Step::Login)) || (!offered && cancelled()))
        return false;
    if (!send(message))
        return false;
    // A mail the server took counts as sent, whatever is asked of the job afterwards.
    if (stepDone)
        stepDone(Step::Send);
    return true;
}

bool SmtpDelivery::check()
{
    const auto done = [this](Step step) {
        if (stepDone)
            stepDone(step);
        return !cancelled();
    };
    bool ok = connect() && done(Step::Connect);
    if (ok) {
        const bool offered = m_session.LoginReady();
        ok = login() && (offered ? done(Step::Login) : !cancelled());
    }
    if (ok)
        quit();
    else
        m_session.Disconnect();
    return ok;
}
