#pragma once

#include "mailbox/BoxTable.h"
#include "ui/MailBoxHost.h"

#include <QString>
#include <QStringList>

// A main window stand-in for composer tests: records each call as a short text
// ("stored u 100", "changed", "mayClose 0", "release 3").
class RecordingMailBoxHost : public MailBoxHost
{
public:
    QStringList calls;
    bool composerMayClose = true;

    void mailStored(BoxCode box, std::int64_t position) override
    {
        calls.append(QStringLiteral("stored %1 %2").arg(QLatin1Char(BoxTable::byte(box))).arg(position));
    }
    void boxesChanged() override { calls.append(QStringLiteral("changed")); }
    void setComposerMayClose(bool mayClose) override
    {
        composerMayClose = mayClose;
        calls.append(QStringLiteral("mayClose %1").arg(mayClose ? 1 : 0));
    }
    void releaseComposerSlot(int slot) override { calls.append(QStringLiteral("release %1").arg(slot)); }
};
