#pragma once

#include "composer/AttachmentRow.h"
#include "composer/ComposeMode.h"
#include "composer/SendCheck.h"
#include "composer/ToolBarState.h"
#include "composer/windows/AddressRows.h"
#include "composer/windows/AttachmentList.h"
#include "mail/TMailMessage.h"
#include "mailbox/BoxCode.h"
#include "ui/UserDialogs.h"
#include "ui/WindowCommand.h"

#include <QColor>
#include <QMainWindow>
#include <QUrl>
#include <cstdint>
#include <memory>
#include <vector>

class ActiveAttributes;
class ColorButton;
class ComposerEditor;
class FindInLetter;
class FindReplaceDialog;
class LetterPageCount;
class ComposerSpelling;
class FontSizeBox;
class MailBoxHost;
class MailStorer;
struct ComposedMail;
class QAction;
class QActionGroup;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QBoxLayout;
class QToolBar;
class QToolButton;
class RecoveryFolder;
class RecoveryKeeper;
struct RecoveryCopy;
class ToolBand;
class ToolCaptionLabel;
class ToolImage;
class WindowCommandTable;
struct WindowServices;

// The composer window, in which one mail is written: the menu and the tool images in the
// cool bar, the recipients and the subject, the format bar, the letter's editor and the
// attachment list. The format logic lives in the composer core (ActiveAttributes,
// CaretFormat, ParagraphFormat, LetterClipboard); the handlers here apply it to the
// editor and the buttons.
class TFM_Cmps : public QMainWindow
{
    Q_OBJECT
public:
    explicit TFM_Cmps(WindowServices &services, QWidget *parent = nullptr);
    ~TFM_Cmps() override;

    // ---- what the main window fills when it opens a composer
    ComposeMode FMode = ComposeMode::New;
    BoxCode FBoxCode = BoxCode::Unsent;
    std::int64_t FRecordPos = 0;           // the opened stored mail's record position
    bool FJustOpened = true;               // cleared by the first showing
    int Tag = 0;                           // slot number among the composer windows, 1 to 10
    TMailMessage MSG;                      // the mail of this window

    // ---- controls (object names are these names)
    QMenuBar *MainMenu1 = nullptr;
    QToolBar *ToolBar1 = nullptr;
    ToolBand *Panel1 = nullptr;
    ToolImage *PIC_Send = nullptr;
    ToolImage *PIC_IE = nullptr;
    ToolImage *PIC_Open = nullptr;
    ToolImage *PIC_Save = nullptr;
    ToolImage *PIC_AdBook = nullptr;
    ToolImage *PIC_Set = nullptr;
    ToolImage *PIC_Help = nullptr;
    ToolCaptionLabel *Label1 = nullptr;
    QLabel *Image2 = nullptr;
    AddressRows *Panel3 = nullptr; // the address rows; the controls below are its own
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *Sbt_CC = nullptr;
    QToolButton *Sbt_Bcc = nullptr;
    QPlainTextEdit *Memo_To = nullptr;
    QPlainTextEdit *Memo_CC = nullptr;
    QPlainTextEdit *Memo_BCC = nullptr;
    QLabel *LB_Subject = nullptr;
    QLineEdit *Edt_Subject = nullptr;
    QLabel *Image1 = nullptr;
    QWidget *Panel2 = nullptr;
    QToolBar *StandardToolBar = nullptr; // the text's format: style, colours, font, size
    QToolBar *ParagraphToolBar = nullptr; // lists, alignment, editing, attaching
    QToolButton *BoldButton = nullptr;
    QToolButton *ItalicButton = nullptr;
    QToolButton *UnderlineButton = nullptr;
    QComboBox *FontName = nullptr;
    FontSizeBox *FontSize = nullptr; // its arrows are the up/down control (0 to 100)
    QToolButton *BulletsButton = nullptr;
    QToolButton *NumberingButton = nullptr; // a menu of the numbering styles at its arrow
    QToolButton *LeftAlign = nullptr;
    QToolButton *CenterAlign = nullptr;
    QToolButton *RightAlign = nullptr;
    QButtonGroup *m_alignGroup = nullptr;
    QBoxLayout *m_formatRows = nullptr; // the format bar's two halves: side by side or stacked
    QToolButton *CopyButton = nullptr;
    QToolButton *CutButton = nullptr;
    QToolButton *PasteButton = nullptr;
    QToolButton *UndoButton = nullptr;
    QToolButton *Attachbutton = nullptr;
    ComposerEditor *Editor = nullptr;
    AttachmentList *LstV_Attach = nullptr;
    QMenu *m_attachMenu = nullptr;
    // Colour, redo and the page count beside the controls above.
    ColorButton *FontColorButton = nullptr;
    ColorButton *HighlightButton = nullptr;
    QToolButton *RedoButton = nullptr;
    QLabel *LB_Pages = nullptr; // in the status bar: "3 pages"

