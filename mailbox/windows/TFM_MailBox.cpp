#include "mailbox/windows/TFM_MailBox.h"

#include "config/ConfigFile.h"
#include "config/ConfigSettings.h"
#include "mailbox/MailListModel.h"
#include "mailbox/MailListSort.h"
#include "os/AppError.h"
#include "os/DataPaths.h"
#include "os/ProgramIcons.h"
#include "os/ProgramRegistry.h"
#include "product/AppInfo.h"
#include "product/LinkAddresses.h"
#include "ui/RegularFontHeader.h"
#include "ui/ToolBand.h"
#include "ui/ToolCaptionLabel.h"
#include "ui/ToolImage.h"
#include "ui/UserDialogs.h"
#include "ui/WindowCommandTable.h"
#include "ui/WindowServices.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTextEdit>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int PictureTop = 9;
const char *const Captions =
    "Send            New           Export         Address         Seting          Empty            Help";
constexpr int ColumnWidths[MailListSort::ColumnCount] = {26, 20, 180, 260, 120, 90};
constexpr int MinimumSubjectWidth = 150;

} // namespace

TFM_MailBox::TFM_MailBox(WindowServices &services, ComposerWindows &composers, const ConfigForm &form,
                         const MainWindowLayout &layout, QWidget *parent, StoreReading reading)
    : QMainWindow(parent)
    , m_services(services)
    , m_composers(composers)
    , m_form(form)
    , m_core(services.settings, services.paths.mailBox)
{
    setObjectName(QStringLiteral("TFM_MailBox"));
    setWindowTitle(QString::fromLatin1(AppInfo::MainWindowCaption));
    setWindowIcon(ProgramIcons::icon(ProgramIcons::Role::ProgramIcon));

    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(central);

    buildCoolBar();
    buildBoxBar();
    buildMailList();
    buildPreview();
    buildMenus();

    column->addWidget(Panel3);
    column->addWidget(Spt, 1);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(true);
    StoreStatus = new QLabel(statusBar());
    StoreStatus->setObjectName(QStringLiteral("StoreStatus"));
    StoreStatus->setTextFormat(Qt::PlainText);
    // A permanent widget: menu hints do not wipe it out.
    statusBar()->addWidget(StoreStatus, 1);

    m_loaded = layout;
    m_readPending = reading == StoreReading::AfterFirstPaint;
    LoadMailboxSettings();
}

TFM_MailBox::~TFM_MailBox()
{
    // The model reads the core's shown list, which goes before the child widgets do.
    LstV_MailList->setModel(nullptr);
    delete m_model;
}

