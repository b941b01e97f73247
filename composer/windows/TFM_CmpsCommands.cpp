// The composer's command table: every menu, menu item and key of the window, in menu order.
#include "composer/windows/TFM_Cmps.h"

#include "composer/AlignmentTag.h"
#include "os/ProgramIcons.h"
#include "ui/WindowCommandTable.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

std::vector<WindowCommand> TFM_Cmps::commandRows()
{
    using R = ProgramIcons::Role;
    using K = QKeySequence;
    const auto icon = [](R role) { return ProgramIcons::icon(role); };
    const auto theme = [](const char *name) { return QIcon::fromTheme(QLatin1String(name)); };
    const auto on = [this](void (TFM_Cmps::*slot)()) { return [this, slot] { (this->*slot)(); }; };

    return {
        // Reached by their keys only: a new letter, and F1 anywhere in the window (the
        // compose help page).
        {.name = "FileNewCmd", .caption = "&New", .keys = {K(Qt::CTRL | Qt::Key_N)}, .handler = on(&TFM_Cmps::FileNewCmdExecute)},
        {.name = "HelpKey", .caption = "Help", .keys = {K(Qt::Key_F1)}, .handler = on(&TFM_Cmps::PIC_HelpClick)},

        // The menu shows "&Import..." and "&Close" for Open and Exit; "&Close" also answers
        // Ctrl+F4, the key its menu item shows.
        WindowCommand::menuRow("File1", "&Flie"),
        {.name = "Send1", .caption = "S&end", .menu = "File1",
         .keys = {K(Qt::CTRL | Qt::Key_Return), K(Qt::CTRL | Qt::Key_Enter)}, .handler = on(&TFM_Cmps::PIC_SendClick)},
        {.name = "SendByMsOE1", .caption = "Send &By Ms OE", .menu = "File1", .handler = on(&TFM_Cmps::PIC_IEClick)},
        WindowCommand::separator("File1"),
        {.name = "FileOpenCmd", .caption = "&Import...", .menu = "File1", .keys = {K(Qt::CTRL | Qt::Key_O)},
         .handler = on(&TFM_Cmps::PIC_OpenClick)},
        WindowCommand::separator("File1"),
        {.name = "FileSaveCmd", .caption = "&Save", .menu = "File1", .keys = {K(Qt::CTRL | Qt::Key_S)},
         .handler = on(&TFM_Cmps::PIC_SaveClick)},
        // The letter kept as an RTF file of its own.
        {.name = "SaveLetterAs1", .caption = "Save Letter &As...", .menu = "File1",
         .keys = {K(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}, .icon = theme("document-save-as"),
         .handler = on(&TFM_Cmps::SaveLetterAs1Click), .hint = "Keep the letter as a rich-text file"},
        WindowCommand::separator("File1"),
        {.name = "PreviewPictures1", .caption = "Pre&view Pictures...", .menu = "File1",
         .keys = {K(Qt::CTRL | Qt::SHIFT | Qt::Key_P)}, .handler = on(&TFM_Cmps::PreviewPictures1Click)},
        {.name = "Print1", .caption = "&Print...", .menu = "File1", .keys = {K(Qt::CTRL | Qt::Key_P)},
         .handler = on(&TFM_Cmps::Print1Click)},
        WindowCommand::separator("File1"),
        {.name = "FileExitCmd", .caption = "&Close", .menu = "File1",
         .keys = {K(Qt::CTRL | Qt::Key_F4), K(Qt::ALT | Qt::Key_X)}, .handler = on(&TFM_Cmps::FileExitCmdExecute)},

        WindowCommand::menuRow("Edit1", "&Edit"),
        {.name = "EditUndoCmd", .caption = "&Undo", .menu = "Edit1", .keys = {K(Qt::CTRL | Qt::Key_Z)},
         .icon = icon(R::Undo), .handler = on(&TFM_Cmps::EditUndoCmdExecute), .hint = "Undo the last action"},
        {.name = "EditRedoCmd", .caption = "&Redo", .menu = "Edit1",
         .keys = {K(Qt::CTRL | Qt::Key_Y), K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}, .icon = theme("edit-redo"),
         .handler = on(&TFM_Cmps::EditRedoCmdExecute), .hint = "Redo the last undone action"},
        WindowCommand::separator("Edit1"),
        {.name = "EditCopyCmd", .caption = "&Copy", .menu = "Edit1", .keys = {K(Qt::CTRL | Qt::Key_C)},
         .icon = icon(R::Copy), .handler = on(&TFM_Cmps::EditCopyCmdExecute), .hint = "Copy selected item to clipboard"},
        {.name = "EditCutCmd", .caption = "Cu&t", .menu = "Edit1", .keys = {K(Qt::CTRL | Qt::Key_X)},
         .icon = icon(R::Cut), .handler = on(&TFM_Cmps::EditCutCmdExecute), .hint = "Delete selected item"},
        {.name = "EditPasteCmd", .caption = "&Paste", .menu = "Edit1", .keys = {K(Qt::CTRL | Qt::Key_V)},
         .icon = icon(R::Paste), .handler = on(&TFM_Cmps::EditPasteCmdExecute), .hint = "Paste contents of clipboard"},
        WindowCommand::separator("Edit1"),
        {.name = "EditSelAll", .caption = "Select &All", .menu = "Edit1", .handler = on(&TFM_Cmps::EditSelAllExecute)},
        WindowCommand::separator("Edit1"),
        {.name = "EditFindCmd", .caption = "&Find...", .menu = "Edit1", .keys = {K(Qt::CTRL | Qt::Key_F)},
         .icon = theme("edit-find"), .handler = on(&TFM_Cmps::Find1Click), .hint = "Find text in the letter"},
        {.name = "EditFindNextCmd", .caption = "Find &Next", .menu = "Edit1", .keys = {K(Qt::Key_F3)},
         .handler = on(&TFM_Cmps::FindNext1Click), .hint = "Find the next place of the text"},
        {.name = "EditReplaceCmd", .caption = "R&eplace...", .menu = "Edit1", .keys = {K(Qt::CTRL | Qt::Key_H)},
         .icon = theme("edit-find-replace"), .handler = on(&TFM_Cmps::Replace1Click), .hint = "Replace text in the letter"},
        WindowCommand::separator("Edit1"),
        {.name = "InsertDate1", .caption = "Insert &Date", .menu = "Edit1", .handler = on(&TFM_Cmps::InsertDate1Click)},
        {.name = "InsertTime1", .caption = "Insert T&ime", .menu = "Edit1", .handler = on(&TFM_Cmps::InsertTime1Click)},

        // The Insert menu stands before the Style menu, as in word processors.
        WindowCommand::menuRow("Insert1", "I&nsert"),
        {.name = "InsertPicture1", .caption = "Insert &Picture...", .menu = "Insert1",
         .keys = {K(Qt::CTRL | Qt::SHIFT | Qt::Key_I)}, .icon = theme("insert-image"),
         .handler = on(&TFM_Cmps::InsertPicture1Click)},
        {.name = "PictureSize1", .caption = "Picture &Size...", .menu = "Insert1", .handler = on(&TFM_Cmps::PictureSize1Click)},

        WindowCommand::menuRow("Style1", "&Style"),
        {.name = "Font1", .caption = "&Font...", .menu = "Style1", .handler = on(&TFM_Cmps::Font1Click)},
        {.name = "Color1", .caption = "C&olor...", .menu = "Style1", .handler = on(&TFM_Cmps::Color1Click)},
        {.name = "Highlight1", .caption = "&Highlight Color...", .menu = "Style1", .handler = on(&TFM_Cmps::Highlight1Click)},
        WindowCommand::separator("Style1"),
        {.name = "Bold1", .caption = "&Bold Font", .menu = "Style1", .keys = {K(Qt::CTRL | Qt::Key_B)},
         .icon = icon(R::Bold), .handler = on(&TFM_Cmps::Bold1Click)},
        {.name = "In1", .caption = "&Italic Font", .menu = "Style1", .keys = {K(Qt::CTRL | Qt::Key_I)},
         .icon = icon(R::Italic), .handler = on(&TFM_Cmps::In1Click)},
        {.name = "Underline1", .caption = "&Underline Font", .menu = "Style1", .keys = {K(Qt::CTRL | Qt::Key_U)},
         .icon = icon(R::Underline), .handler = on(&TFM_Cmps::Underline1Click)},
        WindowCommand::separator("Style1"),
        {.name = "Left1", .caption = "Align &Left", .menu = "Style1", .icon = icon(R::AlignLeft), .handler = on(&TFM_Cmps::Left1Click)},
        {.name = "Center1", .caption = "Align &Center", .menu = "Style1", .icon = icon(R::AlignCenter),
         .handler = on(&TFM_Cmps::Center1Click)},
        {.name = "Right1", .caption = "Align &Right", .menu = "Style1", .icon = icon(R::AlignRight), .handler = on(&TFM_Cmps::Right1Click)},
        WindowCommand::separator("Style1"),
        // The bullets button's command, for the keyboard.
        {.name = "Bullets1", .caption = "Bullet&s", .menu = "Style1", .keys = {K(Qt::CTRL | Qt::SHIFT | Qt::Key_L)},
         .icon = icon(R::Bullets), .handler = on(&TFM_Cmps::Bullets1Click)},
        // Beside Bullets, in the paragraphs' group; the numbering styles follow F12's command.
        WindowCommand::menuRow("Numbering1", "&Numbering", "Style1"),
        {.name = "NumberingCmd", .caption = "Numbering &On/Off", .menu = "Numbering1", .keys = {K(Qt::Key_F12)},
         .icon = theme("format-list-ordered"), .handler = on(&TFM_Cmps::NumberingCmdExecute),
         .hint = "Number the paragraphs, or end their numbering"},

        // Spell checking is added at the end of Tools when the window is made.
        WindowCommand::menuRow("Tools1", "&Tools"),
        {.name = "InsertAttachment1", .caption = "&Insert Attachment", .menu = "Tools1", .icon = icon(R::Attach),
         .handler = on(&TFM_Cmps::AttachbuttonClick)},
        WindowCommand::separator("Tools1"),
        // The pick buttons' command, for the keyboard.
        {.name = "PickRecipients1", .caption = "&Pick Recipients...", .menu = "Tools1", .keys = {K(Qt::CTRL | Qt::Key_K)},
         .handler = on(&TFM_Cmps::SpeedButton1Click)},
        {.name = "AddAddress1", .caption = "A&dd Address", .menu = "Tools1", .handler = on(&TFM_Cmps::AddAddress1Click)},
        {.name = "AddressBool1", .caption = "&Address Book", .menu = "Tools1", .handler = on(&TFM_Cmps::AddressBool1Click)},
        WindowCommand::separator("Tools1"),
        {.name = "Optionssetting1", .caption = "&Options setting...", .menu = "Tools1", .handler = on(&TFM_Cmps::PIC_SetClick)},

        WindowCommand::menuRow("Help1", "&Help"),
        // F1 is shown here but is the window's own key (the compose page).
        {.name = "HelpContents1", .caption = "&Help Contents\tF1", .menu = "Help1", .handler = on(&TFM_Cmps::HelpContents1Click)},
        {.name = "TipsOfTheDay1", .caption = "&Tips Of The Day", .menu = "Help1", .handler = on(&TFM_Cmps::TipsOfTheDay1Click)},
        WindowCommand::separator("Help1"),
        {.name = "ReportBug1", .caption = "&Report Bug", .menu = "Help1", .handler = on(&TFM_Cmps::ReportBug1Click)},
        WindowCommand::separator("Help1"),
        {.name = "VisiteHomePage1", .caption = "&Visite HomePage", .menu = "Help1", .handler = on(&TFM_Cmps::VisiteHomePage1Click)},
        {.name = "About1", .caption = "&About Orlavinte", .menu = "Help1", .handler = on(&TFM_Cmps::About1Click)},

        // The attachment list's pop-up.
        WindowCommand::popupRow("PopupMenu1"),
        {.name = "AddAttachment1", .caption = "&Add attachment...", .menu = "PopupMenu1", .handler = on(&TFM_Cmps::AttachbuttonClick)},
        {.name = "Remove1", .caption = "&Remove attachment", .menu = "PopupMenu1", .handler = on(&TFM_Cmps::Remove1Click)},
    };
}

void TFM_Cmps::buildCommands()
{
    // The actions first: the format bar's edit buttons show them.
    m_commands = std::make_unique<WindowCommandTable>(this, commandRows());
    m_commands->makeActions();
    const auto find = [this](const char *name) { return m_commands->action(QLatin1String(name)); };
    EditUndoCmd = find("EditUndoCmd");
    EditRedoCmd = find("EditRedoCmd");
    EditCutCmd = find("EditCutCmd");
    EditCopyCmd = find("EditCopyCmd");
    EditPasteCmd = find("EditPasteCmd");
    EditSelAll = find("EditSelAll");
    FileNewCmd = find("FileNewCmd");
    FileOpenCmd = find("FileOpenCmd");
    FileSaveCmd = find("FileSaveCmd");
    SaveLetterAs1 = find("SaveLetterAs1");
    FileExitCmd = find("FileExitCmd");
    EditFindCmd = find("EditFindCmd");
    EditReplaceCmd = find("EditReplaceCmd");
    EditFindNextCmd = find("EditFindNextCmd");
    InsertPicture1 = find("InsertPicture1");
    PictureSize1 = find("PictureSize1");
    NumberingCmd = find("NumberingCmd");
}

void TFM_Cmps::buildMenus()
{
    m_commands->makeMenus(MainMenu1);
    m_numberingMenu = m_commands->menu(QStringLiteral("Numbering1"));
    m_attachMenu = m_commands->menu(QStringLiteral("PopupMenu1"));
    m_commands->action(QStringLiteral("Left1"))->setProperty("tag", AlignmentTag::Left);
    m_commands->action(QStringLiteral("Center1"))->setProperty("tag", AlignmentTag::Center);
    m_commands->action(QStringLiteral("Right1"))->setProperty("tag", AlignmentTag::Right);
}

bool TFM_Cmps::triggerCommand(const QString &name)
{
    return m_commands->trigger(name);
}
