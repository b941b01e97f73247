#include "mailbox/MailBoxCore.h"

#include "config/ConfigSettings.h"
#include "mail/TMailMessage.h"
#include "mailbox/MailListSort.h"
#include "mailbox/StoreFile.h"
#include "os/AppError.h"

#include <QDir>
#include <QSaveFile>
#include <QTemporaryDir>
#include <algorithm>
#include <utility>

MailBoxCore::MailBoxCore(ConfigSettings &settings, QString mailBoxPath)
    : m_settings(settings)
    , m_store(std::move(mailBoxPath))
{
}

std::optional<BoxCode> MailBoxCore::currentBox() const
{
    return BoxTable::fromIniName(m_settings.BOX_CurrentBox);
}

void MailBoxCore::showBox(BoxCode box)
{
    const BoxList *list = m_lists.box(box);
    if (!list)
        return;
    m_settings.BOX_CurrentBox = BoxTable::iniName(box);
    m_shown = *list;
    sortShown();
}

bool MailBoxCore::showStored(BoxCode box, std::int64_t position)
{
    if (!m_lists.box(box))
        return false;
    showBox(box);
    const int row = rowOf(position);
    *rememberedRow() = row >= 0 ? row : std::max(0, int(m_shown.size()) - 1);
    return true;
}

void MailBoxCore::sortShown()
{
    MailListSort::sort(m_shown, m_sortColumn);
}

void MailBoxCore::ReloadBoxes()
{
    // The listing comes first: when the store cannot be read, nothing changes.
    std::vector<MailSummary> listing;
    try {
        listing = m_store.ScanStore();
    } catch (const AppError &e) {
        m_readError = e.what();
        throw;
    }
    m_readError.clear();
    m_readOnlyReason = StoreFile::writeRefusal(m_store.path());
    m_everRead = true;
    m_lists = MailBoxLists::fromListing(std::move(listing));
    const std::optional<BoxCode> box = currentBox();
    const BoxList *current = box ? m_lists.box(*box) : nullptr;
    m_shown = current ? *current : BoxList();
    sortShown();
}

QStringList MailBoxCore::boxCountTexts() const
{
    // The captions padded to one width: "UnSent Box 12", "Trash Box  0".
    QStringList texts;
    for (BoxCode box : BoxTable::Boxes)
        texts << BoxTable::selectorCaption(box).leftJustified(11)
                + (m_everRead ? QString::number(m_lists.count(box)) : QStringLiteral("?"));
    return texts;
}

QString MailBoxCore::storeStatusText() const
{
    if (m_readError.empty()) {
        if (m_readOnlyReason.isEmpty())
            return {};
        return QStringLiteral("The mail store is read-only (%1): its mails are shown, but nothing can be saved, "
                              "moved or deleted in it. File > Save Letter As... keeps a letter elsewhere.")
            .arg(m_readOnlyReason);
    }
    return QStringLiteral("The mail store could not be read (%1): the boxes do not show what it holds.")
        .arg(QString::fromUtf8(m_readError.c_str()));
}

void MailBoxCore::setPreviewed(int row)
{
    m_previewed = m_shown.at(size_t(row)).position;
}

bool MailBoxCore::previewStillShown() const
{
    return !m_previewed || rowOf(*m_previewed) >= 0;
}

int *MailBoxCore::rememberedRow()
{
    const std::optional<BoxCode> box = currentBox();
    return box ? BoxTable::rememberedRow(m_settings, *box) : nullptr;
}

int MailBoxCore::rowToRestore()
{
    const int *remembered = rememberedRow();
    if (m_shown.empty() || !remembered || *remembered < 0)
        return -1;
    return std::min(*remembered, int(m_shown.size()) - 1);
}

std::int64_t MailBoxCore::positionOf(int row) const
{
    return m_shown.at(size_t(row)).position;
}

int MailBoxCore::rowOf(std::int64_t position) const
{
    const auto at = std::find_if(m_shown.begin(), m_shown.end(),
                                 [position](const MailSummary &mail) { return mail.position == position; });
    return at == m_shown.end() ? -1 : int(at - m_shown.begin());
}

std::vector<std::int64_t> MailBoxCore::positions(const std::vector<int> &rows) const
{
    std::vector<std::int64_t> list;
    for (int row : rows)
        list.push_back(positionOf(row));
    return list;
}

