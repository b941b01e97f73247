#include "os/ProgramIcons.h"

#include "os/CachedIcon.h"
#include "os/PaletteIcon.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QResource>
#include <QStandardPaths>

namespace ProgramIcons {

QString source(Role role)
{
    switch (role) {
    case Role::MailBoxSend: return QStringLiteral("mail-send");
    case Role::MailBoxNew: return QStringLiteral("mail-message-new");
    case Role::MailBoxExport: return QStringLiteral("document-export");
    case Role::MailBoxAddress: return QStringLiteral(":/vellorn/icons/address-book.svg");
    case Role::MailBoxSetting: return QStringLiteral("configure");
    case Role::MailBoxEmpty: return QStringLiteral("trash-empty");
    case Role::MailBoxHelp: return QStringLiteral("help-contents");
    case Role::SelectAll: return QStringLiteral("edit-select-all");
    case Role::SelectNone: return QStringLiteral("edit-select-none");
    case Role::NextMail: return QStringLiteral("go-down");
    case Role::PreviousMail: return QStringLiteral("go-up");
    case Role::DeleteMail: return QStringLiteral("edit-delete");
    case Role::EditMail: return QStringLiteral("document-edit");
    case Role::ComposerSend: return QStringLiteral("mail-send");
    case Role::ComposerDesktopMail: return QStringLiteral("internet-mail");
    case Role::ComposerImport: return QStringLiteral("document-import");
    case Role::ComposerSave: return QStringLiteral("document-save");
    case Role::ComposerAddressBook: return QStringLiteral(":/vellorn/icons/address-book.svg");
    case Role::ComposerSetting: return QStringLiteral("configure");
    case Role::ComposerHelp: return QStringLiteral("help-contents");
    case Role::Bold: return QStringLiteral("format-text-bold");
    case Role::Italic: return QStringLiteral("format-text-italic");
    case Role::Underline: return QStringLiteral("format-text-underline");
    case Role::Bullets: return QStringLiteral("format-list-unordered");
    case Role::AlignLeft: return QStringLiteral("format-justify-left");
    case Role::AlignCenter: return QStringLiteral("format-justify-center");
    case Role::AlignRight: return QStringLiteral("format-justify-right");
    case Role::Copy: return QStringLiteral("edit-copy");
    case Role::Cut: return QStringLiteral("edit-cut");
    case Role::Paste: return QStringLiteral("edit-paste");
    case Role::Undo: return QStringLiteral("edit-undo");
    case Role::Attach: return QStringLiteral("mail-attachment");
    case Role::AttachmentIcon: return QStringLiteral("mail-attachment");
    case Role::AttachmentMarker: return QStringLiteral("mail-attachment");
    case Role::HelpBack: return QStringLiteral("go-previous");
    case Role::HelpForward: return QStringLiteral("go-next");
    case Role::HelpHome: return QStringLiteral("go-home");
    case Role::ProgramIcon: return QStringLiteral(":/vellorn/icons/vellorn-composer.svg");
    case Role::Logo: return QStringLiteral(":/vellorn/pictures/logo.svg");
    case Role::AboutPicture: return QStringLiteral(":/vellorn/pictures/about.svg");
    case Role::TipsPicture: return QStringLiteral(":/vellorn/pictures/tips.svg");
    }
    return {};
}

namespace {

// The small monochrome buttons and list markers on the window's own background (the
// pictures of the white bands and the program's artwork keep their colours).
bool followsPalette(Role role)
{
    return (role >= Role::SelectAll && role <= Role::EditMail) || (role >= Role::Bold && role <= Role::Attach)
        || (role >= Role::AttachmentIcon && role <= Role::HelpHome);
}

const PictureCache *g_cache = nullptr;
QByteArray g_look;

QIcon drawnIcon(Role role)
{
    const QString name = source(role);
    if (name.startsWith(QLatin1Char(':')))
        return QIcon(name);
    const QIcon themed = QIcon::fromTheme(name);
    return followsPalette(role) && !themed.isNull() ? PaletteIcon::wrap(themed) : themed;
}

// What a theme icon is drawn from: the theme names and where the themes are, with the date
// of each theme's index (an updated theme package brings a new one).
QByteArray themeVersion()
{
    static const QByteArray version = [] {
        QStringList themes{QIcon::themeName(), QIcon::fallbackThemeName(), QStringLiteral("hicolor")};
        themes.removeDuplicates();
        QByteArray v = themes.join(QLatin1Char(',')).toUtf8();
        for (const QString &path : QIcon::themeSearchPaths())
            for (const QString &theme : themes) {
                const QFileInfo index(QDir(path).filePath(theme + QStringLiteral("/index.theme")));
                if (index.exists())
                    v += '|' + index.filePath().toUtf8() + '@'
                        + QByteArray::number(index.lastModified().toMSecsSinceEpoch());
            }
        return v;
    }();
    return version;
}

QByteArray identity(Role role)
{
    const QString name = source(role);
    if (name.startsWith(QLatin1Char(':'))) {
        // The artwork compiled in: a new build of a changed picture has a new date.
        const QResource artwork(name);
        return name.toUtf8() + '@' + QByteArray::number(artwork.lastModified().toMSecsSinceEpoch()) + '/'
            + QByteArray::number(artwork.uncompressedSize());
    }
    return name.toUtf8() + '@' + themeVersion();
}

} // namespace

QIcon icon(Role role)
{
    if (!g_cache)
        return drawnIcon(role);
    const CachedIcon::Kind kind{followsPalette(role), source(role).startsWith(QLatin1Char(':')), g_look};
    return CachedIcon::wrap(identity(role), [role] { return drawnIcon(role); }, *g_cache, kind);
}

void keepPicturesIn(const PictureCache *cache, const QString &look)
{
    g_cache = cache;
    g_look = look.toUtf8();
}

std::vector<Role> allRoles()
{
    std::vector<Role> roles;
    for (int r = int(Role::MailBoxSend); r <= int(Role::TipsPicture); ++r)
        roles.push_back(Role(r));
    return roles;
}

void installFallbackTheme()
{
    // Platforms without a desktop theme (offscreen, minimal) look for themes nowhere but in
    // the resources; the system's icon folders are where Breeze is installed.
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString icons = QDir(data).filePath(QStringLiteral("icons"));
        if (!paths.contains(icons) && QDir(icons).exists())
            paths.append(icons);
    }
    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackThemeName(QStringLiteral("breeze"));
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("breeze"));
}

} // namespace ProgramIcons
