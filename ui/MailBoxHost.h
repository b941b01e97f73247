#pragma once

// What a composer window asks of the main window after it stored or sent a mail, and
// while the main window closes. The main window implements it; composers get it when
// they are opened.
class MailBoxHost
{
public:
    virtual ~MailBoxHost() = default;

    // Rescan the store and refill the three box lists and the shown list.
    virtual void ReloadBoxes() = 0;
    // Reselect the remembered row of the current box (the settings record's BOX_ fields,
    // which the composer may set first) and scroll it into view.
    virtual void RestoreSelection() = 0;
    // Rewrite the box selector's items with the mail counts.
    virtual void UpdateBoxCounts() = 0;
    // Set the box selector to item 0 (sent), 1 (unsent) or 2 (trash) without switching
    // the shown list.
    virtual void setBoxSelectorItem(int item) = 0;
    // Rows in the box list of box code 's', 'u' or 't' (0 for any other code).
    virtual int boxRowCount(char boxCode) const = 0;

    // A composer answers the main window's close request through this flag: true when
    // it may close.
    virtual void setComposerMayClose(bool mayClose) = 0;
    // The composer in slot 1 to 10 has closed; the slot is free again.
    virtual void releaseComposerSlot(int slot) = 0;
};
