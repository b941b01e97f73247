#pragma once

#include "mailbox/BoxCode.h"
#include "mailbox/MailSummary.h"
#include "mailbox/RecordSkeleton.h"
#include "mailbox/StoreWalker.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TMailMessage;

// The routines on MailBox.dat. The object only remembers the file's path: every call
// opens the file (locked against every other holder), does its work and closes it,
// so nothing can go stale between calls. A file that cannot be opened raises "Cannot
// open file <path>" and is left unchanged; a file that may only be read (a read-only
// folder) is still read, and only the changes are refused.
//
// A mail is known by its position, the byte offset of its record. Records are only
// appended; a mail changes box by one overwritten byte; records marked 'D' leave the
// file at PurgeDeleted.
class MailStore
{
public:
    // Positions and lengths are signed 32-bit numbers, so the file stays below 2^31 bytes.
    static constexpr std::int64_t MaxFileSize = 0x7FFFFFFF;
    static constexpr std::int64_t HeaderSize = StoreWalker::FirstRecord;

    explicit MailStore(QString path);
    const QString &path() const { return m_path; }

    // Appends one record and returns its position. The bytes are on the disk when it
    // returns; a failed append leaves the file as it was.
    std::int64_t AppendMail(std::string_view text, char boxCode, char attachFlag) const;
    std::int64_t AppendMail(std::string_view text, BoxCode box, char attachFlag) const;
    // Hands the text to `put` a piece at a time.
    using PieceWriter = std::function<void(std::string_view piece)>;
    // Appends one record of `length` bytes whose text `fill` hands to its writer piece by
    // piece, so that a large mail is never held whole. `fill` returns false to stop: the
    // record is then taken back and -1 returned. A text of another length than announced,
    // or an error, also takes it back (and raises). Either way the file is left as it was.
    std::int64_t AppendMailPieces(std::int64_t length, char boxCode, char attachFlag,
                                  const std::function<bool(const PieceWriter &put)> &fill) const;
    // Appends `count` records, the text of the i-th from text(i), under one lock and with
    // one flush of the disk at the end, and returns their positions. When a text cannot be
    // had (text() raises) or a write fails, the whole batch is taken back and the error
    // passed on; the file is then as it was.
    std::vector<std::int64_t> AppendMails(std::size_t count, char boxCode, char attachFlag,
                                          const std::function<std::string(std::size_t index)> &text) const;
    // Overwrites the box code of the record at `position` with the first byte of `code`.
    void SetBoxCode(std::int64_t position, std::string_view code) const;
    void SetBoxCode(std::int64_t position, BoxCode code) const;
    // The mail text of the record at `position`.
    std::string ReadMailText(std::int64_t position) const;
    // Reads the record at `position` and parses it into `message` (cleared first).
    void LoadMail(std::int64_t position, TMailMessage &message) const;
    // The same for showing the mail: the bodies of large attachments are neither read nor
    // held (RecordSkeleton), their parts keep their fields and an empty body. `gaps`
    // receives where those bodies lie in the file, in the order of the parts.
    void LoadMailShown(std::int64_t position, TMailMessage &message, std::vector<RecordSkeleton::Gap> *gaps = nullptr) const;
    // Hands the bytes of the base64 body at `gap` (a gap of LoadMailShown) to `sink`,
    // decoded a piece at a time.
    void DecodeBody(const RecordSkeleton::Gap &gap, const std::function<void(std::string_view)> &sink) const;
    // `count` bytes of the file at `offset` (inside a gap of LoadMailShown), or an error
    // when the file no longer holds them.
    void ReadBytes(std::int64_t offset, char *out, std::size_t count) const;
    // One summary per record, in file order, deleted ones included.
    std::vector<MailSummary> ScanStore() const;
    // Removes every record marked 'D'. The compacted store replaces the old one in
    // one step, so an interruption leaves either the old or the new file.
    void PurgeDeleted() const;

    // Every step of the walk: the records and the damaged stretches between them.
    std::vector<StoreWalker::Step> walkStore() const;

private:
    QString m_path;
};
