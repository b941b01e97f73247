#include "composer/windows/TFM_Cmps.h"

#include "composer/LetterPageCount.h"
#include "composer/RecoveryKeeper.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/FontSizeBox.h"
#include "os/ProgramIcons.h"
#include "product/LinkAddresses.h"
#include "ui/ToolBand.h"
#include "ui/ToolCaptionLabel.h"
#include "ui/ToolImage.h"
#include "ui/WindowCommandTable.h"
#include "ui/WindowServices.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The top of the seven tool images in the band, and the caption line under them.
constexpr int kImageTop = 5;
const char *const kCaptions =
    "Send           Ms OE         Import            Save         AddBook       Seting            Help";

// Address panel: the buttons' column, the fields after it (window width - 178 wide) at the
// usual font; a larger font widens the column and heightens the rows.
constexpr int kFieldLeft = 78;
constexpr int kPictureRoom = 100; // right of the fields: the picture
constexpr int kRowTop = 5;
constexpr int kRowHeight = 23;
constexpr int kRowGap = 3;
// A recipient field grows to show this many lines; beyond them it scrolls.
constexpr int kMostShownLines = 5;

QPixmap pictureOf(std::initializer_list<ProgramIcons::Role> roles, const QSize &size, qreal ratio)
{
    for (ProgramIcons::Role role : roles) {
        const QIcon icon = ProgramIcons::icon(role);
        if (!icon.isNull())
            return icon.pixmap(size, ratio);
    }
    return {};
}

} // namespace

TFM_Cmps::TFM_Cmps(WindowServices &services, QWidget *parent)
    : QMainWindow(parent)
    , m_services(services)
{
    // An unparented composer is a top-level window with its own taskbar entry.
    setObjectName(QStringLiteral("TFM_Cmps"));
    setWindowIcon(ProgramIcons::icon(ProgramIcons::Role::ProgramIcon));
    resize(710, 486);

    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(central);

    Editor = new ComposerEditor(central);
    Editor->setObjectName(QStringLiteral("Editor"));

    buildCommands();
    buildCoolBar();
    buildAddressPanel();
    buildFormatBar();
    buildAttachmentList();
    buildMenus();
    buildLifecycle();
    buildPictures();
    buildSpelling();
    buildNumbering();
    buildFormatChecks();

    column->addWidget(Panel3);
    column->addWidget(Panel2);
    column->addWidget(Editor, 1);
    column->addWidget(LstV_Attach);

    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    buildPageCount();

    // The pick buttons come before the fields (Shift+Tab from To reaches them), so that
    // Tab still goes from field to field.
    setTabOrder(SpeedButton1, Sbt_CC);
    setTabOrder(Sbt_CC, Sbt_Bcc);
    setTabOrder(Sbt_Bcc, Memo_To);
    setTabOrder(Memo_To, Memo_CC);
    setTabOrder(Memo_CC, Memo_BCC);
    setTabOrder(Memo_BCC, Edt_Subject);
    // From the subject straight into the letter; the format bar's boxes come after it
    // (Ctrl+Tab leaves the letter, where Tab writes a tab).
    setTabOrder(Edt_Subject, Editor);
    setTabOrder(Editor, FontName);
    setTabOrder(FontName, FontSize);
    // A new window starts in the To field, not on the pick button before it.
    Memo_To->setFocus();

    // FormCreate
    FillFontNames();
    connect(Editor, &QTextEdit::cursorPositionChanged, this, &TFM_Cmps::EditorSelectionChange);
    connect(Editor, &QTextEdit::selectionChanged, this, &TFM_Cmps::EditorSelectionChange);
    connect(Editor, &QTextEdit::copyAvailable, this, &TFM_Cmps::ActionList2Update);
    connect(Editor, &QTextEdit::undoAvailable, this, &TFM_Cmps::ActionList2Update);
    connect(Editor, &QTextEdit::redoAvailable, this, &TFM_Cmps::ActionList2Update);
    connect(Editor, &QTextEdit::selectionChanged, this, &TFM_Cmps::ActionList2Update);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TFM_Cmps::ActionList2Update);
    SelectionChange();
    ActionList2Update();
    updateTitle();
    FormResize();
}

TFM_Cmps::~TFM_Cmps()
{
    // The children go after this destructor, in the order they were made. Meanwhile a style
    // may re-polish the format bar (the size box then asks for the caret's size), the focus
    // may leave a dying field, and the editor may report a last change: none of that may
    // reach this window's handlers, which use controls that are already gone.
    FontSize->setFirstSize({});
    QObject *const receivers[] = {this, m_recovery, m_pageCount};
    for (QObject *receiver : receivers) {
        if (!receiver)
            continue;
        disconnect(qApp, nullptr, receiver, nullptr);
        disconnect(QApplication::clipboard(), nullptr, receiver, nullptr);
        for (QObject *child : findChildren<QObject *>())
            if (child != receiver)
                child->disconnect(receiver);
    }
}