void TFM_MailBox::buildCoolBar()
{
    auto band = [this](const char *name) {
        auto *bar = new QToolBar(this);
        bar->setObjectName(QLatin1String(name));
        bar->setMovable(false);
        bar->setFloatable(false);
        bar->toggleViewAction()->setEnabled(false);
        addToolBar(Qt::TopToolBarArea, bar);
        return bar;
    };
    // Band 1: the menu bar, so that Alt+letter and the keyboard reach the menus.
    ToolBar1 = band("ToolBar1");
    MainMenu1 = new QMenuBar(ToolBar1);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    MainMenu1->setNativeMenuBar(false);
    ToolBar1->addWidget(MainMenu1);
    addToolBarBreak(Qt::TopToolBarArea);

    // Band 2: the white panel with the seven pictures, their captions and the logo.
    QToolBar *pictureBand = band("CoolBand2");
    Panel1 = new ToolBand(pictureBand);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setMinimumHeight(58);
    Panel1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    pictureBand->addWidget(Panel1);

    using R = ProgramIcons::Role;
    const auto icon = [](R role) { return ProgramIcons::icon(role); };
    const QSize size(24, 24);
    const QList<ToolBand::ImageSpec> specs = {
        {"PIC_Send", icon(R::MailBoxSend), size, 21, 1, QStringLiteral("Send all unsent mails")},
        {"PIC_New", icon(R::MailBoxNew), size, 81, 2, QStringLiteral("Write a new mail")},
        {"PIC_Save", icon(R::MailBoxExport), size, 141, 3, QStringLiteral("Export the mail's text")},
        {"PIC_Address", icon(R::MailBoxAddress), size, 201, 4, QStringLiteral("Address book")},
        {"PIC_Set", icon(R::MailBoxSetting), size, 261, 5, QStringLiteral("Settings")},
        {"PIC_Empty", icon(R::MailBoxEmpty), size, 321, 6, QStringLiteral("Empty the trash box")},
        {"PIC_Help", icon(R::MailBoxHelp), size, 382, 7, QStringLiteral("Help")},
    };
    const QList<ToolImage *> images = Panel1->addImages(specs, QLatin1String(Captions), PictureTop);
    ToolImage *TFM_MailBox::*const fields[] = {&TFM_MailBox::PIC_Send, &TFM_MailBox::PIC_New,
                                                &TFM_MailBox::PIC_Save, &TFM_MailBox::PIC_Address,
                                                &TFM_MailBox::PIC_Set, &TFM_MailBox::PIC_Empty,
                                                &TFM_MailBox::PIC_Help};
    void (TFM_MailBox::*const clicks[])() = {&TFM_MailBox::PIC_SendClick, &TFM_MailBox::PIC_NewClick,
                                             &TFM_MailBox::PIC_SaveClick, &TFM_MailBox::PIC_AddressClick,
                                             &TFM_MailBox::PIC_SetClick, &TFM_MailBox::PIC_EmptyClick,
                                             &TFM_MailBox::PIC_HelpClick};
    for (int i = 0; i < images.size(); ++i) {
        this->*fields[i] = images[i];
        // The picture moves back before its command runs, which may open a window.
        connect(images[i], &ToolImage::clicked, this, [this, click = clicks[i]] {
            Panel1->restoreImages();
            (this->*click)();
        });
    }
    Label1 = Panel1->captions();

    Image2 = Panel1->addLogo(m_services.links.homePage, this);
}

void TFM_MailBox::buildBoxBar()
{
    Panel3 = new QWidget(centralWidget());
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedHeight(30);
    auto *row = new QHBoxLayout(Panel3);
    row->setContentsMargins(6, 2, 6, 2);
    row->setSpacing(4);
    auto *label = new QLabel(QStringLiteral("Select &Mailbox:"), Panel3);
    label->setObjectName(QStringLiteral("Label2"));
    row->addWidget(label);
    CBX_Box = new QComboBox(Panel3);
    CBX_Box->setObjectName(QStringLiteral("CBX_Box"));
    CBX_Box->setEditable(false);
    for (BoxCode box : BoxTable::Boxes)
        CBX_Box->addItem(BoxTable::selectorCaption(box));
    CBX_Box->setMinimumWidth(140);
    label->setBuddy(CBX_Box);
    row->addWidget(CBX_Box);
    connect(CBX_Box, &QComboBox::activated, this, &TFM_MailBox::CBX_BoxChange);
    row->addStretch(1);

    using R = ProgramIcons::Role;
    auto button = [this, row](QToolButton *&field, const char *name, R role, const char *hint,
                              void (TFM_MailBox::*click)()) {
        field = new QToolButton(Panel3);
        field->setObjectName(QLatin1String(name));
        field->setIcon(ProgramIcons::icon(role));
        field->setIconSize(QSize(16, 16));
        field->setAutoRaise(true);
        field->setToolTip(QLatin1String(hint));
        field->setAccessibleName(QLatin1String(hint));
        field->setFocusPolicy(Qt::NoFocus);
        row->addWidget(field);
        connect(field, &QToolButton::clicked, this, click);
    };
    button(Sbt_sall, "Sbt_sall", R::SelectAll, "Select All", &TFM_MailBox::Sbt_sallClick);
    button(Sbt_snone, "Sbt_snone", R::SelectNone, "Select None", &TFM_MailBox::Sbt_snoneClick);
    button(Sbt_Next, "Sbt_Next", R::NextMail, "Next mail", &TFM_MailBox::Sbt_NextClick);
    button(Sbt_Pre, "Sbt_Pre", R::PreviousMail, "Previous mail", &TFM_MailBox::Sbt_PreClick);
    button(Sbt_del, "Sbt_del", R::DeleteMail, "Deleted selected mail", &TFM_MailBox::Sbt_delClick);
    button(Sbt_edt, "Sbt_edt", R::EditMail, "Edit mail", &TFM_MailBox::Sbt_edtClick);
}

