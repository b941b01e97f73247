#include "addressbook/windows/TFM_AddLst.h"

#include "addressbook/AddressBook.h"
#include "addressbook/AddressQuestions.h"
#include "addressbook/windows/TFM_AddEdit.h"
#include "os/AppError.h"
#include "os/DataPaths.h"
#include "product/AppInfo.h"
#include "text/StoredText.h"
#include "ui/UserDialogs.h"
#include "ui/WindowServices.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The sizes of the two layouts when first shown; after that each keeps the size it was given.
constexpr QSize ManageSize(322, 356);
constexpr QSize PickSize(579, 356);
// The list's two columns share its width as their first widths (90 and 150) did.
constexpr int NameShare = 90;
constexpr int AddressShare = 150;

} // namespace

TFM_AddLst::TFM_AddLst(WindowServices &services, TFM_AddEdit &editor, QWidget *parent)
    : QDialog(parent, Qt::Dialog)
    , m_services(services)
    , m_editor(editor)
{
    setObjectName(QStringLiteral("FM_AddLst"));
    setWindowTitle(QStringLiteral("Address List "));
    setSizeGripEnabled(true);
    m_sizes[0] = ManageSize;
    m_sizes[1] = PickSize;

    LstV_Add = new QTreeWidget;
    LstV_Add->setObjectName(QStringLiteral("LstV_Add"));
    LstV_Add->setColumnCount(2);
    LstV_Add->setHeaderHidden(true);
    // Hidden, the header still names the columns for screen readers.
    LstV_Add->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("E-mail")});
    LstV_Add->header()->setStretchLastSection(true);
    LstV_Add->setRootIsDecorated(false);
    LstV_Add->setSelectionMode(QAbstractItemView::SingleSelection);
    LstV_Add->setSelectionBehavior(QAbstractItemView::SelectRows);
    LstV_Add->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LstV_Add->setSortingEnabled(false);
    LstV_Add->setAllColumnsShowFocus(true);
    LstV_Add->viewport()->installEventFilter(this);

    Button9 = button("Button9", QStringLiteral("&New ..."));
    Button10 = button("Button10", QStringLiteral("&Edit ..."));
    Button11 = button("Button11", QStringLiteral("&Delete"));
    Bt_Can = button("Bt_Can", QStringLiteral("&Close"));
    auto *manageButtons = new QHBoxLayout;
    for (QPushButton *b : {Button9, Button10, Button11, Bt_Can}) {
        b->setMinimumWidth(56); // four fit the manage layout's width
        manageButtons->addWidget(b);
    }
    auto *manage = new QVBoxLayout;
    auto *listLabel = new QLabel(QStringLiteral("Address List"));
    listLabel->setBuddy(LstV_Add);
    LstV_Add->setAccessibleName(QStringLiteral("Address list"));
    manage->addWidget(listLabel);
    manage->addWidget(LstV_Add, 1);
    manage->addLayout(manageButtons);

    // The pick side: three lists, each with its "->" and "<-" buttons on its left.
    m_pickSide = new QWidget;
    auto *pickRows = new QVBoxLayout(m_pickSide);
    pickRows->setContentsMargins(0, 0, 0, 0);
    auto *toAdd = button("Button3", QStringLiteral("->"));
    auto *ccAdd = button("Button2", QStringLiteral("->"));
    auto *bccAdd = button("Button1", QStringLiteral("->"));
    auto *toRemove = button("Button6", QStringLiteral("<-"));
    auto *ccRemove = button("Button5", QStringLiteral("<-"));
    auto *bccRemove = button("Button4", QStringLiteral("<-"));
    Lbx_To = pickList(pickRows, "Lbx_To", QStringLiteral("TO:"), toAdd, toRemove);
    Lbx_Cc = pickList(pickRows, "Lbx_Cc", QStringLiteral("CC:"), ccAdd, ccRemove);
    Lbx_Bcc = pickList(pickRows, "Lbx_Bcc", QStringLiteral("BCC:"), bccAdd, bccRemove);
    const std::pair<QPushButton *, const char *> arrowNames[] = {
        {toAdd, "Add to To"},         {ccAdd, "Add to CC"},         {bccAdd, "Add to BCC"},
        {toRemove, "Remove from To"}, {ccRemove, "Remove from CC"}, {bccRemove, "Remove from BCC"}};
    for (const auto &[arrow, name] : arrowNames)
        arrow->setAccessibleName(QLatin1String(name));
    Lbx_To->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Lbx_Cc->setSelectionMode(QAbstractItemView::SingleSelection);
    Lbx_Bcc->setSelectionMode(QAbstractItemView::SingleSelection);

    Button7 = button("Button7", QStringLiteral("&OK"));
    Button8 = button("Button8", QStringLiteral("&Cancel"));
    auto *pickButtons = new QHBoxLayout;
    pickButtons->addStretch();
    pickButtons->addWidget(Button7);
    pickButtons->addWidget(Button8);
    pickRows->addLayout(pickButtons);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->setSpacing(10);
    layout->addLayout(manage, NameShare + AddressShare);
    layout->addWidget(m_pickSide, 200);

    const QList<QWidget *> order = {LstV_Add, Button9, Button10, Button11, Bt_Can, toAdd, toRemove, Lbx_To,
                                    ccAdd, ccRemove, Lbx_Cc, bccAdd, bccRemove, Lbx_Bcc, Button7, Button8};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Button9, &QPushButton::clicked, this, &TFM_AddLst::Button9Click);
    connect(Button10, &QPushButton::clicked, this, &TFM_AddLst::Button10Click);
    connect(Button11, &QPushButton::clicked, this, &TFM_AddLst::Button11Click);
    connect(Bt_Can, &QPushButton::clicked, this, &QDialog::reject);
    connect(toAdd, &QPushButton::clicked, this, [this] { addPick(Lbx_To); });
    connect(ccAdd, &QPushButton::clicked, this, [this] { addPick(Lbx_Cc); });
    connect(bccAdd, &QPushButton::clicked, this, [this] { addPick(Lbx_Bcc); });
    connect(toRemove, &QPushButton::clicked, this, [this] { removePicks(Lbx_To); });
    connect(ccRemove, &QPushButton::clicked, this, [this] { removePicks(Lbx_Cc); });
    connect(bccRemove, &QPushButton::clicked, this, [this] { removePicks(Lbx_Bcc); });
    connect(Button7, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button8, &QPushButton::clicked, this, &QDialog::reject);

    setUse(Use::Manage);
    ListAddresses();
}

