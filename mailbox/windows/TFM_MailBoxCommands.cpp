#include "mailbox/windows/TFM_MailBox.h"

#include "config/ConfigSettings.h"
#include "mail/TMailPart.h"
#include "mailbox/ExportFile.h"
#include "mailbox/MailListModel.h"
#include "mailbox/MailListSort.h"
#include "os/AppError.h"
#include "os/ProgramIcons.h"
#include "send/SendMode.h"
#include "product/AppInfo.h"
#include "richtext/LetterDocument.h"
#include "shell/HelpPages.h"
#include "shell/LinkConfig.h"
#include "ui/ComposerWindows.h"
#include "ui/HelpLauncher.h"
#include "ui/ToolImage.h"
#include "ui/UserDialogs.h"
#include "ui/WindowOpener.h"
#include "ui/WindowServices.h"
#include "text/TextRules.h"

#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeView>
#include <algorithm>

namespace {

// Qt breaks a word wider than the line in time that grows with the square of its length
// (a 400 KB word takes half a minute). A letter with such a word is shown broken anywhere,
// which takes linear time; ordinary letters keep their word wrapping.
constexpr int LongestWrappedWord = 2000;

bool hasLongWord(const QString &text)
{
    int run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > LongestWrappedWord)
            return true;
    }
    return false;
}

bool isBlank(const std::string &text)
{
    return TextRules::isBlankOrControlOnly(text);
}

} // namespace

// ---- selection and preview

std::vector<int> TFM_MailBox::selectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : LstV_MailList->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TFM_MailBox::selectRow(int row)
{
    const QModelIndex index = m_model->index(row, 2);
    LstV_MailList->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    LstV_MailList->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void TFM_MailBox::LstV_MailListSelectItem(const QItemSelection &selected)
{
    if (m_selectingAll || !m_services.settings.BOX_ShowContent || selected.isEmpty())
        return;
    // Of the rows that became selected, the one under the caret, else the last one.
    int row = -1;
    const int current = LstV_MailList->selectionModel()->currentIndex().row();
    for (const QModelIndex &index : selected.indexes()) {
        if (index.row() == current) {
            row = current;
            break;
        }
        row = std::max(row, index.row());
    }
    if (row >= 0)
        preview(row);
}

void TFM_MailBox::previewFollowsList()
{
    if (!m_core.previewStillShown())
        clearPreview();
}

void TFM_MailBox::clearPreview()
{
    m_core.clearPreviewed();
    Edt_body->clear();
    PNL_MailInfo->setText(QStringLiteral("  Subject:"));
    LstV_att->clear();
    LstV_att->hide();
}

void TFM_MailBox::preview(int row)
{
    // Only what the preview shows is read: a large attachment's bytes stay in the store.
    if (!runStoreStep([this, row] { m_core.loadMailShown(row, Msg_1); }))
        return;
    const std::string plain = TMailMessage::JoinLines(Msg_1.PlainLines);
    if (!isBlank(plain)) {
        // A letter that is not RTF shows as plain text. The document is the preview's
        // child, so the preview deletes it when the next one replaces it.
        auto *doc = new QTextDocument(Edt_body);
        LetterDocument::load(plain, Msg_1.PlainBodyText(), doc);
        Edt_body->setWordWrapMode(hasLongWord(doc->toPlainText()) ? QTextOption::WrapAnywhere
                                                                  : QTextOption::WrapAtWordBoundaryOrAnywhere);
        Edt_body->setDocument(doc);
    }
    PNL_MailInfo->setText(QStringLiteral("    Subject:  ") + Msg_1.SubjectText());

    LstV_att->clear();
    const TMailPartList &attachments = Msg_1.Attachments;
    if (attachments.Count() == 0) {
        LstV_att->hide();
    } else {
        decodeAttachments();
        const QIcon icon = ProgramIcons::icon(ProgramIcons::Role::AttachmentIcon);
        for (int i = 0; i < attachments.Count(); ++i)
            LstV_att->addItem(new QListWidgetItem(icon, attachments[i]->AttachmentFileNameText()));
        LstV_att->show();
    }
    m_core.setPreviewed(row);
    if (int *remembered = m_core.rememberedRow())
        *remembered = row;
}

void TFM_MailBox::decodeAttachments()
{
    for (int i = 0; i < Msg_1.Attachments.Count(); ++i) {
        TMailPart *part = Msg_1.Attachments[i];
        if (part->DecodedBody.empty())
            part->Decode();
    }
}

void TFM_MailBox::Sbt_sallClick()
{
    m_selectingAll = true;
    LstV_MailList->selectAll();
    m_selectingAll = false;
}

void TFM_MailBox::Sbt_snoneClick()
{
    LstV_MailList->clearSelection();
}

void TFM_MailBox::Sbt_NextClick()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty() || rows.front() + 1 >= m_model->rowCount())
        return;
    const int i = rows.front();
    LstV_MailList->selectionModel()->select(m_model->index(i, 0),
                                            QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    selectRow(i + 1);
    LstV_MailList->scrollTo(m_model->index(i + 1, 2));
}