void TFM_MailBox::buildMailList()
{
    Spt = new QSplitter(Qt::Vertical, centralWidget());
    Spt->setObjectName(QStringLiteral("Spt"));
    Spt->setHandleWidth(3);
    Spt->setChildrenCollapsible(false);

    LstV_MailList = new QTreeView(Spt);
    LstV_MailList->setObjectName(QStringLiteral("LstV_MailList"));
    LstV_MailList->setAccessibleName(QStringLiteral("Mails"));
    LstV_MailList->setHeader(new RegularFontHeader(Qt::Horizontal, LstV_MailList));
    m_model = new MailListModel(m_core.shown(), this);
    m_model->setAttachmentMarker(ProgramIcons::icon(ProgramIcons::Role::AttachmentMarker));
    LstV_MailList->setModel(m_model);
    LstV_MailList->setRootIsDecorated(false);
    LstV_MailList->setItemsExpandable(false);
    LstV_MailList->setUniformRowHeights(true); // keeps 10,000 rows quick
    LstV_MailList->setAllColumnsShowFocus(true);
    LstV_MailList->setSelectionBehavior(QAbstractItemView::SelectRows);
    LstV_MailList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    LstV_MailList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LstV_MailList->setSortingEnabled(false); // the core sorts; the header shows " ^"
    LstV_MailList->setIconSize(QSize(16, 16));
    QHeaderView *header = LstV_MailList->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionsClickable(true);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int c = 0; c < MailListSort::ColumnCount; ++c)
        header->resizeSection(c, ColumnWidths[c]);
    // The whole time, seconds included, whatever the font.
    const int timeWidth = LstV_MailList->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00 ")) + 12;
    header->resizeSection(MailListSort::TimeColumn, qMax(ColumnWidths[MailListSort::TimeColumn], timeWidth));
    // The subject gives up what the other columns take beyond their widths (the whole time, the
    // header's least width) and the room of a vertical scroll bar, so that at the window's first
    // width the columns fit without a horizontal one, full or empty.
    int beyond = LstV_MailList->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, LstV_MailList);
    for (int c = 0; c < MailListSort::ColumnCount; ++c)
        if (c != MailListSort::SubjectColumn)
            beyond += header->sectionSize(c) - ColumnWidths[c];
    header->resizeSection(MailListSort::SubjectColumn,
                          qMax(MinimumSubjectWidth, ColumnWidths[MailListSort::SubjectColumn] - beyond));
    LstV_MailList->setColumnHidden(MailListModel::PositionColumn, true);
    connect(header, &QHeaderView::sectionClicked, this, &TFM_MailBox::LstV_MailListColumnClick);
    connect(LstV_MailList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected) { LstV_MailListSelectItem(selected); });
    connect(LstV_MailList, &QAbstractItemView::doubleClicked, this, [this] { Sbt_edtClick(); });
    // Enter on the list opens the selected mail, as a double click does.
    auto *open = new QShortcut(QKeySequence(Qt::Key_Return), LstV_MailList, this, [this] { Sbt_edtClick(); },
                               Qt::WidgetShortcut);
    open->setObjectName(QStringLiteral("OpenSelectedMail"));
    LstV_MailList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(LstV_MailList, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        if (PopupMenu1)
            PopupMenu1->popup(LstV_MailList->viewport()->mapToGlobal(at));
    });
    Spt->addWidget(LstV_MailList);
}

