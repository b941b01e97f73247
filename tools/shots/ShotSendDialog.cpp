#include "ShotContext.h"
#include "ShotRegistry.h"
#include "TFM_Send.h"

static const bool added = ShotRegistry::add(QStringLiteral("send-dialog"), [](ShotContext &c) -> QWidget * {
    auto *dialog = new TFM_Send(c.services().dialogs, c.services().shell);
    dialog->ShowStatus(QStringLiteral("Sending mail 1 of 2 ..."), QStringLiteral("Show"));
    return dialog;
});
