#include "InterimComposers.h"

#include "MailBoxHost.h"
#include "TFM_Cmps.h"

InterimComposers::InterimComposers(WindowServices &services)
    : m_services(services)
{
}

QWidget *InterimComposers::openNewMail(int slot, MailBoxHost &host)
{
    auto *composer = new TFM_Cmps(m_services);
    composer->setAttribute(Qt::WA_DeleteOnClose);
    composer->Tag = slot;
    composer->FMode = QStringLiteral("New");
    composer->FBoxCode = 'u';
    // The main window is the connection's context, so a composer outliving it calls nothing.
    if (auto *window = dynamic_cast<QObject *>(&host))
        QObject::connect(composer, &QObject::destroyed, window, [&host, slot] { host.releaseComposerSlot(slot); });
    composer->show();
    return composer;
}

QWidget *InterimComposers::openStoredMail(int slot, MailBoxHost &host, TMailMessage &, std::int64_t recordPos,
                                          char boxCode)
{
    auto *composer = static_cast<TFM_Cmps *>(openNewMail(slot, host));
    composer->FMode = QStringLiteral("Modify");
    composer->FBoxCode = boxCode;
    composer->FRecordPos = std::int32_t(recordPos);
    return composer;
}
