#pragma once

#include "config/MainWindowLayout.h"
#include "mail/TMailMessage.h"
#include "mailbox/MailBoxCore.h"
#include "mailbox/SendQuestion.h"
#include "ui/MailBoxHost.h"
#include "ui/WindowCommand.h"

#include <QItemSelection>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class ComposerWindows;
class MailListModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QSplitter;
class QTextEdit;
class QToolBar;
class QToolButton;
class QTreeView;
class ToolBand;
class ToolCaptionLabel;
class ToolImage;
class WindowCommandTable;
struct ConfigForm;
struct WindowServices;

// The program's main window: the three mail boxes of the store, the preview of the
// selected mail and the commands on stored mails. Composers are opened into its ten
// slots through ComposerWindows and meet it again through MailBoxHost. What needs no
// widget (box lists, sorting, remembered rows, the steps on the store) is MailBoxCore's.
class TFM_MailBox : public QMainWindow, public MailBoxHost
{
    Q_OBJECT

public:
    // When the store is read first: at once (the lists are filled when the window is made),
    // or once the window's first paint is on the screen, so that a large store does not
    // keep the window from showing.
    enum class StoreReading { AtOnce, AfterFirstPaint };

    // form: the configuration dialog's values, written with the layout when the window closes.
    // layout: as start-up loaded it (with the box fields of the settings record).
    TFM_MailBox(WindowServices &services, ComposerWindows &composers, const ConfigForm &form,
                const MainWindowLayout &layout, QWidget *parent = nullptr,
                StoreReading reading = StoreReading::AtOnce);
    ~TFM_MailBox() override;

    // MailBoxHost
    void mailStored(BoxCode box, std::int64_t position) override;
    void boxesChanged() override;
    void setComposerMayClose(bool mayClose) override { ComposerMayClose = mayClose; }
    void releaseComposerSlot(int slot) override;

    // Rescan the store and refill the three box lists and the shown list.
    void ReloadBoxes();
    // True until the first reading of the store has filled the lists. Meanwhile the status
    // bar says so, the box selector's counts are "?", and every command that acts on mails
    // is disabled; a close waits for the end of the reading.
    bool storeReading() const { return m_reading; }
    // Runs the step once the first reading has ended (at once when it has).
    void whenStoreRead(std::function<void()> step);
    // Runs the step once the window's first paint is on the screen (at once when it is; after
    // a second when the window is never painted), before a first reading of the store that
    // waits for the same paint: what start-up shows beside the window does not delay it.
    void whenFirstPainted(std::function<void()> step);
    // Reselect the remembered row of the current box and scroll it into view.
    void RestoreSelection();
    // Rewrite the box selector's items with the mail counts.
    void UpdateBoxCounts();
    // Set the box selector to the box's item without switching the shown list.
    void setBoxSelectorItem(BoxCode box);

    // The layout as Config.dat keeps it (list height, sort column, preview flag, state
    // and bounds, the tips window's flag).
    MainWindowLayout currentLayout() const;
    // The state of "Always show tips at startup", kept with the layout when set.
    std::function<bool()> showTipsAtStartup;

    MailBoxCore &core() { return m_core; }
    MailListModel *mailListModel() const { return m_model; }
    // Rows selected in the mail list, top to bottom.
    std::vector<int> selectedRows() const;
    // Selects one row (others stay selected), which previews it.
    void selectRow(int row);

    static constexpr int SlotCount = 10;
    std::array<QPointer<QWidget>, SlotCount> ComposerSlots;
    bool ComposerMayClose = true;
    TMailMessage Msg_1;

