#pragma once

#include "ui/ComposerWindows.h"

class RecoveryFolder;
class TFM_Cmps;
struct WindowServices;

// Opens the real composer windows for the main window: unowned, shown modeless, deleted
// after they close (they give their slot back first), each cascaded from the open ones.
class ComposerFactory : public ComposerWindows
{
public:
    explicit ComposerFactory(WindowServices &services);

    QWidget *openNewMail(int slot, MailBoxHost &host) override;
    QWidget *openStoredMail(int slot, MailBoxHost &host, TMailMessage &message, std::int64_t recordPos,
                            BoxCode boxCode, const QStringList &attachmentFiles = {}) override;

    // Fills a composer from a stored mail: the letter (unless its text body is blank), the
    // subject, the recipients of each kind (memo lines and the same pairs in its message),
    // the attachments as "Stream" rows over copies in its message (or "File" rows over the
    // copies in `attachmentFiles`, see ComposerWindows); mode "Modify", the box and record
    // given, the letter unchanged.
    static void fill(TFM_Cmps &composer, TMailMessage &message, std::int64_t recordPos, BoxCode boxCode,
                     const QStringList &attachmentFiles = {});

    // Composers opened from now on keep recovery copies of their unsaved letters there.
    void setRecoveryFolder(RecoveryFolder *folder) { m_recovery = folder; }

private:
    TFM_Cmps *create(int slot, MailBoxHost &host);
    // Shows a new composer where it does not lie exactly on an open one.
    static void showCascaded(TFM_Cmps &composer);

    WindowServices &m_services;
    RecoveryFolder *m_recovery = nullptr;
};
