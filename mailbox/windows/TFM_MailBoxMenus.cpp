#include "mailbox/windows/TFM_MailBox.h"

#include "mailbox/MailListSort.h"
#include "mailbox/MailStore.h"
#include "shell/HelpPages.h"
#include "shell/LinkConfig.h"
#include "ui/WindowCommandTable.h"
#include "ui/WindowOpener.h"
#include "ui/WindowServices.h"

#include <QComboBox>
#include <QMenu>
#include <QMenuBar>

// The main window's command table: the main menu and the two pop-up menus. Every entry
// forwards to a command of the window, and every entry has a letter of its own in its menu
// (Alt+letter, then the letter).
std::vector<WindowCommand> TFM_MailBox::commandRows()
{
    using K = QKeySequence;
    const auto showBox = [this](BoxCode box) {
        return [this, box] {
            CBX_Box->setCurrentIndex(BoxTable::selectorItem(box));
            CBX_BoxChange(BoxTable::selectorItem(box));
        };
    };
    const auto sort = [this](int column) { return [this, column] { sortBy(column); }; };

    return {
        WindowCommand::menuRow("File1", "&Flie"),
        {.name = "FileNewCmd", .caption = "&New", .menu = "File1", .keys = {K(Qt::CTRL | Qt::Key_N)},
         .handler = [this] { PIC_NewClick(); }},
        {.name = "Send1", .caption = "&Send", .menu = "File1", .handler = [this] { PIC_SendClick(); }},
        {.name = "SendSelected1", .caption = "Send Se&lected", .menu = "File1", .handler = [this] { SendSelectedClick(); }},
        WindowCommand::separator("File1"),
        {.name = "Export1", .caption = "&Export...", .menu = "File1", .handler = [this] { PIC_SaveClick(); }},
        WindowCommand::separator("File1"),
        {.name = "Exit2", .caption = "E&xit", .menu = "File1", .handler = [this] { close(); }},

        WindowCommand::menuRow("Edit1", "&Edit"),
        {.name = "Modify1", .caption = "&Modify", .menu = "Edit1", .handler = [this] { Sbt_edtClick(); }},
        WindowCommand::separator("Edit1"),
        // The window has no field to type into, so Delete is free for the mails.
        {.name = "Delete1", .caption = "&Delete", .menu = "Edit1", .keys = {K(K::Delete)}, .handler = [this] { Sbt_delClick(); }},
        WindowCommand::separator("Edit1"),
        {.name = "SelectNone1", .caption = "Select N&one", .menu = "Edit1", .handler = [this] { Sbt_snoneClick(); }},
        {.name = "SelectAll1", .caption = "Select &All", .menu = "Edit1", .handler = [this] { Sbt_sallClick(); }},
        WindowCommand::separator("Edit1"),
        WindowCommand::menuRow("MoveTo1", "Move &To", "Edit1"),
        {.name = "SentBox2", .caption = "&Sent Box", .menu = "MoveTo1", .handler = [this] { SentBox2Click(); }},
        {.name = "UnsentBox2", .caption = "&Unsent Box", .menu = "MoveTo1", .handler = [this] { UnsentBox2Click(); }},
        {.name = "TrashBox2", .caption = "&Trash Box", .menu = "MoveTo1", .handler = [this] { Sbt_delClick(); }},
        WindowCommand::separator("Edit1"),
        // The trash picture's command, for the keyboard (it asks before anything goes).
        {.name = "EmptyTrash1", .caption = "Empt&y Trash...", .menu = "Edit1", .keys = {K(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete)},
         .handler = [this] { PIC_EmptyClick(); }},

        WindowCommand::menuRow("View1", "&View"),
        WindowCommand::menuRow("SortBy1", "Sort &By", "View1"),
        {.name = "O1", .caption = "&TO", .menu = "SortBy1", .handler = sort(MailListSort::ToColumn)},
        {.name = "Subject1", .caption = "&Subject", .menu = "SortBy1", .handler = sort(MailListSort::SubjectColumn)},
        {.name = "Date1", .caption = "T&ime", .menu = "SortBy1", .handler = sort(MailListSort::TimeColumn)},
        {.name = "Size1", .caption = "Si&ze", .menu = "SortBy1", .handler = sort(MailListSort::SizeColumn)},
        WindowCommand::separator("View1"),
        {.name = "SentBox1", .caption = "&Sent Box", .menu = "View1", .handler = showBox(BoxCode::Sent)},
        {.name = "UnsentBox1", .caption = "&Unsent Box", .menu = "View1", .handler = showBox(BoxCode::Unsent)},
        {.name = "TrashBox1", .caption = "&Trash Box", .menu = "View1", .handler = showBox(BoxCode::Trash)},
        WindowCommand::separator("View1"),
        {.name = "Previous1", .caption = "&Previous", .menu = "View1", .handler = [this] { Sbt_PreClick(); }},
        {.name = "Next1", .caption = "&Next", .menu = "View1", .handler = [this] { Sbt_NextClick(); }},

        WindowCommand::menuRow("Tools1", "&Tools"),
        {.name = "AddAddress1", .caption = "Add &Address", .menu = "Tools1", .handler = [this] { m_services.opener.addAddress(); }},
        {.name = "AddressBool1", .caption = "Address &Book", .menu = "Tools1",
         .handler = [this] { m_services.opener.showAddressList(WindowOpener::AddressListUse::ManageKeepClose); }},
        WindowCommand::separator("Tools1"),
        {.name = "Options1", .caption = "&Options...", .menu = "Tools1", .handler = [this] { PIC_SetClick(); }},

        WindowCommand::menuRow("Help1", "&Help"),
        // F1 anywhere in the window, whichever control has the focus.
        {.name = "HelpContents1", .caption = "Help &Contents", .menu = "Help1", .keys = {K(Qt::Key_F1)},
         .handler = [this] { PIC_HelpClick(); }},
        {.name = "TipsOfTheDay1", .caption = "&Tips Of The Day", .menu = "Help1", .handler = [this] { m_services.opener.showTips(); }},
        WindowCommand::separator("Help1"),
        {.name = "ReportBug1", .caption = "&Report Bug ...", .menu = "Help1",
         .handler =
             [this] {
                 LinkConfig::open(m_services.shell,
                                  LinkConfig::bugReport(m_services.links, LinkConfig::BugReportFrom::MainWindow));
             }},
        WindowCommand::separator("Help1"),
        {.name = "VisiteHomePage1", .caption = "&Visite HomePage", .menu = "Help1",
         .handler = [this] { LinkConfig::open(m_services.shell, LinkConfig::homePage(m_services.links)); }},
        {.name = "About1", .caption = "&About Vellorn Composer ...", .menu = "Help1", .handler = [this] { m_services.opener.showAbout(); }},

        // The mail list's pop-up.
        WindowCommand::popupRow("PopupMenu1"),
        {.name = "SelectAll2", .caption = "Select &All", .menu = "PopupMenu1", .handler = [this] { Sbt_sallClick(); }},
        {.name = "SelectNone2", .caption = "Select N&one", .menu = "PopupMenu1", .handler = [this] { Sbt_snoneClick(); }},
        WindowCommand::separator("PopupMenu1"),
        {.name = "Modify2", .caption = "&Modify", .menu = "PopupMenu1", .handler = [this] { Sbt_edtClick(); }},
        WindowCommand::separator("PopupMenu1"),
        {.name = "New2", .caption = "&New", .menu = "PopupMenu1", .handler = [this] { PIC_NewClick(); }},
        WindowCommand::menuRow("MoveTo2", "Move &To", "PopupMenu1"),
        {.name = "UnsentBox3", .caption = "&Unsent Box", .menu = "MoveTo2", .handler = [this] { UnsentBox2Click(); }},
        {.name = "SentBox3", .caption = "&Sent Box", .menu = "MoveTo2", .handler = [this] { SentBox2Click(); }},
        {.name = "Delete2", .caption = "&Delete", .menu = "PopupMenu1", .handler = [this] { Sbt_delClick(); }},
        WindowCommand::separator("PopupMenu1"),
        {.name = "SendSelected2", .caption = "Send Se&lected", .menu = "PopupMenu1", .handler = [this] { SendSelectedClick(); }},

        // The attachment list's pop-up.
        WindowCommand::popupRow("PopupMenu2"),
        {.name = "SaveAs2", .caption = "&Save As...", .menu = "PopupMenu2", .handler = [this] { SaveAs2Click(); }},
    };
}

void TFM_MailBox::buildMenus()
{
    m_commands = std::make_unique<WindowCommandTable>(this, commandRows());
    m_commands->makeMenus(MainMenu1);
    m_commands->action(QStringLiteral("FileNewCmd"))->setStatusTip(QStringLiteral("Create a new file"));
    PopupMenu1 = m_commands->menu(QStringLiteral("PopupMenu1"));
    PopupMenu2 = m_commands->menu(QStringLiteral("PopupMenu2"));
}

bool TFM_MailBox::triggerCommand(const QString &name)
{
    return m_commands->trigger(name);
}
