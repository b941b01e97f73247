#include "TFM_AddLst.h"

#include "AddressBook.h"
#include "StoredText.h"
#include "AppError.h"
#include "AppInfo.h"
#include "DataPaths.h"
#include "TFM_AddEdit.h"
#include "UserDialogs.h"
#include "WindowServices.h"

#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>

namespace {

// The two layouts share one placement of the controls; the window's width decides what lies
// inside it.
constexpr QSize ManageSize(322, 356);
constexpr QSize PickSize(579, 356);
constexpr int Margin = 10;
constexpr int ButtonHeight = 26;
constexpr int ButtonTop = 356 - Margin - ButtonHeight;

} // namespace

TFM_AddLst::TFM_AddLst(WindowServices &services, TFM_AddEdit &editor, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_services(services)
    , m_editor(editor)
{
    setObjectName(QStringLiteral("FM_AddLst"));
    setWindowTitle(QStringLiteral("Address List "));

    auto *title = new QLabel(QStringLiteral("Address List"), this);
    title->setGeometry(Margin, 8, 200, 18);

    LstV_Add = new QTreeWidget(this);
    LstV_Add->setObjectName(QStringLiteral("LstV_Add"));
    LstV_Add->setColumnCount(2);
    LstV_Add->setHeaderHidden(true);
    LstV_Add->setColumnWidth(0, 90);
    LstV_Add->setColumnWidth(1, 150);
    LstV_Add->setRootIsDecorated(false);
    LstV_Add->setSelectionMode(QAbstractItemView::SingleSelection);
    LstV_Add->setSelectionBehavior(QAbstractItemView::SelectRows);
    LstV_Add->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LstV_Add->setSortingEnabled(false);
    LstV_Add->setAllColumnsShowFocus(true);
    LstV_Add->setGeometry(Margin, 28, ManageSize.width() - 2 * Margin, ButtonTop - 8 - 28);

    // Four buttons across the width of the manage layout.
    Button9 = button("Button9", QStringLiteral("&New ..."));
    Button10 = button("Button10", QStringLiteral("&Edit ..."));
    Button11 = button("Button11", QStringLiteral("&Delete"));
    Bt_Can = button("Bt_Can", QStringLiteral("&Close"));
    const int gap = 6;
    const int width = (ManageSize.width() - 2 * Margin - 3 * gap) / 4;
    int x = Margin;
    for (QPushButton *b : {Button9, Button10, Button11, Bt_Can}) {
        b->setGeometry(x, ButtonTop, width, ButtonHeight);
        x += width + gap;
    }

    // The pick side: three lists, each with its "->" and "<-" buttons on its left.
    auto *toAdd = button("Button3", QStringLiteral("->"));
    auto *ccAdd = button("Button2", QStringLiteral("->"));
    auto *bccAdd = button("Button1", QStringLiteral("->"));
    auto *toRemove = button("Button6", QStringLiteral("<-"));
    auto *ccRemove = button("Button5", QStringLiteral("<-"));
    auto *bccRemove = button("Button4", QStringLiteral("<-"));
    Lbx_To = pickList("Lbx_To", QStringLiteral("TO:"), 8, toAdd, toRemove);
    Lbx_Cc = pickList("Lbx_Cc", QStringLiteral("CC:"), 114, ccAdd, ccRemove);
    Lbx_Bcc = pickList("Lbx_Bcc", QStringLiteral("BCC:"), 220, bccAdd, bccRemove);
    Lbx_To->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Lbx_Cc->setSelectionMode(QAbstractItemView::SingleSelection);
    Lbx_Bcc->setSelectionMode(QAbstractItemView::SingleSelection);

    Button7 = button("Button7", QStringLiteral("&OK"));
    Button8 = button("Button8", QStringLiteral("&Cancel"));
    Button8->setGeometry(PickSize.width() - Margin - 80, ButtonTop, 80, ButtonHeight);
    Button7->setGeometry(PickSize.width() - Margin - 80 - gap - 80, ButtonTop, 80, ButtonHeight);
    m_pickSide << Button7 << Button8;

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
    auto *b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(name));
    // Enter in the list must not press whichever button comes first.
    b->setAutoDefault(false);
    return b;
}

QListWidget *TFM_AddLst::pickList(const char *name, const QString &caption, int top, QPushButton *add,
                                  QPushButton *remove)
{
    const int arrowsLeft = ManageSize.width() + 2;
    const int listLeft = arrowsLeft + 40 + 8;
    auto *label = new QLabel(caption, this);
    label->setGeometry(listLeft, top, 100, 18);
    auto *list = new QListWidget(this);
    list->setObjectName(QLatin1String(name));
    list->setGeometry(listLeft, top + 20, PickSize.width() - Margin - listLeft, 78);
    add->setGeometry(arrowsLeft, top + 24, 40, ButtonHeight);
    remove->setGeometry(arrowsLeft, top + 24 + ButtonHeight + 6, 40, ButtonHeight);
    m_pickSide << label << list << add << remove;
    return list;
}

void TFM_AddLst::setUse(Use use)
{
    m_pickLayout = use == Use::Pick;
    if (use == Use::Manage)
        Bt_Can->setVisible(true);
    else if (use == Use::Pick)
        Bt_Can->setVisible(false);
    setFixedSize(m_pickLayout ? PickSize : ManageSize);
    // Controls outside the window are hidden too, so Tab never walks into them.
    for (QWidget *w : m_pickSide)
        w->setVisible(m_pickLayout);
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
    ListAddresses();
    Lbx_To->clear();
    Lbx_Cc->clear();
    Lbx_Bcc->clear();
    // Centred on the screen at every showing.
    if (QScreen *s = parentWidget() ? parentWidget()->screen() : screen())
        move(s->availableGeometry().center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    QDialog::showEvent(event);
}

QString TFM_AddLst::selectedName() const
{
    const QList<QTreeWidgetItem *> selected = LstV_Add->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text(0);
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
                                  QString::fromLocal8Bit(e.what()));
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
    try {
        AddressBook(m_services.paths.config).RemoveAddress(selected.first()->data(0, Qt::UserRole).toByteArray().toStdString());
    } catch (const AppError &e) {
        reportFailure(e);
        return;
    }
    ListAddresses();
}
