#pragma once

#include "composer/AttachmentRow.h"
#include "composer/RecoveryCopy.h"
#include "composer/RecoveryFolder.h"

#include <QString>
#include <cstdint>
#include <vector>

class MailStorer;
class TMailMessage;

// What the program does with the recovery copies it finds at start-up: the one question,
// the report of damaged copies, and, when the person declines, each letter kept as an
// unsent mail in the trash box so that nothing goes without a trace.
class LetterRecovery
{
public:
    // "Recover 2 unsaved letters?"
    static QString question(int count);
    // The damaged copies, one line each, for a warning; empty when there are none.
    static QString damagedReport(const std::vector<RecoveryFolder::Damaged> &damaged);

    // The digest a copy keeps of the stored mail it replaces.
    static QByteArray digestOf(const std::string &mailText);
    // A copy that replaces a stored mail keeps doing so only while that record still holds
    // the same mail (the store may have been compacted since, moving other mails there);
    // otherwise it comes back as a new mail, and no other mail is given up for it.
    static void checkReplaced(RecoveryCopy &copy, const QString &mailBoxPath);

    // The attachment rows of a copy: files by path, and the bytes of the attachments of an
    // opened mail as "Stream" rows over parts added to `message`.
    static std::vector<AttachmentRow> attachmentRows(const RecoveryCopy &copy, TMailMessage &message);

    // Stores the letter of the copy in the trash box as an unsent mail (its record pointing
    // to nothing it replaces). Throws AppError when it cannot be stored; the store is then
    // unchanged and the copy should stay.
    static std::int64_t storeInTrash(const MailStorer &storer, const RecoveryCopy &copy);
};
