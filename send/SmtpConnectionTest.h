#pragma once

#include "send/SmtpAccount.h"

#include <QString>
#include <functional>
#include <vector>

class CertificateFacts;
class TSMTP;

// Tests an account without sending: connect, EHLO, TLS, AUTH and QUIT through
// SmtpDelivery (so every login kind it knows applies), each step with the server's own
// words, and, when a step fails, what to change ("port 587 needs STARTTLS", "the server
// does not accept this password", ...). The connection dialog's "Test settings" and
// vellorn-cli account test both show its outcome.
class SmtpConnectionTest
{
public:
    struct Step
    {
        QString name;  // "Connect", "EHLO", "TLS", "AUTH", "QUIT"
        bool ok = false;
        QString words; // what the server said, or what happened
    };

    struct Outcome
    {
        std::vector<Step> steps;
        // Every step passed.
        bool passed = false;
        // What to change when a step failed; a warning (cleartext) when all passed.
        QString advice;
    };

    // The existing trust question: asked when the server's certificate fails the checks.
    std::function<bool(const CertificateFacts &facts)> trustCertificate;
    std::function<bool()> isCancelled;

    Outcome run(TSMTP &session, const SmtpAccount &account);

    // The outcome for people: a line per step ("EHLO: ok - 250 ..."), then what to change.
    static QString report(const Outcome &outcome);
};
