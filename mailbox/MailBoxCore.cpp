#include "MailBoxCore.h"

#include "AppError.h"
#include "ConfigSettings.h"
#include "MailListSort.h"

#include <algorithm>
#include <utility>

namespace {

constexpr const char *BoxNames[3] = {"SentBox", "UnsentBox", "TrashBox"};
constexpr char BoxCodes[3] = {MailStore::SentCode, MailStore::UnsentCode, MailStore::TrashCode};

} // namespace

MailBoxCore::MailBoxCore(ConfigSettings &settings, QString mailBoxPath)
    : m_settings(settings)
    , m_store(std::move(mailBoxPath))
{
}

int MailBoxCore::selectorItemOfName(std::string_view boxName)
{
    for (int item = 0; item < 3; ++item)
        if (boxName == BoxNames[item])
            return item;
    return -1;
}

char MailBoxCore::boxCodeOfName(std::string_view boxName)
{
    return boxCodeOfItem(selectorItemOfName(boxName));
}

const char *MailBoxCore::boxNameOfItem(int item)
{
    return item >= 0 && item < 3 ? BoxNames[item] : "";
}

char MailBoxCore::boxCodeOfItem(int item)
{
    return item >= 0 && item < 3 ? BoxCodes[item] : 0;
}

char MailBoxCore::currentBoxCode() const
{
    return boxCodeOfName(m_settings.BOX_CurrentBox);
}

void MailBoxCore::showBox(int item)
{
    if (item < 0 || item > 2)
        return;
    m_settings.BOX_CurrentBox = BoxNames[item];
    m_shown = *m_lists.box(BoxCodes[item]);
    sortShown();
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
    m_everRead = true;
    m_lists = MailBoxLists::fromListing(std::move(listing));
    const BoxList *current = m_lists.box(currentBoxCode());
    m_shown = current ? *current : BoxList();
    sortShown();
}

QStringList MailBoxCore::boxCountTexts() const
{
    auto count = [this](const BoxList &list) {
        return m_everRead ? QString::number(list.size()) : QStringLiteral("?");
    };
    return {QStringLiteral("Sent Box   ") + count(m_lists.sent), QStringLiteral("UnSent Box ") + count(m_lists.unsent),
            QStringLiteral("Trash Box  ") + count(m_lists.trash)};
}

QString MailBoxCore::storeStatusText() const
{
    if (m_readError.empty())
        return {};
    return QStringLiteral("The mail store could not be read (%1): the boxes do not show what it holds.")
        .arg(QString::fromUtf8(m_readError.c_str()));
}

void MailBoxCore::setPreviewed(int row)
{
    m_previewed = m_shown.at(size_t(row)).position;
}

bool MailBoxCore::previewStillShown() const
{
    return m_previewed.empty()
        || std::any_of(m_shown.begin(), m_shown.end(),
                       [this](const MailSummary &mail) { return mail.position == m_previewed; });
}

int *MailBoxCore::rememberedRow()
{
    switch (currentBoxCode()) {
    case MailStore::UnsentCode:
        return &m_settings.BOX_UIndex;
    case MailStore::SentCode:
        return &m_settings.BOX_SIndex;
    case MailStore::TrashCode:
        return &m_settings.BOX_TIndex;
    default:
        return nullptr;
    }
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
    return std::stoll(m_shown.at(size_t(row)).position);
}

QStringList MailBoxCore::positions(const std::vector<int> &rows) const
{
    QStringList list;
    for (int row : rows)
        list.append(QString::fromLatin1(m_shown.at(size_t(row)).position));
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

bool MailBoxCore::deleteRows(const std::vector<int> &rows) const
{
    if (rows.empty())
        return false;
    const char *code = currentBoxCode() == MailStore::TrashCode ? "D" : "t";
    for (int row : rows)
        m_store.SetBoxCode(positionOf(row), code);
    return true;
}

bool MailBoxCore::moveRows(const std::vector<int> &rows, char targetCode) const
{
    if (rows.empty() || currentBoxCode() == targetCode)
        return false;
    const char code[2] = {targetCode, 0};
    for (int row : rows)
        m_store.SetBoxCode(positionOf(row), code);
    return true;
}

void MailBoxCore::emptyTrash() const
{
    for (const MailSummary &mail : m_lists.trash)
        m_store.SetBoxCode(std::stoll(mail.position), "D");
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
