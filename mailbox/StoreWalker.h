#pragma once

#include "mailbox/RecordHeader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class StoreFile;

// Walks the records of MailBox.dat from the end of the 100-byte file header and cuts
// the file into steps that cover it without gap: whole records and damaged stretches.
//
// A record is listed when its header is valid, its text fits inside the file and its
// end is the end of the file or another valid header. Anything else is damage: the
// walk then searches, from the next byte on, for the first position where a whole
// record stands, and goes on there. (Inside a valid header no other header can
// start before its last byte, so this equals searching from the end of the header,
// except when an append was cut inside the header and the next append completed it:
// then the next record starts within those 20 bytes and must still be found.) When that position lies inside a record whose end was wrong, the record
// was torn by an interrupted append and is part of the damage; otherwise the record
// is listed and only the bytes behind it are damaged. No length is trusted before it
// has been checked against the file size.
class StoreWalker
{
public:
    static constexpr std::int64_t FirstRecord = 100;

    struct Step
    {
        bool isRecord = false;
        std::int64_t start = 0;
        std::int64_t end = 0;     // one past the last byte
        RecordHeader header;      // meaningful for records only
    };

    // readAhead: how many bytes of each text to read together with its header; they
    // are available from window() after a record step. One read per record then
    // serves both the header and the start of the text.
    explicit StoreWalker(const StoreFile &file, std::int64_t readAhead = 0);

    // The next step; false at the end of the file.
    bool next(Step &step);
    // After a record step: the first min(length, readAhead) bytes of its text.
    std::string_view window() const { return m_window; }

    // The header of the record that the walk lists at `position`, when there is one
    // there (decided from the neighbourhood of the position, without walking from the
    // start).
    std::optional<RecordHeader> recordAt(std::int64_t position);

private:
    std::optional<RecordHeader> headerAt(std::int64_t position);
    bool wholeRecordAt(std::int64_t position, const RecordHeader &header);
    // First position >= from where a whole record stands; the file size when none.
    std::int64_t findWholeRecord(std::int64_t from);

    const StoreFile &m_file;
    std::int64_t m_size;
    std::int64_t m_readAhead;
    std::string m_window;
    std::int64_t m_position = FirstRecord;
    std::int64_t m_damageEnd = -1;   // a stretch behind a listed record, still to report

    // The last header read (and the bytes behind it), so that the check of a record's
    // end serves as the next record's header.
    std::int64_t m_cachedAt = -1;
    std::optional<RecordHeader> m_cached;
    std::string m_cachedBytes;
};
