#include "mailbox/MailStore.h"

#include "mail/Base64Decoder.h"
#include "mail/HeaderLineBreaks.h"
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
    return AppendMailPieces(static_cast<std::int64_t>(text.size()), boxCode, attachFlag, [text](const PieceWriter &put) {
        put(text);
        return true;
    });
}

namespace {

// Writes one record at the end of `file` without flushing it: the header first, then
// the text that `fill` hands over. Returns false when `fill` stops; raises on an error.
// Either way the caller takes the record back by cutting the file to where it began.
bool writeRecord(StoreFile &file, std::int64_t length, char boxCode, char attachFlag,
                 const std::function<bool(const MailStore::PieceWriter &put)> &fill)
{
    const std::int64_t position = file.size();
    if (position < MailStore::HeaderSize)
        failAppend(file.path(), "the file is shorter than the 100-byte store header");
    if (!RecordHeader::isAttachFlag(attachFlag))
        failAppend(file.path(), "the attachment flag must be 'Y' or 'N'");
    if (length < 0 || length > MailStore::MaxFileSize - RecordHeader::Size - position)
        failAppend(file.path(), "the store would grow past its limit of 2 GB");

    // Small pieces (header lines) are gathered, so that a mail costs few writes.
    constexpr std::size_t kGather = 1 << 20;
    std::string gathered;
    std::int64_t at = position + RecordHeader::Size;
    const auto flush = [&] {
        file.writeAt(at, gathered.data(), static_cast<std::int64_t>(gathered.size()));
        at += static_cast<std::int64_t>(gathered.size());
        gathered.clear();
    };
    const MailStore::PieceWriter put = [&](std::string_view piece) {
        if (static_cast<std::int64_t>(piece.size()) > position + RecordHeader::Size + length - at
                                                          - static_cast<std::int64_t>(gathered.size()))
            failAppend(file.path(), "the mail text is longer than announced");
        if (gathered.size() + piece.size() <= kGather) {
            gathered.append(piece);
            return;
        }
        flush();
        if (piece.size() >= kGather) {
            file.writeAt(at, piece.data(), static_cast<std::int64_t>(piece.size()));
            at += static_cast<std::int64_t>(piece.size());
        } else {
            gathered.append(piece);
        }
    };

    char header[RecordHeader::Size];
    RecordHeader::encode(header, static_cast<std::int32_t>(length), boxCode, attachFlag);
    gathered.reserve(static_cast<std::size_t>(std::min<std::int64_t>(kGather, length)));
    file.writeAt(position, header, RecordHeader::Size);
    if (!fill(put))
        return false;
    flush();
    if (at != position + RecordHeader::Size + length)
        failAppend(file.path(), "the mail text is shorter than announced");
    return true;
}

// Cuts the file back to `size`, taking back whatever an append left behind it.
void takeBack(StoreFile &file, std::int64_t size)
{
    try {
        file.truncate(size);
        file.syncData();
    } catch (...) {
    }
}

} // namespace

std::int64_t MailStore::AppendMailPieces(std::int64_t length, char boxCode, char attachFlag,
                                        const std::function<bool(const PieceWriter &put)> &fill) const
{
    StoreFile file(m_path);
    const std::int64_t position = file.size();
    try {
        if (!writeRecord(file, length, boxCode, attachFlag, fill)) {
            takeBack(file, position);
            return -1;
        }
        file.syncData();
    } catch (...) {
        // Leave no piece of the record behind.
        takeBack(file, position);
        throw;
    }
    return position;
}

std::vector<std::int64_t> MailStore::AppendMails(std::size_t count, char boxCode, char attachFlag,
                                                 const std::function<std::string(std::size_t index)> &text) const
{
    StoreFile file(m_path);
    const std::int64_t start = file.size();
    std::vector<std::int64_t> positions;
    positions.reserve(count);
    try {
        for (std::size_t i = 0; i < count; ++i) {
            const std::string mail = text(i);
            positions.push_back(file.size());
            writeRecord(file, static_cast<std::int64_t>(mail.size()), boxCode, attachFlag, [&mail](const PieceWriter &put) {
                put(mail);
                return true;
            });
        }
        // One flush for the whole batch. The records lie one after the other, as single
        // appends would leave them, so a crash before this point cuts the batch short the
        // way it cuts one large append short: the walk lists the whole records and reports
        // a torn last one as a damaged stretch, never as a mail.
        file.syncData();
    } catch (...) {
        // None of the batch stays behind.
        takeBack(file, start);
        throw;
    }
    return positions;
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
    // Every line end becomes CR LF and the text ends with one; a lone CR in the header
    // block is a blank, as the mail reader takes it.
    std::string text = raw;
    HeaderLineBreaks::makeMailCrLf(text, true);
    message.Clear();
    message.LoadFromString(text);
    message.ScanParts();
}

void MailStore::LoadMailShown(std::int64_t position, TMailMessage &message, std::vector<RecordSkeleton::Gap> *gaps) const
{
    std::vector<RecordSkeleton::Gap> found;
    std::string raw;
    {
        StoreFile file(m_path);
        StoreWalker walker(file);
        const std::optional<RecordHeader> header = walker.recordAt(position);
        if (!header)
            failNoRecord(m_path, position);
        raw = RecordSkeleton::read(file, position + RecordHeader::Size, header->length, found);
    }
    for (RecordSkeleton::Gap &gap : found)
        gap.offset += position + RecordHeader::Size;
    // Every line end becomes CR LF and the text ends with one, as LoadMail reads it.
    std::string text = std::move(raw);
    HeaderLineBreaks::makeMailCrLf(text, true);
    message.Clear();
    message.LoadFromString(std::move(text));
    message.ScanParts();
    if (gaps)
        *gaps = std::move(found);
}

void MailStore::DecodeBody(const RecordSkeleton::Gap &gap, const std::function<void(std::string_view)> &sink) const
{
    StoreFile file(m_path);
    if (gap.offset < HeaderSize || gap.length < 0 || gap.length > file.size() - gap.offset)
        failNoRecord(m_path, gap.offset);
    constexpr std::int64_t kPiece = 1 << 20;
    std::string encoded(static_cast<std::size_t>(kPiece), '\0');
    std::string bytes;
    Base64Decoder decoder;
    for (std::int64_t done = 0; done < gap.length;) {
        const std::int64_t count = std::min(kPiece, gap.length - done);
        if (file.readAt(gap.offset + done, encoded.data(), count) != count)
            failNoRecord(m_path, gap.offset);
        done += count;
        bytes.clear();
        decoder.Feed(std::string_view(encoded.data(), static_cast<std::size_t>(count)), bytes);
        sink(bytes);
        MessagePump::serve();
    }
    bytes.clear();
    decoder.Finish(bytes);
    if (!bytes.empty())
        sink(bytes);
}

void MailStore::ReadBytes(std::int64_t offset, char *out, std::size_t count) const
{
    StoreFile file(m_path);
    const auto wanted = static_cast<std::int64_t>(count);
    if (offset < HeaderSize || file.readAt(offset, out, wanted) != wanted)
        failNoRecord(m_path, offset);
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