QPushButton *TFM_AddLst::button(const char *name, const QString &text)
{
    auto *b = new QPushButton(text);
    b->setObjectName(QLatin1String(name));
    // Enter in the list must not press whichever button comes first.
    b->setAutoDefault(false);
    return b;
}

QListWidget *TFM_AddLst::pickList(QVBoxLayout *rows, const char *name, const QString &caption, QPushButton *add,
                                  QPushButton *remove)
{
    auto *list = new QListWidget;
    list->setObjectName(QLatin1String(name));
    auto *arrows = new QVBoxLayout;
    for (QPushButton *b : {add, remove}) {
        b->setFixedWidth(40);
        arrows->addWidget(b);
    }
    arrows->addStretch();
    auto *row = new QHBoxLayout;
    row->addLayout(arrows);
    row->addWidget(list, 1);
    auto *label = new QLabel(caption);
    label->setIndent(48);
    label->setBuddy(list);
    // A list is not named by its label's buddy: it says so itself.
    list->setAccessibleName(caption.chopped(1) + QStringLiteral(" recipients"));
    rows->addWidget(label);
    rows->addLayout(row, 1);
    return list;
}

bool TFM_AddLst::eventFilter(QObject *watched, QEvent *event)
{
    // The columns grow and shrink with the list, keeping their shares.
    if (watched == LstV_Add->viewport() && event->type() == QEvent::Resize)
        LstV_Add->setColumnWidth(0, LstV_Add->viewport()->width() * NameShare / (NameShare + AddressShare));
    return QDialog::eventFilter(watched, event);
}

void TFM_AddLst::setUse(Use use)
{
    if (use == Use::Manage)
        Bt_Can->setVisible(true);
    else if (use == Use::Pick)
        Bt_Can->setVisible(false);
    // Each layout keeps the size it was last shown in.
    if (m_shown)
        m_sizes[m_pickLayout ? 1 : 0] = size();
    m_pickLayout = use == Use::Pick;
    // Hidden, the pick side is out of the layout and out of the Tab order.
    m_pickSide->setVisible(m_pickLayout);
    resize(m_sizes[m_pickLayout ? 1 : 0]);
}

