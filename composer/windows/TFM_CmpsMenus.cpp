// The command lists and the menu bar of TFM_Cmps.
#include "composer/windows/TFM_Cmps.h"

#include "composer/AlignmentTag.h"
#include "os/ProgramIcons.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction *command(QWidget *window, const char *name, const char *caption, const char *hint,
                 const QList<QKeySequence> &keys = {})
{
    auto *a = new QAction(QLatin1String(caption), window);
    a->setObjectName(QLatin1String(name));
    if (hint) {
        a->setToolTip(QLatin1String(hint));
        a->setStatusTip(QLatin1String(hint));
    }
    a->setShortcuts(keys);
    // Shortcuts of the commands work anywhere in the window.
    a->setShortcutContext(Qt::WindowShortcut);
    window->addAction(a);
    return a;
}

} // namespace

void TFM_Cmps::buildCommands()
{
    using R = ProgramIcons::Role;
    // ActionList2: the edit commands.
    EditUndoCmd = command(this, "EditUndoCmd", "&Undo", "Undo the last action", {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    EditCutCmd = command(this, "EditCutCmd", "Cu&t", "Delete selected item", {QKeySequence(Qt::CTRL | Qt::Key_X)});
    EditCopyCmd = command(this, "EditCopyCmd", "&Copy", "Copy selected item to clipboard",
                          {QKeySequence(Qt::CTRL | Qt::Key_C)});
    EditPasteCmd = command(this, "EditPasteCmd", "&Paste", "Paste contents of clipboard",
                           {QKeySequence(Qt::CTRL | Qt::Key_V)});
    EditSelAll = command(this, "EditSelAll", "Select &All", nullptr);
    EditUndoCmd->setIcon(ProgramIcons::icon(R::Undo));
    EditCutCmd->setIcon(ProgramIcons::icon(R::Cut));
    EditCopyCmd->setIcon(ProgramIcons::icon(R::Copy));
    EditPasteCmd->setIcon(ProgramIcons::icon(R::Paste));
    connect(EditUndoCmd, &QAction::triggered, this, &TFM_Cmps::EditUndoCmdExecute);
    connect(EditCutCmd, &QAction::triggered, this, &TFM_Cmps::EditCutCmdExecute);
    connect(EditCopyCmd, &QAction::triggered, this, &TFM_Cmps::EditCopyCmdExecute);
    connect(EditPasteCmd, &QAction::triggered, this, &TFM_Cmps::EditPasteCmdExecute);
    connect(EditSelAll, &QAction::triggered, this, &TFM_Cmps::EditSelAllExecute);

    // ActionList1: the file commands. The menu shows "&Import..." and "&Close" for Open
    // and Exit; "&Close" also answers Ctrl+F4, the key its menu item shows.
    FileNewCmd = command(this, "FileNewCmd", "&New", nullptr, {QKeySequence(Qt::CTRL | Qt::Key_N)});
    FileOpenCmd = command(this, "FileOpenCmd", "&Import...", nullptr, {QKeySequence(Qt::CTRL | Qt::Key_O)});
    FileSaveCmd = command(this, "FileSaveCmd", "&Save", nullptr, {QKeySequence(Qt::CTRL | Qt::Key_S)});
    FileExitCmd = command(this, "FileExitCmd", "&Close", nullptr,
                          {QKeySequence(Qt::CTRL | Qt::Key_F4), QKeySequence(Qt::ALT | Qt::Key_X)});
    connect(FileNewCmd, &QAction::triggered, this, &TFM_Cmps::FileNewCmdExecute);
    connect(FileOpenCmd, &QAction::triggered, this, &TFM_Cmps::PIC_OpenClick);
    connect(FileSaveCmd, &QAction::triggered, this, &TFM_Cmps::PIC_SaveClick);
    connect(FileExitCmd, &QAction::triggered, this, &TFM_Cmps::FileExitCmdExecute);
    buildEditingCommands();

    // F1 anywhere in the window: the compose help page.
    QAction *help = command(this, "HelpKey", "Help", nullptr, {QKeySequence(Qt::Key_F1)});
    connect(help, &QAction::triggered, this, &TFM_Cmps::PIC_HelpClick);
}

void TFM_Cmps::buildMenus()
{
    // Every item has a mnemonic; an item with keys has them anywhere in the window.
    auto item = [this](QMenu *menu, const char *name, const char *caption, void (TFM_Cmps::*slot)(),
                       const QList<QKeySequence> &keys = {}) {
        QAction *a = menu->addAction(QLatin1String(caption));
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
        if (!keys.isEmpty()) {
            a->setShortcuts(keys);
            a->setShortcutContext(Qt::WindowShortcut);
            addAction(a);
        }
        return a;
    };

    QMenu *file = MainMenu1->addMenu(QStringLiteral("&Flie"));
    file->setObjectName(QStringLiteral("File1"));
    item(file, "Send1", "S&end", &TFM_Cmps::PIC_SendClick,
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    item(file, "SendByMsOE1", "Send &By Ms OE", &TFM_Cmps::PIC_IEClick);
    file->addSeparator();
    file->addAction(FileOpenCmd);
    file->addSeparator();
    file->addAction(FileSaveCmd);
    file->addSeparator();
    item(file, "PreviewPictures1", "Pre&view Pictures...", &TFM_Cmps::PreviewPictures1Click,
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P)});
    item(file, "Print1", "&Print...", &TFM_Cmps::Print1Click, {QKeySequence(Qt::CTRL | Qt::Key_P)});
    file->addSeparator();
    file->addAction(FileExitCmd);

    QMenu *edit = MainMenu1->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("Edit1"));
    edit->addAction(EditUndoCmd);
    edit->addAction(EditRedoCmd);
    edit->addSeparator();
    edit->addAction(EditCopyCmd);
    edit->addAction(EditCutCmd);
    edit->addAction(EditPasteCmd);
    edit->addSeparator();
    edit->addAction(EditSelAll);
    edit->addSeparator();
    edit->addAction(EditFindCmd);
    edit->addAction(EditFindNextCmd);
    edit->addAction(EditReplaceCmd);
    edit->addSeparator();
    item(edit, "InsertDate1", "Insert &Date", &TFM_Cmps::InsertDate1Click);
    item(edit, "InsertTime1", "Insert T&ime", &TFM_Cmps::InsertTime1Click);

    using R = ProgramIcons::Role;
    QMenu *style = MainMenu1->addMenu(QStringLiteral("&Style"));
    style->setObjectName(QStringLiteral("Style1"));
    item(style, "Font1", "&Font...", &TFM_Cmps::Font1Click);
    item(style, "Color1", "C&olor...", &TFM_Cmps::Color1Click);
    item(style, "Highlight1", "&Highlight Color...", &TFM_Cmps::Highlight1Click);
    style->addSeparator();
    item(style, "Bold1", "&Bold Font", &TFM_Cmps::Bold1Click, {QKeySequence(Qt::CTRL | Qt::Key_B)})
        ->setIcon(ProgramIcons::icon(R::Bold));
    item(style, "In1", "&Italic Font", &TFM_Cmps::In1Click, {QKeySequence(Qt::CTRL | Qt::Key_I)})
        ->setIcon(ProgramIcons::icon(R::Italic));
    item(style, "Underline1", "&Underline Font", &TFM_Cmps::Underline1Click, {QKeySequence(Qt::CTRL | Qt::Key_U)})
        ->setIcon(ProgramIcons::icon(R::Underline));
    style->addSeparator();
    QAction *left = item(style, "Left1", "Align &Left", &TFM_Cmps::Left1Click);
    QAction *center = item(style, "Center1", "Align &Center", &TFM_Cmps::Center1Click);
    QAction *right = item(style, "Right1", "Align &Right", &TFM_Cmps::Right1Click);
    left->setProperty("tag", AlignmentTag::Left);
    center->setProperty("tag", AlignmentTag::Center);
    right->setProperty("tag", AlignmentTag::Right);
    left->setIcon(ProgramIcons::icon(R::AlignLeft));
    center->setIcon(ProgramIcons::icon(R::AlignCenter));
    right->setIcon(ProgramIcons::icon(R::AlignRight));
    style->addSeparator();
    // The bullets button's command, for the keyboard.
    item(style, "Bullets1", "Bullet&s", &TFM_Cmps::Bullets1Click, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L)})
        ->setIcon(ProgramIcons::icon(R::Bullets));

    QMenu *tools = MainMenu1->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("Tools1"));
    item(tools, "InsertAttachment1", "&Insert Attachment", &TFM_Cmps::AttachbuttonClick)
        ->setIcon(ProgramIcons::icon(R::Attach));
    tools->addSeparator();
    // The pick buttons' command, for the keyboard.
    item(tools, "PickRecipients1", "&Pick Recipients...", &TFM_Cmps::SpeedButton1Click,
         {QKeySequence(Qt::CTRL | Qt::Key_K)});
    item(tools, "AddAddress1", "A&dd Address", &TFM_Cmps::AddAddress1Click);
    item(tools, "AddressBool1", "&Address Book", &TFM_Cmps::AddressBool1Click);
    tools->addSeparator();
    item(tools, "Optionssetting1", "&Options setting...", &TFM_Cmps::PIC_SetClick);

    QMenu *help = MainMenu1->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    // F1 is shown here but is the window's own key (the compose page).
    item(help, "HelpContents1", "&Help Contents\tF1", &TFM_Cmps::HelpContents1Click);
    item(help, "TipsOfTheDay1", "&Tips Of The Day", &TFM_Cmps::TipsOfTheDay1Click);
    help->addSeparator();
    item(help, "ReportBug1", "&Report Bug", &TFM_Cmps::ReportBug1Click);
    help->addSeparator();
    item(help, "VisiteHomePage1", "&Visite HomePage", &TFM_Cmps::VisiteHomePage1Click);
    item(help, "About1", "&About Orlavinte", &TFM_Cmps::About1Click);
}