    // ---- commands
    QAction *EditUndoCmd = nullptr;
    QAction *EditCutCmd = nullptr;
    QAction *EditCopyCmd = nullptr;
    QAction *EditPasteCmd = nullptr;
    QAction *EditSelAll = nullptr;
    QAction *FileNewCmd = nullptr;
    QAction *FileOpenCmd = nullptr;
    QAction *FileSaveCmd = nullptr;
    QAction *FileExitCmd = nullptr;
    QAction *EditRedoCmd = nullptr;
    QAction *EditFindCmd = nullptr;
    QAction *EditReplaceCmd = nullptr;
    QAction *EditFindNextCmd = nullptr;
    QAction *InsertPicture1 = nullptr;
    QAction *PictureSize1 = nullptr;
    QAction *NumberingCmd = nullptr; // F12: numbering on or off
    QAction *SaveLetterAs1 = nullptr;

    bool FUpdating = false;

    // The main window this composer reports to (set when it is opened; may stay null,
    // then nothing is refreshed).
    void setMailBoxHost(MailBoxHost *host) { m_host = host; }
    MailBoxHost *mailBoxHost() const { return m_host; }
    // Where the attachments of an opened stored mail are written before it is stored
    // again (the system's temporary folder unless set).
    void setTemporaryFolder(const QString &folder) { m_tempFolder = folder; }

    // The attachment list's rows, and a new row at its end (the list shows while it has
    // rows).
    std::vector<AttachmentRow> attachmentRows() const;
    void addAttachmentRow(const AttachmentRow &row);
    // True when the files may be attached: the mail stays within the size limit of the
    // settings, or the person chose to go on when asked.
    bool attachSizeAccepted(const QStringList &paths);
    // The letter's changed state: the editor's modified flag.
    bool letterChanged() const;
    void setLetterChanged(bool changed);

    // The page count of the status bar and the Find and Replace window (null until first
    // opened).
    LetterPageCount *pageCount() const { return m_pageCount; }
    FindReplaceDialog *findDialog() const;
    // The spell checking of the letter.
    ComposerSpelling *spelling() const { return m_spelling; }

    // The window's commands, declared once in its table (TFM_CmpsCommands.cpp).
    const WindowCommandTable &commands() const { return *m_commands; }
    // Triggers the named command as its menu item or keys would; false when there is none
    // or it is disabled.
    bool triggerCommand(const QString &name);

    // The state the last refresh gave the format bar.
    ToolBarState toolBarState() const { return m_state; }

    // The recovery copy of the unsaved letter: kept in `folder` from now on.
    void setRecoveryFolder(RecoveryFolder &folder);
    RecoveryKeeper *recoveryKeeper() const { return m_recovery; }
    RecoveryCopy recoveryCopy();
    // Fills the window from a copy taken over at start-up (at `path`), marked changed.
    void restoreRecovered(const RecoveryCopy &copy, const QString &path);

    // Refreshes the format bar from the format at the caret (the editor calls it on every
    // move).
    void SelectionChange();

private slots:
    // The handlers of the commands and controls: the menus reach them through the command
    // table (tests trigger a command by its name), the controls through their signals.
    // ---- format bar and Style menu
    void EditorSelectionChange() { SelectionChange(); }
    void BoldButtonClick();
    void ItalicButtonClick();
    void UnderlineButtonClick();
    void LeftAlignClick();
    void CenterAlignClick();
    void RightAlignClick();
    void BulletsButtonClick();
    void NumberingButtonClick();
    void NumberingCmdExecute();
    void FontNameChange(int index);
    void FontSizeChange(int value);
    void FontNameEntered();
    void FontSizeOutOfRange(const QString &typed);
    void Bold1Click();
    void In1Click();
    void Underline1Click();
    void Bullets1Click();
    void Left1Click();
    void Center1Click();
    void Right1Click();
    void Font1Click();
    void InsertDate1Click();
    void InsertTime1Click();

