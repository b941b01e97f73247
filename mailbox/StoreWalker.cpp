#include "mailbox/StoreWalker.h"

#include "mailbox/StoreFile.h"

#include <algorithm>
#include <string_view>
#include <vector>

StoreWalker::StoreWalker(const StoreFile &file, std::int64_t readAhead)
    : m_file(file)
    , m_size(file.size())
    , m_readAhead(readAhead)
{
}

std::optional<RecordHeader> StoreWalker::headerAt(std::int64_t position)
{
    if (position == m_cachedAt)
        return m_cached;
    std::optional<RecordHeader> header;
    m_cachedBytes.clear();
    if (position >= 0 && position + RecordHeader::Size <= m_size) {
        m_cachedBytes.resize(static_cast<size_t>(std::min(RecordHeader::Size + m_readAhead, m_size - position)));
        const std::int64_t got = m_file.readAt(position, m_cachedBytes.data(), std::int64_t(m_cachedBytes.size()));
        m_cachedBytes.resize(static_cast<size_t>(got));
        if (got >= RecordHeader::Size)
            header = RecordHeader::parse(m_cachedBytes.data());
    }
    m_cachedAt = position;
    m_cached = header;
    return header;
}

bool StoreWalker::wholeRecordAt(std::int64_t position, const RecordHeader &header)
{
    const std::int64_t end = position + RecordHeader::Size + header.length;
    return end == m_size || (end < m_size && headerAt(end).has_value());
}

std::int64_t StoreWalker::findWholeRecord(std::int64_t from)
{
    // Candidates are found by their reserved characters; a chunk overlaps the next by
    // one header less a byte so that no header is cut in two. Chunks start small and
    // grow, since the next record usually stands close by.
    constexpr std::int64_t MaxChunk = 256 * 1024;
    constexpr std::int64_t Overlap = RecordHeader::Size - 1;
    std::int64_t chunkSize = 4096;
    std::vector<char> chunk;
    std::int64_t base = from;
    while (base + RecordHeader::Size <= m_size) {
        chunk.resize(static_cast<size_t>(chunkSize));
        const std::int64_t count = m_file.readAt(base, chunk.data(), std::min(chunkSize, m_size - base));
        if (count < RecordHeader::Size)
            break;
        const std::string_view view(chunk.data(), static_cast<size_t>(count));
        size_t hit = view.find(RecordHeader::Reserved, RecordHeader::ReservedOffset);
        while (hit != std::string_view::npos) {
            const std::int64_t candidate = base + static_cast<std::int64_t>(hit) - RecordHeader::ReservedOffset;
            const std::optional<RecordHeader> header = RecordHeader::parse(chunk.data() + hit - RecordHeader::ReservedOffset);
            if (header && candidate + RecordHeader::Size + std::int64_t(header->length) <= m_size
                && wholeRecordAt(candidate, *header))
                return candidate;
            hit = view.find(RecordHeader::Reserved, hit + 1);
        }
        if (base + count >= m_size)
            break;
        base += count - Overlap;
        chunkSize = std::min(chunkSize * 2, MaxChunk);
    }
    return m_size;
}

bool StoreWalker::next(Step &step)
{
    if (m_damageEnd > m_position) {
        step = Step{false, m_position, m_damageEnd, {}};
        m_position = m_damageEnd;
        m_damageEnd = -1;
        return true;
    }
    m_damageEnd = -1;
    const std::int64_t p = m_position;
    if (p >= m_size)
        return false;

    const std::optional<RecordHeader> header = headerAt(p);
    if (!header) {
        const std::int64_t found = findWholeRecord(p + 1);
        step = Step{false, p, found, {}};
        m_position = found;
        return true;
    }
    const std::int64_t end = p + RecordHeader::Size + header->length;
    if (end <= m_size) {
        if (m_readAhead > 0) {
            const size_t count = static_cast<size_t>(std::min<std::int64_t>(header->length, m_readAhead));
            m_window.assign(m_cachedBytes, RecordHeader::Size, count);
        }
        if (end == m_size || headerAt(end)) {
            step = Step{true, p, end, *header};
            m_position = end;
            return true;
        }
        const std::int64_t found = findWholeRecord(p + 1);
        if (found >= end) {
            // The record stands; only what lies behind it is damaged.
            step = Step{true, p, end, *header};
            m_position = end;
            m_damageEnd = found;
            return true;
        }
        step = Step{false, p, found, {}};   // torn: a later record begins inside it
        m_position = found;
        return true;
    }
    const std::int64_t found = findWholeRecord(p + 1);
    step = Step{false, p, found, {}};
    m_position = found;
    return true;
}

std::optional<RecordHeader> StoreWalker::recordAt(std::int64_t position)
{
    if (position < FirstRecord || position >= m_size)
        return std::nullopt;
    const std::optional<RecordHeader> header = headerAt(position);
    if (!header)
        return std::nullopt;
    const std::int64_t end = position + RecordHeader::Size + header->length;
    if (end > m_size)
        return std::nullopt;
    if (wholeRecordAt(position, *header) || findWholeRecord(position + 1) >= end)
        return header;
    return std::nullopt;
}
