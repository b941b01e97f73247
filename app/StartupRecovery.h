#pragma once

#include <QString>

class ComposerFactory;
class MailStorer;
class RecoveryFolder;
class TFM_MailBox;
class UserDialogs;

// At start-up: the letters that programs no longer running left unsaved. Damaged copies
// are reported; then one question. Yes opens a composer for each letter (as many as there
// are free composer slots; the rest wait for the next start), marked changed; No keeps
// each letter as an unsent mail in the trash box and removes its copy.
class StartupRecovery
{
public:
    static void run(RecoveryFolder &folder, UserDialogs &dialogs, const MailStorer &storer, const QString &mailBoxPath,
                    TFM_MailBox &main, ComposerFactory &composers);
};
