#pragma once

#include "mail/TMailMessage.h"
#include "mailbox/BoxTable.h"
#include "ui/ComposerWindows.h"
#include "ui/MailBoxHost.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

// Composer windows for main-window tests: each request makes a plain shown widget (or
// what `make` returns) and is recorded as "new 1" or "stored 2 230 s subject".
class RecordingComposers : public ComposerWindows
{
public:
    QStringList calls;
    QList<QPointer<QWidget>> windows;
    std::function<QWidget *(int slot, MailBoxHost &host)> make;

    QWidget *openNewMail(int slot, MailBoxHost &host) override
    {
        calls.append(QStringLiteral("new %1").arg(slot));
        return remember(slot, host);
    }
    QWidget *openStoredMail(int slot, MailBoxHost &host, TMailMessage &message, std::int64_t recordPos,
                            BoxCode boxCode, const QStringList & = {}) override
    {
        calls.append(QStringLiteral("stored %1 %2 %3 %4")
                         .arg(slot)
                         .arg(recordPos)
                         .arg(QLatin1Char(BoxTable::byte(boxCode)))
                         .arg(QString::fromLatin1(message.DecodedSubject())));
        return remember(slot, host);
    }

private:
    QWidget *remember(int slot, MailBoxHost &host)
    {
        QWidget *w = make ? make(slot, host) : new QWidget;
        w->show();
        windows.append(w);
        return w;
    }
};