void TFM_MailBox::buildPreview()
{
    auto *lower = new QWidget(Spt);
    lower->setObjectName(QStringLiteral("Panel2"));
    auto *column = new QVBoxLayout(lower);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    PNL_MailInfo = new QLabel(QStringLiteral("  Subject:"), lower);
    PNL_MailInfo->setObjectName(QStringLiteral("PNL_MailInfo"));
    PNL_MailInfo->setFixedHeight(20);
    PNL_MailInfo->setFrameShape(QFrame::Panel);
    PNL_MailInfo->setFrameShadow(QFrame::Raised);
    PNL_MailInfo->setTextFormat(Qt::PlainText);
    auto *infoRow = new QHBoxLayout(PNL_MailInfo);
    infoRow->setContentsMargins(0, 0, 4, 0);
    infoRow->addStretch(1);
    CHK_DC = new QCheckBox(QStringLiteral("&Display mail content"), PNL_MailInfo);
    CHK_DC->setObjectName(QStringLiteral("CHK_DC"));
    infoRow->addWidget(CHK_DC);
    connect(CHK_DC, &QCheckBox::clicked, this, &TFM_MailBox::CHK_DCClick);
    column->addWidget(PNL_MailInfo);

    Edt_body = new QTextEdit(lower);
    Edt_body->setObjectName(QStringLiteral("Edt_body"));
    Edt_body->setAccessibleName(QStringLiteral("Mail content"));
    // The letter is shown as the white page it is sent as, on a dark desktop too, so that
    // its black and coloured text stays readable.
    QPalette paper = Edt_body->palette();
    paper.setColor(QPalette::Base, Qt::white);
    paper.setColor(QPalette::Text, Qt::black);
    Edt_body->setPalette(paper);
    Edt_body->setReadOnly(true);
    Edt_body->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Edt_body->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    column->addWidget(Edt_body, 1);

    LstV_att = new QListWidget(lower);
    LstV_att->setObjectName(QStringLiteral("LstV_att"));
    LstV_att->setAccessibleName(QStringLiteral("Attached files"));
    LstV_att->setFixedHeight(24);
    LstV_att->setFlow(QListView::LeftToRight);
    LstV_att->setWrapping(false);
    LstV_att->setIconSize(QSize(16, 16));
    LstV_att->setToolTip(QStringLiteral("Attached files: right click to save one"));
    LstV_att->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LstV_att->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LstV_att->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(LstV_att, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        if (LstV_att->itemAt(at))
            LstV_att->setCurrentItem(LstV_att->itemAt(at));
        if (PopupMenu2)
            PopupMenu2->popup(LstV_att->viewport()->mapToGlobal(at));
    });
    LstV_att->hide(); // shown while the previewed mail has attachments
    column->addWidget(LstV_att);

    Spt->addWidget(lower);
    Spt->setStretchFactor(0, 0);
    Spt->setStretchFactor(1, 1);
}

void TFM_MailBox::LoadMailboxSettings()
{
    // Informational only: where the program is and which version it is.
    ProgramRegistry::writeInstallInfo(m_services.paths.executableFolder, QString::fromLatin1(AppInfo::Version));
    for (QPointer<QWidget> &slot : ComposerSlots)
        slot = nullptr;

    ConfigSettings &settings = m_services.settings;
    const std::optional<BoxCode> box = m_core.currentBox();
    CBX_Box->setCurrentIndex(box ? BoxTable::selectorItem(*box) : -1);
    CHK_DC->setChecked(settings.BOX_ShowContent);
    Spt->setSizes({qMax(0, m_loaded.BOX_Height), 1000});
    m_core.setSortColumn(m_loaded.BOX_SortIndex);
    m_model->setHeaders(MailListSort::designHeaders(m_loaded.BOX_SortIndex));

    if (m_loaded.state == MainWindowLayout::State::Maximized) {
        setWindowState(Qt::WindowMaximized);
    } else {
        move(m_loaded.WND_X, m_loaded.WND_Y);
        resize(m_loaded.WND_W, m_loaded.WND_H);
    }

    if (m_readPending) {
        readStoreAfterFirstPaint();
        return;
    }
    ReloadBoxes();
    UpdateBoxCounts();
}

MainWindowLayout TFM_MailBox::currentLayout() const
{
    MainWindowLayout layout = m_loaded;
    layout.BOX_Height = Spt->sizes().value(0, LstV_MailList->height());
    layout.BOX_SortIndex = m_core.sortColumn();
    layout.BOX_ShowContent = CHK_DC->isChecked();
    if (showTipsAtStartup)
        layout.WND_ShowTips = showTipsAtStartup();
    if (isMinimized()) {
        layout.state = MainWindowLayout::State::Minimized;
    } else if (isMaximized()) {
        layout.state = MainWindowLayout::State::Maximized;
    } else {
        layout.state = MainWindowLayout::State::Normal;
        layout.WND_X = x();
        layout.WND_Y = y();
        layout.WND_W = width();
        layout.WND_H = height();
    }
    return layout;
}

