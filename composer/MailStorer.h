#pragma once

#include "composer/AttachmentRow.h"
#include "composer/ComposeMode.h"
#include "composer/PreparedMail.h"
#include "mailbox/BoxCode.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

class Clock;
class QTextDocument;
class TMailMessage;
class TMailRecipients;
struct ConfigSettings;

// What the composer window holds of one mail when it stores it.
struct ComposedMail
{
    const QTextDocument *letter = nullptr;
    QString to, cc, bcc; // one recipient per line: a name from the address book or an address
    QString subject;
    ComposeMode mode = ComposeMode::New;
    BoxCode boxCode = BoxCode::Unsent; // the box of the opened stored mail
    // A recovered letter is kept even when a recipient line is no address (that line is
    // left out); a person's Save or Send is refused instead.
    bool keepUnreadable = false;
};

// Builds a composer's mail in its message and appends it to the mail store. The letter
// is written as RTF into the text body; the recipients are resolved by name; the files of
// the attachment list become attachments (attachments of an opened stored mail go through
// the temporary folder first, and their rows become "File" rows).
class MailStorer
{
public:
    MailStorer(const ConfigSettings &settings, const Clock &clock, QString mailBoxPath, QString configPath,
               QString tempFolder);

    struct Recipients
    {
        QStringList names, addresses;
        // The refusals of lines, or parts of lines, that are no address, each naming the part.
        QStringList errors;
    };

    // The recipients of one memo. Each non-blank line is a name that `known` (the opened
    // mail's own recipients, at the same index) or the address book gives an address, or else an address
    // list: "Name <addr>", "\"Name, Jr.\" <addr>" and bare addresses, separated by commas
    // or semicolons (AddressList).
    Recipients resolveRecipients(const QString &memoText, const TMailRecipients &known) const;
    // The message that refuses recipients: the refusals, then "Please correct it before "
    // + action.
    static QString refusalText(const QStringList &errors, const QString &action);
    // Names at most this many refusals; the rest are counted.
    static constexpr int kNamedErrors = 10;

    // Builds the mail in MSG (cleared first) and appends it to the store in the unsent box
    // for a new mail, else with the box of the opened mail. Returns the new record's position.
    // Afterwards MSG holds the mail's fields and text; its attachment parts keep only their
    // headers (their bytes are in the store). Throws AppError when a recipient is no
    // address (see keepUnreadable), or an attachment or the store cannot be read or
    // written; the store is then unchanged.
    std::int64_t StoreMail(TMailMessage &MSG, const ComposedMail &mail, std::vector<AttachmentRow> &rows) const;

    // StoreMail in two steps, for a window that writes a large mail off its thread: the
    // mail built in MSG and laid out (the attached files are not read yet), then written
    // with PreparedMail::write, which reads and encodes the files a piece at a time. MSG
    // must not change until the write is done. Throws as StoreMail does.
    PreparedMail prepare(TMailMessage &MSG, const ComposedMail &mail, std::vector<AttachmentRow> &rows) const;

    // StoreMail, then, for a mail opened for changes, marks its old record (at oldPosition)
    // deleted: the stored copy replaces it. The old record is only given up once the new
    // one is in the store.
    std::int64_t storeReplacing(TMailMessage &MSG, const ComposedMail &mail, std::vector<AttachmentRow> &rows,
                                std::int64_t oldPosition) const;

    // The box a mail is stored in.
    static BoxCode storedBoxCode(const ComposedMail &mail);
    // True when the letter holds nothing but blanks.
    static bool letterEmpty(const QTextDocument &letter);

private:
    void writeStreams(TMailMessage &MSG, std::vector<AttachmentRow> &rows) const;

    const ConfigSettings &m_settings;
    const Clock &m_clock;
    QString m_mailBoxPath;
    QString m_configPath;
    QString m_tempFolder;
};
