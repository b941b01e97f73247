#include "tools/shots/ShotContext.h"
#include "tools/shots/ShotRegistry.h"
#include "ui/WorkerStep.h"

#include <QProgressDialog>

// The progress dialog of a long step (storing a mail with a large attachment), part way.
static const bool added = ShotRegistry::add(QStringLiteral("worker-step"), [](ShotContext &) -> QWidget * {
    QProgressDialog *dialog = WorkerStep::makeDialog(nullptr, QStringLiteral("Storing the mail..."));
    dialog->setWindowModality(Qt::NonModal);
    dialog->setValue(420);
    return dialog;
});
