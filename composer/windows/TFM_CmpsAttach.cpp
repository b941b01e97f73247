// The parts of a composer's mail besides the letter's format: the changed state, the
// recipients' fields and the address panel's growth, importing a letter, and the
// attachment list.
#include "composer/windows/TFM_Cmps.h"

#include "composer/AttachSizeCheck.h"
#include "composer/ComposerTitle.h"
#include "composer/LetterContent.h"
#include "composer/windows/ComposerEditor.h"
#include "config/ConfigSettings.h"
#include "os/ProgramIcons.h"
#include "product/AppInfo.h"
#include "text/StoredText.h"
#include "ui/UserDialogs.h"
#include "ui/WindowServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>

namespace {

const char *const kImportFilter = "Rich Text Files (*.RTF)|*.RTF|Text Files (*.TXT)|*.TXT";
const char *const kAttachFilter = "All Flies(*.*)|*.*";
constexpr int kPathRole = Qt::UserRole;
constexpr int kKindRole = Qt::UserRole + 1;

} // namespace

void TFM_Cmps::buildLifecycle()
{
    m_tempFolder = QDir::tempPath();
    m_openFilter = QLatin1String(kImportFilter);
    connect(Memo_To, &QPlainTextEdit::textChanged, this, &TFM_Cmps::Memo_ToChange);
    for (QPlainTextEdit *memo : {Memo_CC, Memo_BCC})
        connect(memo, &QPlainTextEdit::textChanged, this, [this] {
            setLetterChanged(true);
            fitAddressRows();
        });
    connect(Edt_Subject, &QLineEdit::textChanged, this, [this] {
        setLetterChanged(true);
        updateTitle();
    });
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

void TFM_Cmps::Memo_ToChange()
{
    setLetterChanged(true);
    fitAddressRows();
}

void TFM_Cmps::PIC_OpenClick()
{
    // Only a letter with content has something to lose.
    if (LetterContent::hasContent(*Editor->document())
        && ask(UserDialogs::Kind::Warning,
               QStringLiteral("All current text will be clear!\r\nAre you sure continue import text?"),
               UserDialogs::Buttons::YesNo)
            != UserDialogs::Answer::Yes)
        return;
    const QString path = openFile(m_openFilter);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showError(QStringLiteral("Cannot open file \"%1\"").arg(QDir::toNativeSeparators(path)));
        return;
    }
    const QByteArray bytes = file.readAll();
    // RTF loads as rich text, anything else as plain text (UTF-8 when it is that, else
    // Windows-1252).
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    Editor->loadLetter(text, StoredText::toQString(text));
    Editor->setFocus();
    setLetterChanged(false);
    Editor->setReadOnly(false);
    SelectionChange();
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
