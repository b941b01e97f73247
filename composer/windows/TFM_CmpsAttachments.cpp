// The attachment list of the composer: its rows, adding (with the size question) and
// removing.
#include "composer/windows/TFM_Cmps.h"

#include "composer/AttachSizeCheck.h"
#include "composer/ComposerTitle.h"
#include "composer/LetterContent.h"
#include "composer/LetterPageCount.h"
#include "composer/RecoveryKeeper.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/FontSizeBox.h"
#include "config/ConfigSettings.h"
#include "os/ProgramIcons.h"
#include "product/AppInfo.h"
#include "product/LinkAddresses.h"
#include "text/StoredText.h"
#include "ui/ToolBand.h"
#include "ui/ToolCaptionLabel.h"
#include "ui/ToolImage.h"
#include "ui/UserDialogs.h"
#include "ui/WindowCommandTable.h"
#include "ui/WindowServices.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

const char *const kAttachFilter = "All Flies(*.*)|*.*";
constexpr int kPathRole = Qt::UserRole;
constexpr int kKindRole = Qt::UserRole + 1;

} // namespace

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

std::vector<AttachmentRow> TFM_Cmps::attachmentRows() const
{
    std::vector<AttachmentRow> rows;
    for (int i = 0; i < LstV_Attach->count(); ++i) {
        const QListWidgetItem *item = LstV_Attach->item(i);
        rows.push_back({item->text(), item->data(kPathRole).toString(), item->data(kKindRole).toString()});
    }
    return rows;
}

void TFM_Cmps::addAttachmentRow(const AttachmentRow &row)
{
    auto *item = new QListWidgetItem(ProgramIcons::icon(ProgramIcons::Role::AttachmentIcon), row.caption, LstV_Attach);
    item->setData(kPathRole, row.source);
    item->setData(kKindRole, row.kind);
    item->setToolTip(row.kind == AttachmentRow::File ? QDir::toNativeSeparators(row.source) : row.caption);
    LstV_Attach->show();
}

void TFM_Cmps::AttachbuttonClick()
{
    // From the first attachment on, the window's open dialog offers every file, also when
    // it imports a letter.
    m_openFilter = QLatin1String(kAttachFilter);
    const QString path = openFile(m_openFilter);
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    if (!attachSizeAccepted({path}))
        return;
    addAttachmentRow({info.fileName(), info.absoluteFilePath(), AttachmentRow::File});
    setLetterChanged(true);
}

bool TFM_Cmps::attachSizeAccepted(const QStringList &paths)
{
    std::vector<AttachmentRow> rows = attachmentRows();
    for (const QString &path : paths)
        rows.push_back({QFileInfo(path).fileName(), path, AttachmentRow::File});
    const qint64 letter = Editor->document()->characterCount();
    const QString text = AttachSizeCheck(m_services.settings.ACC_MailSizeLimit)
                             .question(AttachSizeCheck::mailSize(letter, rows, MSG));
    return text.isEmpty() || ask(UserDialogs::Kind::Warning, text, UserDialogs::Buttons::YesNo) == UserDialogs::Answer::Yes;
}

void TFM_Cmps::Remove1Click()
{
    QListWidgetItem *item = LstV_Attach->currentItem();
    if (!item || !item->isSelected())
        return;
    delete item;
    if (LstV_Attach->count() == 0)
        LstV_Attach->hide();
    // The mail lost an attachment: closing asks, and saving stores it without.
    setLetterChanged(true);
}