void TFM_MailBox::Sbt_PreClick()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty() || rows.front() == 0)
        return;
    const int i = rows.front();
    LstV_MailList->selectionModel()->select(m_model->index(i, 0),
                                            QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    selectRow(i - 1);
    LstV_MailList->scrollTo(m_model->index(i - 1, 2));
}

void TFM_MailBox::CHK_DCClick()
{
    m_services.settings.BOX_ShowContent = CHK_DC->isChecked();
}

// ---- boxes and sorting

void TFM_MailBox::CBX_BoxChange(int item)
{
    const std::optional<BoxCode> box = BoxTable::fromSelectorItem(item);
    if (!box)
        return;
    setBoxSelectorItem(*box);
    m_core.showBox(*box);
    m_model->reset();
    previewFollowsList();
    RestoreSelection();
    LstV_MailList->setFocus();
}

void TFM_MailBox::LstV_MailListColumnClick(int column)
{
    if (m_core.shown().empty() || !MailListSort::sorts(column))
        return;
    sortBy(column);
    scrollToFirstSelected();
}

void TFM_MailBox::sortBy(int column)
{
    m_model->setHeaders(MailListSort::headersAfterSort(column));
    m_core.setSortColumn(column);
    resortKeepingSelection();
}

void TFM_MailBox::resortKeepingSelection()
{
    const std::vector<std::int64_t> selected = m_core.positions(selectedRows());
    m_core.sortShown();
    m_model->reset();
    if (selected.empty())
        return;
    // The same mails stay selected where they now stand, without previews.
    m_selectingAll = true;
    QItemSelection selection;
    const BoxList &shown = m_core.shown();
    for (int row = 0; row < int(shown.size()); ++row)
        if (std::find(selected.begin(), selected.end(), shown[size_t(row)].position) != selected.end())
            selection.select(m_model->index(row, 0), m_model->index(row, MailListModel::PositionColumn));
    LstV_MailList->selectionModel()->select(selection, QItemSelectionModel::Select);
    m_selectingAll = false;
}

void TFM_MailBox::scrollToFirstSelected()
{
    const std::vector<int> rows = selectedRows();
    if (!rows.empty())
        LstV_MailList->scrollTo(m_model->index(rows.front(), 2));
}

// ---- commands on stored mails

void TFM_MailBox::Sbt_delClick()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return;
    runStoreStep([this, &rows] { m_core.deleteRows(rows); });
    boxesChanged();
}

void TFM_MailBox::SentBox2Click()
{
    moveSelected(BoxCode::Sent);
}

void TFM_MailBox::UnsentBox2Click()
{
    moveSelected(BoxCode::Unsent);
}

void TFM_MailBox::moveSelected(BoxCode target)
{
    const std::vector<int> rows = selectedRows();
    bool changed = false;
    runStoreStep([this, &rows, &changed, target] { changed = m_core.moveRows(rows, target); });
    if (changed)
        boxesChanged();
}

void TFM_MailBox::PIC_EmptyClick()
{
    const auto answer = m_services.dialogs.messageBox(
        UserDialogs::Kind::Warning, QString::fromLatin1(AppInfo::ApplicationTitle),
        QStringLiteral("All mails in trash box can not be regain after emptied.\r\nAre you sure empty trash box?"),
        UserDialogs::Buttons::YesNo);
    if (answer != UserDialogs::Answer::Yes)
        return;
    runStoreStep([this] { m_core.emptyTrash(); });
    boxesChanged();
}