// ---- MailBoxHost

void TFM_MailBox::ReloadBoxes()
{
    runStoreStep([this] { m_core.ReloadBoxes(); });
    m_model->reset();
    previewFollowsList();
    StoreStatus->setText(m_core.storeStatusText());
    StoreStatus->setToolTip(StoreStatus->text());
}

void TFM_MailBox::RestoreSelection()
{
    if (m_core.shown().empty())
        return;
    // The shown list is sorted at every reload and box switch already.
    const int row = m_core.rowToRestore();
    LstV_MailList->clearSelection();
    if (row < 0)
        return;
    selectRow(row);
    LstV_MailList->scrollTo(m_model->index(row, 2));
}

void TFM_MailBox::UpdateBoxCounts()
{
    const QStringList texts = m_core.boxCountTexts();
    for (int i = 0; i < texts.size(); ++i)
        CBX_Box->setItemText(i, texts[i]);
}

void TFM_MailBox::setBoxSelectorItem(BoxCode box)
{
    CBX_Box->setCurrentIndex(BoxTable::selectorItem(box));
}

void TFM_MailBox::mailStored(BoxCode box, std::int64_t position)
{
    ReloadBoxes();
    if (m_core.showStored(box, position)) {
        m_model->reset();
        previewFollowsList();
        setBoxSelectorItem(box);
    }
    UpdateBoxCounts();
    RestoreSelection();
}

void TFM_MailBox::boxesChanged()
{
    ReloadBoxes();
    RestoreSelection();
    UpdateBoxCounts();
}

void TFM_MailBox::releaseComposerSlot(int slot)
{
    if (slot >= 1 && slot <= SlotCount)
        ComposerSlots[size_t(slot - 1)] = nullptr;
}

// ---- closing

void TFM_MailBox::closeEvent(QCloseEvent *event)
{
    // Nothing is saved or purged from a store half read: the window closes after the reading.
    if (m_reading) {
        m_closeWhenRead = true;
        event->ignore();
        return;
    }
    if (!FormCloseQuery() || !FormClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

bool TFM_MailBox::FormCloseQuery()
{
    ComposerMayClose = true;
    for (QPointer<QWidget> &slot : ComposerSlots) {
        QWidget *composer = slot;
        if (!composer)
            continue;
        // The composer may ask whether to save; it clears the flag when the user cancels.
        const bool closed = composer->close();
        if (!closed || !ComposerMayClose) {
            ComposerMayClose = false;
            if (QWidget *still = slot) {
                still->show();
                still->raise();
                still->activateWindow();
            }
            return false;
        }
    }
    return true;
}

bool TFM_MailBox::FormClose()
{
    QStringList problems;
    try {
        SaveConfig(m_services.settings, m_form, currentLayout(), m_services.paths.config);
    } catch (const AppError &e) {
        problems << QString::fromUtf8(e.what());
    }
    // The store shrinks by the mails deleted during the run. A store that could not be
    // read, or that may only be read, is left alone: the status bar said so, and the
    // purge would only fail again.
    if (m_core.storeRead() && m_core.readOnlyReason().isEmpty()) {
        try {
            m_core.store().PurgeDeleted();
        } catch (const AppError &e) {
            problems << QString::fromUtf8(e.what())
                            + QStringLiteral("\r\nThe mails deleted from the trash box stay in the file until a later close.");
        }
    }
    if (problems.isEmpty())
        return true;
    // One question, whatever went wrong: No keeps the window open to put it right.
    problems << QStringLiteral("Quit anyway?");
    return m_services.dialogs.messageBox(UserDialogs::Kind::Warning, QString::fromLatin1(AppInfo::ApplicationTitle),
                                         problems.join(QStringLiteral("\r\n\r\n")), UserDialogs::Buttons::YesNo)
        == UserDialogs::Answer::Yes;
}

bool TFM_MailBox::runStoreStep(const std::function<void()> &step)
{
    try {
        step();
        return true;
    } catch (const AppError &e) {
        showError(QString::fromUtf8(e.what()));
        return false;
    }
}

void TFM_MailBox::showError(const QString &text)
{
    m_services.dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle), text,
                                  UserDialogs::Buttons::Ok);
}