QStringList MailBoxCore::subjects(const std::vector<int> &rows) const
{
    QStringList list;
    for (int row : rows)
        list.append(m_shown.at(size_t(row)).subjectText);
    return list;
}

void MailBoxCore::loadMail(int row, TMailMessage &message) const
{
    m_store.LoadMail(positionOf(row), message);
}

QStringList MailBoxCore::loadMailForChange(int row, TMailMessage &message, const QString &tempFolder) const
{
    std::vector<RecordSkeleton::Gap> gaps;
    m_store.LoadMailShown(positionOf(row), message, &gaps);
    QStringList files;
    std::size_t gap = 0;
    QString folder;
    try {
        // Gaps and attachments both come in the order of the text.
        for (int i = 0; i < message.Attachments.Count(); ++i) {
            const TMailPart *part = message.Attachments[i];
            const bool left = gap < gaps.size() && part->EncodedBody.empty()
                              && part->HeaderValue("Content-Length") == std::to_string(gaps[gap].length);
            if (!left) {
                files.append(QString());
                continue;
            }
            if (folder.isEmpty()) {
                // Only this user may read the copies; they stay while the composer may
                // store the mail again from them.
                QTemporaryDir made(tempFolder + QStringLiteral("/vellorn-attachments-XXXXXX"));
                if (!made.isValid())
                    throw AppError("Cannot create a private folder in " + tempFolder.toStdString());
                made.setAutoRemove(false);
                folder = made.path();
            }
            // The composer names the attachment itself; the copy's name needs only be new.
            const QString path = folder + QStringLiteral("/attachment-%1").arg(i + 1);
            saveGap(gaps[gap++], path);
            files.append(path);
        }
    } catch (...) {
        if (!folder.isEmpty())
            QDir(folder).removeRecursively();
        throw;
    }
    return files;
}

void MailBoxCore::loadMailShown(int row, TMailMessage &message)
{
    m_gaps.clear();
    m_store.LoadMailShown(positionOf(row), message, &m_gaps);
}

std::optional<RecordSkeleton::Gap> MailBoxCore::shownGap(const TMailMessage &message, int attachment) const
{
    // Gaps and attachments both come in the order of the text: the n-th attachment whose
    // body was left out has the n-th gap.
    std::size_t gap = 0;
    for (int i = 0; i < message.Attachments.Count() && gap < m_gaps.size(); ++i) {
        const TMailPart *part = message.Attachments[i];
        const bool left = part->EncodedBody.empty()
                          && part->HeaderValue("Content-Length") == std::to_string(m_gaps[gap].length);
        if (i == attachment)
            return left ? std::optional(m_gaps[gap]) : std::nullopt;
        if (left)
            ++gap;
    }
    return std::nullopt;
}

void MailBoxCore::saveGap(const RecordSkeleton::Gap &gap, const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw AppError("Cannot create file " + path.toStdString());
    m_store.DecodeBody(gap, [&file, &path](std::string_view bytes) {
        if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
            throw AppError("Cannot create file " + path.toStdString());
    });
    if (!file.commit())
        throw AppError("Cannot create file " + path.toStdString());
}

bool MailBoxCore::deleteRows(const std::vector<int> &rows) const
{
    if (rows.empty())
        return false;
    const BoxCode code = currentBox() == BoxCode::Trash ? BoxCode::Deleted : BoxCode::Trash;
    for (int row : rows)
        m_store.SetBoxCode(positionOf(row), code);
    return true;
}

bool MailBoxCore::moveRows(const std::vector<int> &rows, BoxCode target) const
{
    if (rows.empty() || currentBox() == target)
        return false;
    for (int row : rows)
        m_store.SetBoxCode(positionOf(row), target);
    return true;
}

void MailBoxCore::emptyTrash() const
{
    for (const MailSummary &mail : m_lists.trash)
        m_store.SetBoxCode(mail.position, BoxCode::Deleted);
}

const char *const MailBoxCore::AllSlotsTakenText =
    "Ten composer windows are open, as many as the program keeps.\r\n"
    "Close one of them to write or open another mail.";

int MailBoxCore::firstFreeSlot(const std::vector<bool> &taken)
{
    for (size_t i = 0; i < taken.size(); ++i)
        if (!taken[i])
            return int(i) + 1;
    return 0;
}
