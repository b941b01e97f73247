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
