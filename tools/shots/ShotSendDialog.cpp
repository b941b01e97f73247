#include "ShotContext.h"
#include "ShotRegistry.h"
#include "TFM_Send.h"

#include <QLabel>
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
