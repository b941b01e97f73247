#pragma once

#include "smtp/CertificateFacts.h"

// Asks the person whether to trust a server's certificate that failed the normal checks.
// The send job calls it and waits for the answer; a window answers with a dialog whose
// default is Cancel, tests with a fake. Nothing is trusted without a yes.
class CertificateTrust
{
public:
    virtual ~CertificateTrust() = default;
    // True: trust exactly this certificate for this server from now on.
    virtual bool trustCertificate(const CertificateFacts &facts) = 0;
};