void TFM_MailBox::PIC_SaveClick()
{
    if (selectedRows().empty()) {
        showError(QStringLiteral("Please select one item to export!"));
        return;
    }
    const QString path = m_services.dialogs.saveFileName(QStringLiteral("Export"), QStringLiteral("Text Files (*.txt)|*.txt"),
                                                         QString(), QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    // What the preview shows, whatever is selected now.
    const QByteArray text = ExportFile::previewText(Edt_body->toPlainText());
    runStoreStep([&path, &text] { ExportFile::write(path, std::string_view(text.constData(), size_t(text.size()))); });
}

void TFM_MailBox::SaveAs2Click()
{
    const int index = LstV_att->currentRow();
    if (index < 0 || index >= Msg_1.Attachments.Count() || !LstV_att->currentItem()->isSelected())
        return;
    TMailPart *part = Msg_1.Attachments[index];
    const QString path = m_services.dialogs.saveFileName(QStringLiteral("Save As"), QStringLiteral("All Files (*.*)|*.*"),
                                                         part->AttachmentFileNameText());
    if (path.isEmpty())
        return;
    // A body the preview left in the store is read from there, a piece at a time.
    if (const std::optional<RecordSkeleton::Gap> gap = m_core.shownGap(Msg_1, index)) {
        runStoreStep([this, &gap, &path] { m_core.saveGap(*gap, path); });
        return;
    }
    runStoreStep([part, &path] { ExportFile::write(path, part->DecodedBody); });
}

// ---- composers

int TFM_MailBox::freeSlotOrSay()
{
    std::vector<bool> taken;
    for (const QPointer<QWidget> &slot : ComposerSlots)
        taken.push_back(!slot.isNull());
    const int slot = MailBoxCore::firstFreeSlot(taken);
    if (slot == 0)
        m_services.dialogs.messageBox(UserDialogs::Kind::Information, QString::fromLatin1(AppInfo::ApplicationTitle),
                                      QString::fromLatin1(MailBoxCore::AllSlotsTakenText), UserDialogs::Buttons::Ok);
    return slot;
}

void TFM_MailBox::PIC_NewClick()
{
    const int slot = freeSlotOrSay();
    if (slot == 0)
        return;
    ComposerSlots[size_t(slot - 1)] = m_composers.openNewMail(slot, *this);
}

void TFM_MailBox::Sbt_edtClick()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return;
    const int row = rows.front();
    const int slot = freeSlotOrSay();
    if (slot == 0)
        return;
    const std::int64_t position = m_core.positionOf(row);
    // The composer gets a message of its own: the preview keeps showing Msg_1 meanwhile.
    // Large attachments are copied out of the store a piece at a time, never held.
    TMailMessage message;
    QStringList files;
    if (!runStoreStep([this, row, &message, &files] { files = m_core.loadMailForChange(row, message, QDir::tempPath()); }))
        return;
    // The list shows a box whenever it has rows.
    ComposerSlots[size_t(slot - 1)] =
        m_composers.openStoredMail(slot, *this, message, position, m_core.currentBox().value_or(BoxCode::Unsent), files);
}

bool TFM_MailBox::maySend()
{
    if (m_services.opener.sendDialogShowing())
        return false;
    if (m_services.settings.smtpAccountBlank()) {
        m_services.dialogs.messageBox(UserDialogs::Kind::Information, QString::fromLatin1(AppInfo::ApplicationTitle),
                                      QString::fromLatin1(ConfigSettings::AccountBlankMessage), UserDialogs::Buttons::Ok);
        m_services.opener.showConfiguration(1);
        return false;
    }
    return true;
}

void TFM_MailBox::PIC_SendClick()
{
    if (!maySend())
        return;
    m_core.showBox(BoxCode::Unsent);
    setBoxSelectorItem(BoxCode::Unsent);
    ReloadBoxes();
    UpdateBoxCounts();
    // Positions from a listing that failed are not sent.
    if (!m_core.storeRead())
        return;
    Sbt_sallClick();
    if (m_core.shown().empty()) {
        showError(QStringLiteral("No mail in unsent box."));
        return;
    }
    sendRows(selectedRows(), SendQuestion::Scope::Unsent);
}

void TFM_MailBox::SendSelectedClick()
{
    if (m_services.opener.sendDialogShowing())
        return;
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        showError(QStringLiteral("Please select the mails to send."));
        return;
    }
    if (maySend())
        sendRows(rows, SendQuestion::Scope::Selected);
}

void TFM_MailBox::sendRows(const std::vector<int> &rows, SendQuestion::Scope scope)
{
    const QString question = SendQuestion::text(scope, m_core.subjects(rows));
    if (m_services.dialogs.messageBox(UserDialogs::Kind::Confirmation, QString::fromLatin1(AppInfo::ApplicationTitle),
                                      question, UserDialogs::Buttons::YesNo)
        != UserDialogs::Answer::Yes)
        return;
    m_services.opener.sendMails(m_core.positions(rows), SendMode::Smtp);
    boxesChanged();
}

// ---- other windows

void TFM_MailBox::PIC_AddressClick()
{
    m_services.opener.showAddressList(WindowOpener::AddressListUse::Manage);
}

void TFM_MailBox::PIC_SetClick()
{
    m_services.opener.showConfiguration(-1);
}

void TFM_MailBox::PIC_HelpClick()
{
    m_services.help.HtmlHelp(this, HelpPages::target(m_services.paths, HelpPages::Contents));
}

// ---- the logo

bool TFM_MailBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image2 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        LinkConfig::open(m_services.shell, LinkConfig::homePage(m_services.links));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
