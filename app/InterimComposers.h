#pragma once

#include "ComposerWindows.h"

struct WindowServices;

// INTERIM: opens plain composer windows until the composer's own factory (which fills a
// composer from a stored mail) is wired here. A stored mail opens as an empty composer
// that knows its record, box and mode.
class InterimComposers : public ComposerWindows
{
public:
    explicit InterimComposers(WindowServices &services);

    QWidget *openNewMail(int slot, MailBoxHost &host) override;
    QWidget *openStoredMail(int slot, MailBoxHost &host, TMailMessage &message, std::int64_t recordPos,
                            char boxCode) override;

private:
    WindowServices &m_services;
};