bool TFM_AddLst::showModal(Use use, Picks *out)
{
    setUse(use);
    const bool ok = exec() == QDialog::Accepted;
    if (ok && out)
        *out = picks();
    return ok;
}

WindowOpener::AddressPicks TFM_AddLst::picks() const
{
    const auto lines = [](const QListWidget *list) {
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        return names;
    };
    return {lines(Lbx_To), lines(Lbx_Cc), lines(Lbx_Bcc)};
}

void TFM_AddLst::ListAddresses()
{
    LstV_Add->clear();
    QList<QTreeWidgetItem *> rows;
    for (const AddressBook::Entry &e : AddressBook(m_services.paths.config).ListAddresses()) {
        auto *row = new QTreeWidgetItem(QStringList{StoredText::toQString(e.name), StoredText::toQString(e.address)});
        // The stored bytes, so that editing and deleting find the entry whatever the text.
        row->setData(0, Qt::UserRole, QByteArray::fromStdString(e.name));
        row->setData(1, Qt::UserRole, QByteArray::fromStdString(e.address));
        rows << row;
    }
    LstV_Add->addTopLevelItems(rows);
}

void TFM_AddLst::showEvent(QShowEvent *event)
{
    m_shown = true;
    ListAddresses();
    Lbx_To->clear();
    Lbx_Cc->clear();
    Lbx_Bcc->clear();
    // Picking by keys: the first row is current and selected, so that the arrow buttons
    // take it at once.
    if (m_pickLayout && LstV_Add->topLevelItemCount() > 0)
        LstV_Add->setCurrentItem(LstV_Add->topLevelItem(0));
    // Centred on the screen at every showing.
    if (QScreen *s = parentWidget() ? parentWidget()->screen() : screen())
        move(s->availableGeometry().center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    QDialog::showEvent(event);
}

QString TFM_AddLst::selectedName() const
{
    const QList<QTreeWidgetItem *> selected = LstV_Add->selectedItems();
    if (!selected.isEmpty())
        return selected.first()->text(0);
    // The row the keyboard is on counts as chosen in the pick lists.
    const QTreeWidgetItem *current = m_pickLayout ? LstV_Add->currentItem() : nullptr;
    return current ? current->text(0) : QString();
}

void TFM_AddLst::addPick(QListWidget *list)
{
    const QString name = selectedName();
    if (!name.isEmpty())
        list->addItem(name);
}

void TFM_AddLst::removePicks(QListWidget *list)
{
    qDeleteAll(list->selectedItems());
}

void TFM_AddLst::reportFailure(const std::exception &e)
{
    m_services.dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle),
                                  QString::fromUtf8(e.what()));
}

void TFM_AddLst::Button9Click()
{
    if (m_editor.AddAddress())
        ListAddresses();
}

void TFM_AddLst::Button10Click()
{
    const QList<QTreeWidgetItem *> selected = LstV_Add->selectedItems();
    if (selected.isEmpty()) {
        m_services.dialogs.messageBox(UserDialogs::Kind::Plain, QString::fromLatin1(AppInfo::ApplicationTitle),
                                      QStringLiteral("You must select one item!"));
        return;
    }
    const QTreeWidgetItem *row = selected.first();
    if (m_editor.EditAddress(row->data(0, Qt::UserRole).toByteArray().toStdString(),
                             row->data(1, Qt::UserRole).toByteArray().toStdString()))
        ListAddresses();
}

void TFM_AddLst::Button11Click()
{
    const QList<QTreeWidgetItem *> selected = LstV_Add->selectedItems();
    if (selected.isEmpty())
        return;
    const std::string name = selected.first()->data(0, Qt::UserRole).toByteArray().toStdString();
    const std::string address = selected.first()->data(1, Qt::UserRole).toByteArray().toStdString();
    if (m_services.dialogs.messageBox(UserDialogs::Kind::Confirmation, QString::fromLatin1(AppInfo::ApplicationTitle),
                                      AddressQuestions::deleteEntry(name, address), UserDialogs::Buttons::YesNo)
        != UserDialogs::Answer::Yes)
        return;
    try {
        AddressBook(m_services.paths.config).RemoveAddress(name);
    } catch (const AppError &e) {
        reportFailure(e);
        return;
    }
    ListAddresses();
}
