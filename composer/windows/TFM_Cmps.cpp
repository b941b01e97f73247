// The composer window itself: making and tearing down, the cool bar, the window's size,
// its title and changed state, the status bar's page count, and the logo's link.
#include "composer/windows/TFM_Cmps.h"

#include "composer/ActiveAttributes.h"
#include "composer/AttachSizeCheck.h"
#include "composer/ComposerTitle.h"
#include "composer/LetterContent.h"
#include "composer/LetterPageCount.h"
#include "composer/NewLetterFont.h"
#include "composer/RecoveryKeeper.h"
#include "composer/TextColors.h"
#include "composer/TextFinder.h"
#include "composer/windows/ColorButton.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/FindReplaceDialog.h"
#include "composer/windows/FontSizeBox.h"
#include "config/ConfigSettings.h"
#include "os/DataPaths.h"
#include "os/ProgramIcons.h"
#include "os/Shell.h"
#include "product/AppInfo.h"
#include "product/LinkAddresses.h"
#include "shell/HelpPages.h"
#include "text/StoredText.h"
#include "ui/HelpLauncher.h"
#include "ui/ToolBand.h"
#include "ui/ToolCaptionLabel.h"
#include "ui/ToolImage.h"
#include "ui/UserDialogs.h"
#include "ui/WindowCommandTable.h"
#include "ui/WindowOpener.h"
#include "ui/WindowServices.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The top of the seven tool images in the band, and the caption line under them.
constexpr int kImageTop = 5;
const char *const kCaptions =
    "Send           Ms OE         Import            Save         AddBook       Seting            Help";

const char *const kImportFilter = "Rich Text Files (*.RTF)|*.RTF|Text Files (*.TXT)|*.TXT";

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
    // A new letter starts in the configured font; a letter loaded later keeps its own.
    Editor->document()->setDefaultFont(NewLetterFont::font(m_services.settings));

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
    buildFind();

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

void TFM_Cmps::buildLifecycle()
{
    m_tempFolder = QDir::tempPath();
    m_openFilter = QLatin1String(kImportFilter);
    connect(Memo_To, &QPlainTextEdit::textChanged, this, &TFM_Cmps::Memo_ToChange);
    for (QPlainTextEdit *memo : {Memo_CC, Memo_BCC})
        connect(memo, &QPlainTextEdit::textChanged, this, [this] { setLetterChanged(true); });
    connect(Edt_Subject, &QLineEdit::textChanged, this, [this] {
        setLetterChanged(true);
        updateTitle();
    });
}

void TFM_Cmps::buildPageCount()
{
    LB_Pages = new QLabel(statusBar());
    LB_Pages->setObjectName(QStringLiteral("LB_Pages"));
    LB_Pages->setToolTip(QStringLiteral("The number of pictures the letter becomes when it is sent"));
    statusBar()->addPermanentWidget(LB_Pages);
    m_pageCount = new LetterPageCount(m_services.settings, [this] { return static_cast<const QTextDocument *>(Editor->document()); }, this);
    connect(m_pageCount, &LetterPageCount::counted, LB_Pages,
            [this](int pages) { LB_Pages->setText(LetterPageCount::text(pages)); });
    connect(Editor, &QTextEdit::textChanged, m_pageCount, &LetterPageCount::schedule);
    // The picture settings may have changed while another window was active.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, m_pageCount, [this](QWindow *focus) {
        if (focus && focus == windowHandle())
            m_pageCount->schedule();
    });
    m_pageCount->schedule();
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

void TFM_Cmps::updateTitle()
{
    setWindowTitle(ComposerTitle::of(Edt_Subject->text()));
}

bool TFM_Cmps::letterChanged() const
{
    return Editor->document()->isModified();
}

void TFM_Cmps::setLetterChanged(bool changed)
{
    Editor->document()->setModified(changed);
}

bool TFM_Cmps::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image2 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        VisiteHomePage1Click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
