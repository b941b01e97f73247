#include "send/windows/TFM_Send.h"
#include "tools/shots/ShotContext.h"
#include "tools/shots/ShotRegistry.h"

#include <QLabel>
#include <QMessageBox>
#include <QDateTime>
#include <QProgressBar>

// Halfway through the second of three mails.
static const bool added = ShotRegistry::add(QStringLiteral("send-dialog"), [](ShotContext &c) -> QWidget * {
    auto *dialog = new TFM_Send(c.services());
    dialog->LB_p->setText(QStringLiteral("Total: 3 Left: 1"));
    dialog->ShowStatus(QStringLiteral("Sending mail..."), QStringLiteral("Show"));
    dialog->PB->setValue(45);
    return dialog;
});

// A failure with its whole reason: the window has grown to show it.
static const bool addedFailure = ShotRegistry::add(QStringLiteral("send-dialog-error"), [](ShotContext &c) -> QWidget * {
    auto *dialog = new TFM_Send(c.services());
    dialog->LB_p->setText(QStringLiteral("Total: 3 Left: 2"));
    dialog->show();
    dialog->ShowStatus(QStringLiteral("Connect error!\r\nTLS: The host name did not match any of the valid hosts for "
                                      "this certificate; The certificate is self-signed, and untrusted"),
                       QStringLiteral("Show"));
    return dialog;
});

// The question about a certificate that failed the checks (a self-signed one).
static const bool addedCertificate = ShotRegistry::add(QStringLiteral("certificate-question"), [](ShotContext &c) -> QWidget * {
    auto *dialog = new TFM_Send(c.services());
    CertificateFacts facts;
    facts.host = "mail.example.org";
    facts.port = 587;
    facts.subject = QStringLiteral("mail.example.org, Example Ltd");
    facts.issuer = facts.subject;
    facts.validFrom = QDateTime(QDate(2026, 1, 5), QTime(9, 0), Qt::UTC);
    facts.validUntil = QDateTime(QDate(2027, 1, 5), QTime(9, 0), Qt::UTC);
    facts.fingerprint = CertificateFacts::written(QByteArray::fromHex(
        "3f1a9c0b7d22e4a5968801bc3d4e5f60718293a4b5c6d7e8f901122334455667"));
    facts.reasons = {QStringLiteral("self-signed")};
    QMessageBox *box = dialog->certificateQuestion().makeBox(facts);
    box->setParent(nullptr);
    delete dialog;
    return box;
});