    // Controls, named as the window's design names them.
    QToolBar *ToolBar1 = nullptr;
    QMenuBar *MainMenu1 = nullptr;
    ToolBand *Panel1 = nullptr;
    ToolImage *PIC_Send = nullptr;
    ToolImage *PIC_New = nullptr;
    ToolImage *PIC_Save = nullptr;
    ToolImage *PIC_Address = nullptr;
    ToolImage *PIC_Set = nullptr;
    ToolImage *PIC_Empty = nullptr;
    ToolImage *PIC_Help = nullptr;
    ToolCaptionLabel *Label1 = nullptr;
    QLabel *Image2 = nullptr;
    QWidget *Panel3 = nullptr;
    QComboBox *CBX_Box = nullptr;
    QToolButton *Sbt_sall = nullptr;
    QToolButton *Sbt_snone = nullptr;
    QToolButton *Sbt_Next = nullptr;
    QToolButton *Sbt_Pre = nullptr;
    QToolButton *Sbt_del = nullptr;
    QToolButton *Sbt_edt = nullptr;
    QSplitter *Spt = nullptr;
    QTreeView *LstV_MailList = nullptr;
    QLabel *PNL_MailInfo = nullptr;
    QCheckBox *CHK_DC = nullptr;
    QTextEdit *Edt_body = nullptr;
    QListWidget *LstV_att = nullptr;
    QMenu *PopupMenu1 = nullptr; // the mail list's pop-up
    QMenu *PopupMenu2 = nullptr; // the attachment list's pop-up
    QLabel *StoreStatus = nullptr; // in the status bar: the store could not be read

    // The window's commands, declared once in its table (TFM_MailBoxMenus.cpp).
    const WindowCommandTable &commands() const { return *m_commands; }
    // Triggers the named command as its menu item or keys would; false when there is none
    // or it is disabled.
    bool triggerCommand(const QString &name);

    // Commands (menu entries, buttons and keys forward to these).
    void PIC_SendClick();
    // Sends the mails selected in the list (of any box), after the same question.
    void SendSelectedClick();
    void PIC_NewClick();
    void PIC_SaveClick();
    void PIC_AddressClick();
    void PIC_SetClick();
    void PIC_EmptyClick();
    void PIC_HelpClick();
    void Sbt_edtClick();
    void Sbt_delClick();
    void Sbt_sallClick();
    void Sbt_snoneClick();
    void Sbt_NextClick();
    void Sbt_PreClick();
    void SentBox2Click();
    void UnsentBox2Click();
    void SaveAs2Click();
    void CBX_BoxChange(int item);
    void CHK_DCClick();
    void LstV_MailListColumnClick(int column);
    // "Sort By": works on an empty list too.
    void sortBy(int column);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildCoolBar();
    void buildBoxBar();
    void buildMailList();
    void buildPreview();
    std::vector<WindowCommand> commandRows();
    void buildMenus();
    void LoadMailboxSettings();
    // The first reading, after the first paint (TFM_MailBoxReading.cpp).
    void readStoreAfterFirstPaint();
    void watchFirstPaint();
    void firstPainted();
    void readStoreNow();
    void setReading(bool reading);

    void preview(int row);
    // Attachments whose decoded body is empty are decoded (preview, save, edit).
    void decodeAttachments();
    void LstV_MailListSelectItem(const QItemSelection &selected);
    // The first free composer slot (1 to 10); 0, having told the user why, when none is.
    int freeSlotOrSay();
    // A send job may start: no job runs and the account is filled in (else the user is
    // sent to the account's settings).
    bool maySend();
    // Asks whether to send the rows' mails and, on Yes, sends them.
    void sendRows(const std::vector<int> &rows, SendQuestion::Scope scope);
    // After the shown list changed: a previewed mail that left it is no longer shown.
    void previewFollowsList();
    void clearPreview();
    // Runs a command's store steps, showing a store error in an error box.
    bool runStoreStep(const std::function<void()> &step);
    void reloadAfterCommand();
    // Moves the selected mails to the box unless that box is shown.
    void moveSelected(BoxCode target);
    void showError(const QString &text);
    // Sorts the shown list and keeps the selected mails selected.
    void resortKeepingSelection();
    void scrollToFirstSelected();
    bool FormCloseQuery();
    bool FormClose();

    WindowServices &m_services;
    ComposerWindows &m_composers;
    const ConfigForm &m_form;
    MailBoxCore m_core;
    MailListModel *m_model = nullptr;
    std::unique_ptr<WindowCommandTable> m_commands;
    MainWindowLayout m_loaded;
    bool m_selectingAll = false;
    bool m_reading = false;
    bool m_readPending = false;  // the first reading waits for the first paint
    bool m_closeWhenRead = false; // a close came while reading
    std::vector<std::function<void()>> m_afterRead;
    bool m_painted = false;       // the first paint is on the screen
    bool m_paintWatched = false;  // a watch waits for it
    std::vector<std::function<void()>> m_afterPaint;
};
