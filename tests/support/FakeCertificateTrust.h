#pragma once

#include "smtp/CertificateTrust.h"

#include <QList>
#include <QQueue>

// Answers the certificate question from a queue (empty: Cancel, as the real dialog's
// default) and records what was asked.
class FakeCertificateTrust : public CertificateTrust
{
public:
    QQueue<bool> answers;
    QList<CertificateFacts> asked;

    bool trustCertificate(const CertificateFacts &facts) override
    {
        asked.append(facts);
        return !answers.isEmpty() && answers.dequeue();
    }
};
