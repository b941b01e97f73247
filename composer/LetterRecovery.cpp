#include "composer/LetterRecovery.h"

#include "composer/MailStorer.h"
#include "mail/TMailMessage.h"
#include "mailbox/MailStore.h"
#include "os/AppError.h"
#include "richtext/LetterDocument.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QTextDocument>

QString LetterRecovery::question(int count)
{
    return count == 1 ? QStringLiteral("Recover 1 unsaved letter?")
                      : QStringLiteral("Recover %1 unsaved letters?").arg(count);
}

QString LetterRecovery::damagedReport(const std::vector<RecoveryFolder::Damaged> &damaged)
{
    if (damaged.empty())
        return {};
    QString text = damaged.size() == 1 ? QStringLiteral("A recovery copy could not be read and was set aside:")
                                       : QStringLiteral("%1 recovery copies could not be read and were set aside:")
                                             .arg(damaged.size());
    for (const RecoveryFolder::Damaged &d : damaged)
        text += QStringLiteral("\r\n") + QDir::toNativeSeparators(d.path) + QStringLiteral(": ") + d.reason;
    return text;
}

QByteArray LetterRecovery::digestOf(const std::string &mailText)
{
    return QCryptographicHash::hash(QByteArrayView(mailText.data(), qsizetype(mailText.size())),
                                    QCryptographicHash::Sha256)
        .toHex();
}

void LetterRecovery::checkReplaced(RecoveryCopy &copy, const QString &mailBoxPath)
{
    if (copy.mode != ComposeMode::Modify)
        return;
    bool same = false;
    try {
        same = !copy.replacedDigest.isEmpty()
               && digestOf(MailStore(mailBoxPath).ReadMailText(copy.recordPos)) == copy.replacedDigest;
    } catch (const AppError &) {
        same = false;
    }
    if (!same) {
        copy.mode = ComposeMode::New;
        copy.boxCode = BoxCode::Unsent;
        copy.recordPos = 0;
    }
}

std::vector<AttachmentRow> LetterRecovery::attachmentRows(const RecoveryCopy &copy, TMailMessage &message)
{
    std::vector<AttachmentRow> rows;
    for (const RecoveryCopy::Attachment &a : copy.attachments) {
        if (a.stream) {
            rows.push_back({a.caption, QString::number(message.Attachments.Count()), AttachmentRow::Stream});
            message.AttachStreamText(std::string_view(a.bytes.constData(), std::size_t(a.bytes.size())), a.caption);
        } else {
            rows.push_back({a.caption, a.path, AttachmentRow::File});
        }
    }
    return rows;
}

std::int64_t LetterRecovery::storeInTrash(const MailStorer &storer, const RecoveryCopy &copy)
{
    QTextDocument letter;
    LetterDocument::load(copy.letter, &letter);
    ComposedMail mail;
    mail.letter = &letter;
    mail.to = copy.to;
    mail.cc = copy.cc;
    mail.bcc = copy.bcc;
    mail.subject = copy.subject;
    // Stored as a mail of the trash box; the stored mail it was to replace stays as it is.
    mail.mode = ComposeMode::Modify;
    mail.boxCode = BoxCode::Trash;
    mail.keepUnreadable = true;
    TMailMessage message;
    std::vector<AttachmentRow> rows = attachmentRows(copy, message);
    return storer.StoreMail(message, mail, rows);
}
