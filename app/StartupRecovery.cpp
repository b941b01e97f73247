#include "app/StartupRecovery.h"

#include "composer/LetterRecovery.h"
#include "composer/RecoveryFolder.h"
#include "composer/windows/ComposerFactory.h"
#include "composer/windows/TFM_Cmps.h"
#include "mailbox/windows/TFM_MailBox.h"
#include "os/AppError.h"
#include "product/AppInfo.h"
#include "ui/UserDialogs.h"

void StartupRecovery::run(RecoveryFolder &folder, UserDialogs &dialogs, const MailStorer &storer,
                          const QString &mailBoxPath, TFM_MailBox &main, ComposerFactory &composers)
{
    const QString caption = QString::fromLatin1(AppInfo::ApplicationTitle);
    std::vector<RecoveryFolder::Damaged> damaged;
    std::vector<RecoveryFolder::Found> found = folder.adoptLeftCopies(damaged);
    if (!damaged.empty())
        dialogs.messageBox(UserDialogs::Kind::Warning, caption, LetterRecovery::damagedReport(damaged));
    if (found.empty())
        return;
    const bool recover = dialogs.messageBox(UserDialogs::Kind::Confirmation, caption,
                                            LetterRecovery::question(int(found.size())), UserDialogs::Buttons::YesNo)
                         == UserDialogs::Answer::Yes;
    if (recover) {
        for (RecoveryFolder::Found &f : found) {
            LetterRecovery::checkReplaced(f.copy, mailBoxPath);
            std::size_t slot = 0;
            while (slot < main.ComposerSlots.size() && main.ComposerSlots[slot])
                ++slot;
            if (slot == main.ComposerSlots.size())
                break; // the copy stays in the folder and is offered at the next start
            QWidget *window = composers.openNewMail(int(slot + 1), main);
            main.ComposerSlots[slot] = window;
            if (auto *composer = qobject_cast<TFM_Cmps *>(window))
                composer->restoreRecovered(f.copy, f.path);
        }
        return;
    }
    QStringList failed;
    for (const RecoveryFolder::Found &f : found) {
        try {
            LetterRecovery::storeInTrash(storer, f.copy);
            RecoveryFolder::remove(f.path);
        } catch (const AppError &e) {
            failed << QString::fromUtf8(e.what());
        }
    }
    main.ReloadBoxes();
    main.UpdateBoxCounts();
    if (!failed.isEmpty())
        dialogs.messageBox(UserDialogs::Kind::Error, caption,
                           QStringLiteral("Not every letter could be kept in the trash box; it is offered again at "
                                          "the next start.\r\n")
                               + failed.join(QStringLiteral("\r\n")));
}
