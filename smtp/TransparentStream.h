#pragma once

#include <cstddef>
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
    explicit TransparentStream(std::vector<std::string_view> pieces);

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

    std::vector<std::string_view> m_pieces;
    std::size_t m_piece = 0;       // the piece being read
    std::size_t m_pos = 0;         // the next byte in it
    bool m_lineStart = true;       // the next byte begins a line
    bool m_afterCr = false;        // a CR was just written as CR LF: a LF right after it is part of that break
    bool m_endsWithBreak = false;  // the output so far ends with a line break
    bool m_ended = false;          // the final "." line has been queued
    std::string_view m_owed;       // bytes produced that did not fit into the last call's room
    std::string m_buffer;
};
