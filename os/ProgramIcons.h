#pragma once

#include <QIcon>
#include <QString>
#include <vector>

class PictureCache;

// Every icon and picture the windows show, by what it is for. Standard actions come from
// the desktop's icon theme by their freedesktop names (Breeze is the fallback theme, so a
// bare machine shows the same icons); the program's own artwork comes from its resources.
namespace ProgramIcons {

enum class Role {
    // Main window picture buttons.
    MailBoxSend, MailBoxNew, MailBoxExport, MailBoxAddress, MailBoxSetting, MailBoxEmpty, MailBoxHelp,
    // Main window speed buttons.
    SelectAll, SelectNone, NextMail, PreviousMail, DeleteMail, EditMail,
    // Composer tool images.
    ComposerSend, ComposerDesktopMail, ComposerImport, ComposerSave, ComposerAddressBook, ComposerSetting,
    ComposerHelp,
    // Composer format bar.
    Bold, Italic, Underline, Bullets, AlignLeft, AlignCenter, AlignRight, Copy, Cut, Paste, Undo, Attach,
    // Lists.
    AttachmentIcon,   // an attachment in an attachment list
    AttachmentMarker, // a mail that has attachments, in the mail list
    // Help window.
    HelpBack, HelpForward, HelpHome,
    // The program's own artwork.
    ProgramIcon, Logo, AboutPicture, TipsPicture,
};

// The theme name, or the resource path (":/...") of the program's own pictures.
QString source(Role role);
QIcon icon(Role role);
std::vector<Role> allRoles();

// Makes Breeze the theme to fall back on; called once at start.
void installFallbackTheme();

// Icons made afterwards keep their drawn pictures in `cache` (null: drawn every time), for
// the widget style named `look`. The cache must outlive them.
void keepPicturesIn(const PictureCache *cache, const QString &look);

} // namespace ProgramIcons