void TFM_Cmps::buildCoolBar()
{
    // Band 1: the menu bar, so that Alt+letter and the keyboard reach the menus.
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->toggleViewAction()->setEnabled(false);
    MainMenu1 = new QMenuBar(ToolBar1);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    MainMenu1->setNativeMenuBar(false);
    ToolBar1->addWidget(MainMenu1);
    addToolBar(Qt::TopToolBarArea, ToolBar1);
    addToolBarBreak(Qt::TopToolBarArea);

    // Band 2: the white panel with the tool images, their captions and the logo.
    auto *band = new QToolBar(this);
    band->setObjectName(QStringLiteral("CoolBand2"));
    band->setMovable(false);
    band->setFloatable(false);
    band->toggleViewAction()->setEnabled(false);
    Panel1 = new ToolBand(band);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setMinimumHeight(56);
    Panel1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    band->addWidget(Panel1);
    addToolBar(Qt::TopToolBarArea, band);

    using R = ProgramIcons::Role;
    const auto icon = [](R role) { return ProgramIcons::icon(role); };
    const QList<ToolBand::ImageSpec> specs = {
        {"PIC_Send", icon(R::ComposerSend), QSize(25, 23), 21, 1, {}},
        {"PIC_IE", icon(R::ComposerDesktopMail), QSize(24, 24), 81, 4, {}},
        {"PIC_Open", icon(R::ComposerImport), QSize(24, 24), 141, 3, {}},
        {"PIC_Save", icon(R::ComposerSave), QSize(24, 24), 203, 2, {}},
        {"PIC_AdBook", icon(R::ComposerAddressBook), QSize(24, 24), 264, 5, {}},
        {"PIC_Set", icon(R::ComposerSetting), QSize(24, 24), 322, 7, {}},
        {"PIC_Help", icon(R::ComposerHelp), QSize(24, 24), 382, 6, {}},
    };
    const QList<ToolImage *> images = Panel1->addImages(specs, QLatin1String(kCaptions), kImageTop);
    ToolImage *TFM_Cmps::*const fields[] = {&TFM_Cmps::PIC_Send, &TFM_Cmps::PIC_IE, &TFM_Cmps::PIC_Open,
                                             &TFM_Cmps::PIC_Save, &TFM_Cmps::PIC_AdBook, &TFM_Cmps::PIC_Set,
                                             &TFM_Cmps::PIC_Help};
    void (TFM_Cmps::*const clicks[])() = {&TFM_Cmps::PIC_SendClick, &TFM_Cmps::PIC_IEClick, &TFM_Cmps::PIC_OpenClick,
                                          &TFM_Cmps::PIC_SaveClick, &TFM_Cmps::PIC_AdBookClick,
                                          &TFM_Cmps::PIC_SetClick, &TFM_Cmps::PIC_HelpClick};
    for (int i = 0; i < images.size(); ++i) {
        this->*fields[i] = images[i];
        connect(images[i], &ToolImage::clicked, this, clicks[i]);
    }
    Label1 = Panel1->captions();

    Image2 = Panel1->addLogo(m_services.links.homePage, this);
}

void TFM_Cmps::buildAddressPanel()
{
    Panel3 = new QWidget(centralWidget());
    Panel3->setObjectName(QStringLiteral("Panel3"));
    auto button = [this](const char *name, const char *text) {
        auto *b = new QToolButton(Panel3);
        b->setObjectName(QLatin1String(name));
        b->setText(QLatin1String(text));
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        // Reached with Tab and by its Alt key as well as the mouse.
        b->setFocusPolicy(Qt::StrongFocus);
        return b;
    };
    SpeedButton1 = button("SpeedButton1", "Sen&d To:");
    Sbt_CC = button("Sbt_CC", "&CC:         ");
    Sbt_Bcc = button("Sbt_Bcc", "&BCC:       ");
    SpeedButton1->setAccessibleName(QStringLiteral("Pick To recipients"));
    Sbt_CC->setAccessibleName(QStringLiteral("Pick CC recipients"));
    Sbt_Bcc->setAccessibleName(QStringLiteral("Pick BCC recipients"));
    connect(SpeedButton1, &QToolButton::clicked, this, &TFM_Cmps::SpeedButton1Click);
    connect(Sbt_CC, &QToolButton::clicked, this, &TFM_Cmps::Sbt_CCClick);
    connect(Sbt_Bcc, &QToolButton::clicked, this, &TFM_Cmps::Sbt_CCClick);

    auto memo = [this](const char *name) {
        auto *m = new QPlainTextEdit(Panel3);
        m->setObjectName(QLatin1String(name));
        m->setTabChangesFocus(true);
        m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        m->document()->setDocumentMargin(2);
        return m;
    };
    Memo_To = memo("Memo_To");
    Memo_CC = memo("Memo_CC");
    Memo_BCC = memo("Memo_BCC");
    Memo_To->setAccessibleName(QStringLiteral("To"));
    Memo_CC->setAccessibleName(QStringLiteral("CC"));
    Memo_BCC->setAccessibleName(QStringLiteral("BCC"));

    LB_Subject = new QLabel(QStringLiteral("Subject:"), Panel3);
    LB_Subject->setObjectName(QStringLiteral("LB_Subject"));
    Edt_Subject = new QLineEdit(Panel3);
    Edt_Subject->setObjectName(QStringLiteral("Edt_Subject"));
    LB_Subject->setBuddy(Edt_Subject);

    Image1 = new QLabel(Panel3);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setFixedSize(84, 97);
    Image1->setPixmap(pictureOf({ProgramIcons::Role::AboutPicture, ProgramIcons::Role::Logo}, QSize(80, 80),
                                devicePixelRatioF()));
    placeAddressRows();
}

