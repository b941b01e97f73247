// The attachment list of the composer (the AttachmentList panel) in the window: adding
// files (with the size question) and removing rows.
#include "composer/windows/TFM_Cmps.h"

#include "composer/AttachSizeCheck.h"
#include "composer/windows/ComposerEditor.h"
#include "config/ConfigSettings.h"
#include "ui/UserDialogs.h"
#include "ui/WindowServices.h"

#include <QFileInfo>
#include <QMenu>

namespace {

const char *const kAttachFilter = "All Flies(*.*)|*.*";

} // namespace

void TFM_Cmps::buildAttachmentList()
{
    LstV_Attach = new AttachmentList(centralWidget());
    // Its pop-up (m_attachMenu) comes from the command table.
    connect(LstV_Attach, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { m_attachMenu->popup(LstV_Attach->viewport()->mapToGlobal(at)); });
}

std::vector<AttachmentRow> TFM_Cmps::attachmentRows() const { return LstV_Attach->rows(); }

void TFM_Cmps::addAttachmentRow(const AttachmentRow &row) { LstV_Attach->addRow(row); }

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
    if (!LstV_Attach->removeCurrent())
        return;
    // The mail lost an attachment: closing asks, and saving stores it without.
    setLetterChanged(true);
}
