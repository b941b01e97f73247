#pragma once

#include "picture/PicturePreview.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

class QWidget;
enum class SendMode;

// Opens the program's long-lived windows for any window that asks. app/ implements it
// over the real windows; tests record the calls.
class WindowOpener
{
public:
    virtual ~WindowOpener() = default;

    // The configuration dialog, modal. page -1 leaves the page that was active.
    virtual void showConfiguration(int page = -1) = 0;

    // How the address list is shown: managing entries with "&Close" shown; managing and
    // leaving "&Close" as the last use left it (the Tools menus); picking names for To, Cc
    // and Bcc with "&Close" hidden.
    enum class AddressListUse { Manage, ManageKeepClose, Pick };
    struct AddressPicks
    {
        QStringList to, cc, bcc;
    };
    // Modal. True when the dialog was closed with OK; picks (may be null) then holds the
    // three pick lists.
    virtual bool showAddressList(AddressListUse use, AddressPicks *picks = nullptr) = 0;
    // The address editor in its add mode; the entry is stored when the user confirms.
    virtual void addAddress() = 0;

    virtual void showTips() = 0;  // modal
    virtual void showAbout() = 0; // modal, closed by a click on its picture

    // The send dialog.
    virtual bool sendDialogShowing() const = 0;
    // Shows the send dialog and runs the job over the mails at the record positions.
    virtual bool sendMails(const std::vector<std::int64_t> &positions, SendMode mode) = 0;

    // The picture preview of a letter: its own window beside `owner`, gone with it.
    // `source` gives the letter as it is at each refresh; with `print`, printing starts as
    // soon as the pages are made.
    virtual void showPreview(std::function<PicturePreview::Input()> source, QWidget *owner, bool print) = 0;

    // The main window's enabled state (the tips window disables it while it shows).
    virtual void setMainWindowEnabled(bool enabled) = 0;
};
