#pragma once

#include <QStringList>

#include <cstdint>

enum class BoxCode : char;
class MailBoxHost;
class QWidget;
class TMailMessage;

// Creates composer windows for the main window, which keeps them in its ten slots. A
// composer is a top-level window without owner, shown modeless; it deletes itself after
// it has closed, telling the host first (releaseComposerSlot). app/ wires the real
// composer; tests of the main window record the calls.
class ComposerWindows
{
public:
    virtual ~ComposerWindows() = default;

    // A composer for a new mail in `slot` (1 to 10), shown: mode New, box Unsent.
    virtual QWidget *openNewMail(int slot, MailBoxHost &host) = 0;

    // A composer in `slot`, shown and filled with the stored mail `message` (read from the
    // record at `recordPos`; attachments whose decoded body is empty are decoded on the
    // way): the letter when its text body is not blank, the subject, one memo line per
    // recipient with the same pairs in its own message, one "Stream" row per attachment;
    // mode Modify, box `box` (the box it is listed in), just opened, letter unchanged.
    // `attachmentFiles` holds, by attachment, the file its body was copied to when the
    // message was read without it (a large body left in the store); such an attachment
    // gets a "File" row over that copy instead, and is never held in memory.
    virtual QWidget *openStoredMail(int slot, MailBoxHost &host, TMailMessage &message, std::int64_t recordPos,
                                    BoxCode box, const QStringList &attachmentFiles = {}) = 0;
};