    // ---- edit commands
    void EditUndoCmdExecute();
    void EditCutCmdExecute();
    void EditCopyCmdExecute();
    void EditPasteCmdExecute();
    void EditSelAllExecute();
    void ActionList2Update();
    void FileNewCmdExecute();
    void EditRedoCmdExecute();
    void Find1Click();
    void Replace1Click();
    void FindNext1Click();
    void Color1Click();
    void Highlight1Click();
    void FontColorButtonClick(const QColor &color);
    void HighlightButtonClick(const QColor &color);

    // ---- pictures from files (Insert menu, and files dropped on the letter)
    void InsertPicture1Click();
    void PictureSize1Click();
    void insertPictureFiles(const QStringList &paths);
    void EditorFilesDropped(const QList<QUrl> &files);

    // ---- the mail (store, send, import, attachments and the close question are filled
    // by the compose lifecycle)
    void PIC_SendClick();
    void PIC_IEClick();
    void PIC_OpenClick();
    void PIC_SaveClick();
    void SaveLetterAs1Click();
    void AttachbuttonClick();
    void Remove1Click();
    void SpeedButton1Click();
    void Sbt_CCClick();
    void PIC_AdBookClick();
    void AddressBool1Click();
    void AddAddress1Click();
    void PIC_SetClick();
    void PIC_HelpClick();
    void HelpContents1Click();
    void TipsOfTheDay1Click();
    void ReportBug1Click();
    void VisiteHomePage1Click();
    void About1Click();
    void FileExitCmdExecute();
    // True when the window may close.
    bool FormCloseQuery();
    void FormClose();
    void Memo_ToChange();

    // ---- the pictures the letter will be sent as
    void PreviewPictures1Click();
    void Print1Click();

    // ---- hover shift

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildCoolBar();
    void buildAddressPanel();
    void buildFormatBar();
    void arrangeFormatBar();
    void buildAttachmentList();
    std::vector<WindowCommand> commandRows();
    void buildCommands();
    void buildMenus();
    void buildColorButtons();
    void applyColor(void (ActiveAttributes::*set)(const QColor &), const QColor &color);
    void buildPageCount();
    void buildFind();
    void FillFontNames();
    void FormResize();
    void applyStyle(int style, bool on); // style: ActiveAttributes::Style
    void applyAlignment(int tag);
    void applyState(const ToolBarState &state);
    void pickRecipients();
    void buildLifecycle();
    void buildPictures();
    void buildSpelling();
    void buildNumbering();
    void buildFormatChecks();
    // numbering: ParagraphFormat::Numbering
    void applyNumbering(int numbering);
    void applyNumberingState(const ToolBarState &state);
    ComposedMail composedMail() const;
    MailStorer storer() const;
    // Stores the mail (replacing the opened one); false when it failed, after the error
    // was shown.
    bool storeMail(std::int64_t &position);
    // After a store: the main window shows the stored mail selected in its box.
    void reportStored(std::int64_t position);
    // Send and Ms OE: the checks before anything is stored, then storing and sending.
    void sendChecked(SendCheck::Mode mode);
    void sendThrough(SendMode mode);
    void focusField(SendCheck::Field field);
    void showError(const QString &text);
    // The message boxes and file dialogs of this window belong to it.
    UserDialogs::Answer ask(UserDialogs::Kind kind, const QString &text,
                            UserDialogs::Buttons buttons = UserDialogs::Buttons::Ok);
    QString openFile(const QString &filter);
    void updateTitle();

    WindowServices &m_services;
    std::unique_ptr<WindowCommandTable> m_commands;
    ToolBarState m_state;
    bool m_shown = false;
    MailBoxHost *m_host = nullptr;
    QString m_tempFolder;
    QString m_openFilter;
    bool m_released = false;
    FindInLetter *m_find = nullptr;
    LetterPageCount *m_pageCount = nullptr;
    ComposerSpelling *m_spelling = nullptr;
    void discardRecoveryCopy();
    RecoveryKeeper *m_recovery = nullptr;
    QByteArray m_replacedDigest; // of the stored mail this one replaces
    // The preview window beside this one; `print` prints as soon as the pages are made.
    void openPreview(bool print);
    QMenu *m_numberingMenu = nullptr;
    QActionGroup *m_numberingStyles = nullptr;
    int m_lastNumbering = 1; // ParagraphFormat::Numbering::Decimal
};
