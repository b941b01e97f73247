#pragma once

#include <cstdint>

enum class BoxCode : char;

// What a composer window asks of the main window after it stored or sent a mail, and
// while the main window closes. The main window implements it; composers get it when
// they are opened.
class MailBoxHost
{
public:
    virtual ~MailBoxHost() = default;

    // A composer stored a mail at `position` into `box`: the main window rescans the store,
    // shows that box in the list and the selector, rewrites the counts and selects the mail.
    virtual void mailStored(BoxCode box, std::int64_t position) = 0;
    // The store changed (a send moved mails): rescan, reselect the remembered row of the
    // shown box, rewrite the counts.
    virtual void boxesChanged() = 0;

    // A composer answers the main window's close request through this flag: true when
    // it may close.
    virtual void setComposerMayClose(bool mayClose) = 0;
    // The composer in slot 1 to 10 has closed; the slot is free again.
    virtual void releaseComposerSlot(int slot) = 0;
};
