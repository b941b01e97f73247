#pragma once

#include "ui/MailBoxHost.h"

#include <QString>
#include <QStringList>

// A main window stand-in for composer tests: records each call as a short text
// ("reload", "restore", "counts", "selector 1", "mayClose 0", "release 3") and answers
// the row counts from its fields.
class RecordingMailBoxHost : public MailBoxHost
{
public:
    QStringList calls;
    int sentRows = 0, unsentRows = 0, trashRows = 0;
    bool composerMayClose = true;

    void ReloadBoxes() override { calls.append(QStringLiteral("reload")); }
    void RestoreSelection() override { calls.append(QStringLiteral("restore")); }
    void UpdateBoxCounts() override { calls.append(QStringLiteral("counts")); }
    void setBoxSelectorItem(int item) override { calls.append(QStringLiteral("selector %1").arg(item)); }
    int boxRowCount(char boxCode) const override
    {
        return boxCode == 's' ? sentRows : boxCode == 'u' ? unsentRows : boxCode == 't' ? trashRows : 0;
    }
    void setComposerMayClose(bool mayClose) override
    {
        composerMayClose = mayClose;
        calls.append(QStringLiteral("mayClose %1").arg(mayClose ? 1 : 0));
    }
    void releaseComposerSlot(int slot) override { calls.append(QStringLiteral("release %1").arg(slot)); }
};
