#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The message text as it goes after DATA, made piece by piece while it is sent instead of
// as a second copy of the mail: every lone CR and lone LF becomes CR LF, a "." is put
// before every line that begins with ".", and CR LF "." CR LF ends it (after a final
// line break the text already has, or one added). The text is given as a list of views
// (the header block and the body, say) read as one text, so a line break or a dot may
// fall across two of them. The views must stay valid while the stream is read.
class TransparentStream
{
public:
    // Bytes that a piece stands for and that are read from elsewhere a stretch at a time
    // (a large attachment's body kept in the store): `read` fills `out` with `count`
    // bytes from `offset` of those `length` bytes, or raises. They must be lines that
    // need no change (base64): each ended by CR LF, none beginning with ".", no lone CR
    // or LF; so they are counted without being read. Bytes that break this raise
    // AppError while they are read, rather than leave the server a wrong text.
    struct Source
    {
        std::int64_t length = 0;
        std::function<void(std::int64_t offset, char *out, std::size_t count)> read;
    };

    explicit TransparentStream(std::vector<std::string_view> pieces);
    // `sources` has one entry per piece: a piece whose entry has a reader is read through
    // it instead (the piece's own bytes are not sent).
    TransparentStream(std::vector<std::string_view> pieces, std::vector<Source> sources);

    // The length of the whole output, counted without producing it.
    std::size_t size() const;
    // Up to `room` (> 0) further bytes of the output; empty once all of it was produced.
    // The view stays valid until the next call.
    std::string_view next(std::size_t room);

private:
    // Writes up to `room` bytes of output to `out` (or only counts them when out is
    // null) and returns how many.
    std::size_t produce(char *out, std::size_t room);
    std::size_t write(char *out, std::size_t room, std::string_view bytes);
    // The bytes of the current piece from which m_pos counts: the piece, or the stretch
    // of its source read last (the next stretch once m_pos has reached its end).
    std::string_view current();
    // Raises when `bytes` (after `before`, the last of the source when `last`) are not
    // lines that need no change.
    static void checkLines(std::string_view bytes, char before, bool last);

    std::vector<std::string_view> m_pieces;
    std::size_t m_piece = 0;       // the piece being read
    std::size_t m_pos = 0;         // the next byte in it
    bool m_lineStart = true;       // the next byte begins a line
    bool m_afterCr = false;        // a CR was just written as CR LF: a LF right after it is part of that break
    bool m_endsWithBreak = false;  // the output so far ends with a line break
    bool m_ended = false;          // the final "." line has been queued
    std::string_view m_owed;       // bytes produced that did not fit into the last call's room
    std::string m_buffer;
    std::vector<Source> m_sources;
    std::string m_stretch;          // the stretch of a source being read
    std::int64_t m_stretchAt = 0;   // its offset in the source
    char m_sourceLast = '\n';       // the source's byte before the stretch
};
