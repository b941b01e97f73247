#pragma once

#include "smtp/CertificateTrust.h"

#include <QMessageBox>
#include <QPointer>

// The question asked when a server's certificate fails the checks, by the send dialog and
// by the account's "Test settings" alike: the facts of the certificate, "Trust this
// certificate" and "Cancel", with Cancel the default (Enter and Escape both refuse), so
// that nothing is trusted without a click. What is trusted, the caller keeps (a pin).
class CertificateQuestion : public CertificateTrust
{
public:
    explicit CertificateQuestion(QWidget *parent);

    bool trustCertificate(const CertificateFacts &facts) override;

    // The box while it shows (for tests and screenshots); null otherwise.
    QMessageBox *box() const { return m_box; }
    // Builds the box for the facts without showing it; the caller owns it.
    QMessageBox *makeBox(const CertificateFacts &facts) const;

private:
    QPointer<QWidget> m_parent;
    QPointer<QMessageBox> m_box;
};
