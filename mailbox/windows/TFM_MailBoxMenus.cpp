#include "mailbox/windows/TFM_MailBox.h"

#include "mailbox/MailListSort.h"
#include "mailbox/MailStore.h"
#include "shell/HelpPages.h"
#include "shell/LinkConfig.h"
#include "ui/WindowOpener.h"
#include "ui/WindowServices.h"

#include <QComboBox>
#include <QMenu>
#include <QMenuBar>

// The main menu and the two pop-up menus. Every entry forwards to a command of the window,
// and every entry has a letter of its own in its menu (Alt+letter, then the letter).
void TFM_MailBox::buildMenus()
{
    auto item = [this](QMenu *menu, const char *name, const char *text, auto slot) {
        QAction *action = menu->addAction(QLatin1String(text), this, slot);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    auto menu = [this](const char *name, const char *title) {
        QMenu *m = MainMenu1->addMenu(QLatin1String(title));
        m->setObjectName(QLatin1String(name));
        return m;
    };

    QMenu *file = menu("File1", "&Flie");
    QAction *fileNew = item(file, "FileNewCmd", "&New", [this] { PIC_NewClick(); });
    fileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    fileNew->setStatusTip(QStringLiteral("Create a new file"));
    item(file, "Send1", "&Send", [this] { PIC_SendClick(); });
    item(file, "SendSelected1", "Send Se&lected", [this] { SendSelectedClick(); });
    file->addSeparator();
    item(file, "Export1", "&Export...", [this] { PIC_SaveClick(); });
    file->addSeparator();
    item(file, "Exit2", "E&xit", [this] { close(); });

    QMenu *edit = menu("Edit1", "&Edit");
    item(edit, "Modify1", "&Modify", [this] { Sbt_edtClick(); });
    edit->addSeparator();
    QAction *deleteMails = item(edit, "Delete1", "&Delete", [this] { Sbt_delClick(); });
    deleteMails->setShortcut(QKeySequence::Delete); // the window has no field to type into

    edit->addSeparator();
    item(edit, "SelectNone1", "Select N&one", [this] { Sbt_snoneClick(); });
    item(edit, "SelectAll1", "Select &All", [this] { Sbt_sallClick(); });
    edit->addSeparator();
    QMenu *moveTo = edit->addMenu(QStringLiteral("Move &To"));
    moveTo->setObjectName(QStringLiteral("MoveTo1"));
    item(moveTo, "SentBox2", "&Sent Box", [this] { SentBox2Click(); });
    item(moveTo, "UnsentBox2", "&Unsent Box", [this] { UnsentBox2Click(); });
    item(moveTo, "TrashBox2", "&Trash Box", [this] { Sbt_delClick(); });
    edit->addSeparator();
    // The trash picture's command, for the keyboard (it asks before anything goes).
    QAction *emptyTrash = item(edit, "EmptyTrash1", "Empt&y Trash...", [this] { PIC_EmptyClick(); });
    emptyTrash->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete));

    QMenu *view = menu("View1", "&View");
    QMenu *sortMenu = view->addMenu(QStringLiteral("Sort &By"));
    sortMenu->setObjectName(QStringLiteral("SortBy1"));
    item(sortMenu, "O1", "&TO", [this] { sortBy(MailListSort::ToColumn); });
    item(sortMenu, "Subject1", "&Subject", [this] { sortBy(MailListSort::SubjectColumn); });
    item(sortMenu, "Date1", "T&ime", [this] { sortBy(MailListSort::TimeColumn); });
    item(sortMenu, "Size1", "Si&ze", [this] { sortBy(MailListSort::SizeColumn); });
    view->addSeparator();
    auto showBox = [this](BoxCode box) {
        CBX_Box->setCurrentIndex(BoxTable::selectorItem(box));
        CBX_BoxChange(BoxTable::selectorItem(box));
    };
    item(view, "SentBox1", "&Sent Box", [showBox] { showBox(BoxCode::Sent); });
    item(view, "UnsentBox1", "&Unsent Box", [showBox] { showBox(BoxCode::Unsent); });
    item(view, "TrashBox1", "&Trash Box", [showBox] { showBox(BoxCode::Trash); });
    view->addSeparator();
    item(view, "Previous1", "&Previous", [this] { Sbt_PreClick(); });
    item(view, "Next1", "&Next", [this] { Sbt_NextClick(); });

    QMenu *tools = menu("Tools1", "&Tools");
    item(tools, "AddAddress1", "Add &Address", [this] { m_services.opener.addAddress(); });
    item(tools, "AddressBool1", "Address &Book",
         [this] { m_services.opener.showAddressList(WindowOpener::AddressListUse::ManageKeepClose); });
    tools->addSeparator();
    item(tools, "Options1", "&Options...", [this] { PIC_SetClick(); });

    QMenu *help = menu("Help1", "&Help");
    QAction *contents = item(help, "HelpContents1", "Help &Contents", [this] { PIC_HelpClick(); });
    // F1 anywhere in the window, whichever control has the focus.
    contents->setShortcut(QKeySequence(Qt::Key_F1));
    contents->setShortcutContext(Qt::WindowShortcut);
    item(help, "TipsOfTheDay1", "&Tips Of The Day", [this] { m_services.opener.showTips(); });
    help->addSeparator();
    item(help, "ReportBug1", "&Report Bug ...", [this] {
        LinkConfig::open(m_services.shell,
                         LinkConfig::bugReport(m_services.links, LinkConfig::BugReportFrom::MainWindow));
    });
    help->addSeparator();
    item(help, "VisiteHomePage1", "&Visite HomePage",
         [this] { LinkConfig::open(m_services.shell, LinkConfig::homePage(m_services.links)); });
    item(help, "About1", "&About Vellorn Composer ...", [this] { m_services.opener.showAbout(); });

    // The mail list's pop-up.
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    item(PopupMenu1, "SelectAll2", "Select &All", [this] { Sbt_sallClick(); });
    item(PopupMenu1, "SelectNone2", "Select N&one", [this] { Sbt_snoneClick(); });
    PopupMenu1->addSeparator();
    item(PopupMenu1, "Modify2", "&Modify", [this] { Sbt_edtClick(); });
    PopupMenu1->addSeparator();
    item(PopupMenu1, "New2", "&New", [this] { PIC_NewClick(); });
    QMenu *popupMove = PopupMenu1->addMenu(QStringLiteral("Move &To"));
    popupMove->setObjectName(QStringLiteral("MoveTo2"));
    item(popupMove, "UnsentBox3", "&Unsent Box", [this] { UnsentBox2Click(); });
    item(popupMove, "SentBox3", "&Sent Box", [this] { SentBox2Click(); });
    item(PopupMenu1, "Delete2", "&Delete", [this] { Sbt_delClick(); });
    PopupMenu1->addSeparator();
    item(PopupMenu1, "SendSelected2", "Send Se&lected", [this] { SendSelectedClick(); });

    // The attachment list's pop-up.
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    item(PopupMenu2, "SaveAs2", "&Save As...", [this] { SaveAs2Click(); });
}