void TFM_Cmps::placeAddressRows()
{
    // The rows are as high as the font needs and the buttons' column as wide as its
    // widest caption (style sheets give their fonts at polishing).
    SpeedButton1->ensurePolished();
    Edt_Subject->ensurePolished();
    const QFontMetrics buttons = SpeedButton1->fontMetrics();
    m_rowHeight = qMax(kRowHeight, qMax(buttons.height(), Edt_Subject->fontMetrics().height()) + 8);
    int captions = 0;
    for (const QToolButton *b : {SpeedButton1, Sbt_CC, Sbt_Bcc})
        captions = qMax(captions, buttons.horizontalAdvance(b->text().remove(QLatin1Char('&')).trimmed()));
    m_fieldLeft = qMax(kFieldLeft, captions + 24);
    for (QToolButton *b : {SpeedButton1, Sbt_CC, Sbt_Bcc})
        b->setGeometry(6, 0, m_fieldLeft - 12, m_rowHeight);
    for (QWidget *field : std::initializer_list<QWidget *>{Memo_To, Memo_CC, Memo_BCC, Edt_Subject})
        field->setGeometry(m_fieldLeft, 0, 400, m_rowHeight);
    LB_Subject->setGeometry(12, 0, m_fieldLeft - 14, m_rowHeight);
    fitAddressRows();
}

void TFM_Cmps::fitAddressRows()
{
    // Each recipient field shows every line it holds, up to five, and pushes the rows
    // below it down. A field never shrinks back, so the panel does not jump while
    // addresses are edited.
    int top = kRowTop;
    const std::pair<QToolButton *, QPlainTextEdit *> rows[] = {{SpeedButton1, Memo_To}, {Sbt_CC, Memo_CC},
                                                               {Sbt_Bcc, Memo_BCC}};
    for (const auto &[button, memo] : rows) {
        const int lines = std::clamp(memo->document()->blockCount(), 1, kMostShownLines);
        // The lines, the document's margins and the frame, and a pixel of rounding.
        const int chrome = 2 * memo->frameWidth() + 2 * int(std::ceil(memo->document()->documentMargin())) + 1;
        const int wanted = std::max(m_rowHeight, lines * memo->fontMetrics().lineSpacing() + chrome);
        const int height = std::max(memo->height(), wanted);
        memo->setGeometry(memo->x(), top, memo->width(), height);
        button->move(button->x(), top);
        top += height + kRowGap;
    }
    LB_Subject->move(LB_Subject->x(), top);
    Edt_Subject->move(Edt_Subject->x(), top);
    top += m_rowHeight + kRowGap;
    Panel3->setFixedHeight(std::max(top, Image1->height() + 2 * kRowTop + 2));
    Image1->move(Image1->x(), (Panel3->height() - Image1->height()) / 2);
}

void TFM_Cmps::buildAttachmentList()
{
    LstV_Attach = new QListWidget(centralWidget());
    LstV_Attach->setObjectName(QStringLiteral("LstV_Attach"));
    LstV_Attach->setFixedHeight(22);
    LstV_Attach->setFlow(QListView::LeftToRight);
    LstV_Attach->setWrapping(false);
    LstV_Attach->setIconSize(QSize(16, 16));
    LstV_Attach->setToolTip(QStringLiteral("Attached files"));
    LstV_Attach->setAccessibleName(QStringLiteral("Attached files"));
    LstV_Attach->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LstV_Attach->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LstV_Attach->setContextMenuPolicy(Qt::CustomContextMenu);
    // Its pop-up (m_attachMenu) comes from the command table.
    connect(LstV_Attach, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { m_attachMenu->popup(LstV_Attach->viewport()->mapToGlobal(at)); });
    LstV_Attach->hide(); // shown while it holds attachments
}

void TFM_Cmps::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // Centred on the desktop when first shown.
    if (QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    if (FJustOpened) {
        Editor->document()->setModified(false);
        FJustOpened = false;
    }
}

void TFM_Cmps::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TFM_Cmps::FormResize()
{
    const int fieldWidth = qMax(40, width() - m_fieldLeft - kPictureRoom);
    for (QWidget *field : {static_cast<QWidget *>(Memo_To), static_cast<QWidget *>(Memo_CC),
                           static_cast<QWidget *>(Memo_BCC), static_cast<QWidget *>(Edt_Subject)})
        field->resize(fieldWidth, field->height());
    Image1->move(m_fieldLeft + fieldWidth + 8, (Panel3->height() - Image1->height()) / 2);
    arrangeFormatBar();
    SelectionChange();
}

