#include "mailbox/MailStore.h"

#include "mail/TMailMessage.h"
#include "mailbox/BoxTable.h"
#include "mailbox/StoreFile.h"
#include "mailbox/StorePurger.h"
#include "os/AppError.h"
#include "os/MessagePump.h"
#include "text/LineBreaks.h"

#include <algorithm>
#include <utility>

namespace {

[[noreturn]] void failNoRecord(const QString &path, std::int64_t position)
{
    throw AppError(QStringLiteral("No mail record starts at position %1 of %2").arg(position).arg(path).toStdString());
}

[[noreturn]] void failAppend(const QString &path, const char *reason)
{
    throw AppError(QStringLiteral("Cannot append to %1: %2").arg(path, QString::fromLatin1(reason)).toStdString());
}

// The whole text of the record at `position`, after checking that a record starts
// there and that its length fits inside the file.
std::string readRecordText(StoreFile &file, std::int64_t position)
{
    StoreWalker walker(file);
    const std::optional<RecordHeader> header = walker.recordAt(position);
    if (!header)
        failNoRecord(file.path(), position);
    std::string text(static_cast<size_t>(header->length), '\0');
    if (file.readAt(position + RecordHeader::Size, text.data(), header->length) != header->length)
        failNoRecord(file.path(), position);
    return text;
}

} // namespace

MailStore::MailStore(QString path)
    : m_path(std::move(path))
{
}

std::int64_t MailStore::AppendMail(std::string_view text, char boxCode, char attachFlag) const
{
    StoreFile file(m_path);
    const std::int64_t position = file.size();
    // A record in front of the first record position would never be found again.
    if (position < HeaderSize)
        failAppend(m_path, "the file is shorter than the 100-byte store header");
    if (!RecordHeader::isAttachFlag(attachFlag))
        failAppend(m_path, "the attachment flag must be 'Y' or 'N'");
    if (static_cast<std::int64_t>(text.size()) > MaxFileSize - RecordHeader::Size - position)
        failAppend(m_path, "the store would grow past its limit of 2 GB");

    char header[RecordHeader::Size];
    RecordHeader::encode(header, static_cast<std::int32_t>(text.size()), boxCode, attachFlag);
    try {
        file.writeAt(position, header, RecordHeader::Size);
        file.writeAt(position + RecordHeader::Size, text.data(), static_cast<std::int64_t>(text.size()));
        file.syncData();
    } catch (...) {
        // Leave no piece of the record behind.
        try {
            file.truncate(position);
            file.syncData();
        } catch (...) {
        }
        throw;
    }
    return position;
}

std::int64_t MailStore::AppendMail(std::string_view text, BoxCode box, char attachFlag) const
{
    return AppendMail(text, BoxTable::byte(box), attachFlag);
}

void MailStore::SetBoxCode(std::int64_t position, BoxCode code) const
{
    const char byte = BoxTable::byte(code);
    SetBoxCode(position, std::string_view(&byte, 1));
}

void MailStore::SetBoxCode(std::int64_t position, std::string_view code) const
{
    if (code.empty())
        throw AppError("SetBoxCode: the box code is empty");
    StoreFile file(m_path);
    StoreWalker walker(file);
    // Writing the byte anywhere but in a record header would damage a mail.
    if (!walker.recordAt(position))
        failNoRecord(m_path, position);
    file.writeAt(position + RecordHeader::BoxCodeOffset, code.data(), 1);
    file.syncData();
}

std::string MailStore::ReadMailText(std::int64_t position) const
{
    StoreFile file(m_path, StoreFile::Access::Read);
    return readRecordText(file, position);
}

void MailStore::LoadMail(std::int64_t position, TMailMessage &message) const
{
    const std::string raw = ReadMailText(position);
    // Every line end becomes CR LF and the text ends with one.
    const std::string text = LineBreaks::toCrLf(raw, true);
    message.Clear();
    message.LoadFromString(text);
    message.ScanParts();
}

std::vector<MailSummary> MailStore::ScanStore() const
{
    StoreFile file(m_path, StoreFile::Access::Read);
    // Each record costs one read: its header and the start of its text together.
    StoreWalker walker(file, MailSummary::WindowSize);
    std::vector<MailSummary> summaries;
    StoreWalker::Step step;
    while (walker.next(step)) {
        MessagePump::serve();
        if (!step.isRecord)
            continue;
        summaries.push_back(MailSummary::build(step.start, step.header.length, step.header.boxCode,
                                               step.header.attachFlag, walker.window()));
    }
    return summaries;
}

void MailStore::PurgeDeleted() const
{
    StoreFile file(m_path);
    StorePurger(file).run();
}

std::vector<StoreWalker::Step> MailStore::walkStore() const
{
    StoreFile file(m_path, StoreFile::Access::Read);
    StoreWalker walker(file);
    std::vector<StoreWalker::Step> steps;
    StoreWalker::Step step;
    while (walker.next(step)) {
        MessagePump::serve();
        steps.push_back(step);
    }
    return steps;
}