void TFM_Cmps::buildEditingCommands()
{
    // Beside the edit commands: Redo, and finding and replacing.
    EditRedoCmd = command(this, "EditRedoCmd", "&Redo", "Redo the last undone action",
                          {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    EditRedoCmd->setIcon(QIcon::fromTheme(QStringLiteral("edit-redo")));
    EditFindCmd = command(this, "EditFindCmd", "&Find...", "Find text in the letter",
                          {QKeySequence(Qt::CTRL | Qt::Key_F)});
    EditFindCmd->setIcon(QIcon::fromTheme(QStringLiteral("edit-find")));
    EditReplaceCmd = command(this, "EditReplaceCmd", "R&eplace...", "Replace text in the letter",
                             {QKeySequence(Qt::CTRL | Qt::Key_H)});
    EditReplaceCmd->setIcon(QIcon::fromTheme(QStringLiteral("edit-find-replace")));
    EditFindNextCmd = command(this, "EditFindNextCmd", "Find &Next", "Find the next place of the text",
                              {QKeySequence(Qt::Key_F3)});
    connect(EditRedoCmd, &QAction::triggered, this, &TFM_Cmps::EditRedoCmdExecute);
    connect(EditFindCmd, &QAction::triggered, this, &TFM_Cmps::Find1Click);
    connect(EditReplaceCmd, &QAction::triggered, this, &TFM_Cmps::Replace1Click);
    connect(EditFindNextCmd, &QAction::triggered, this, &TFM_Cmps::FindNext1Click);
}
