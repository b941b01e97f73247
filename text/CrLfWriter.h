#pragma once

#include <functional>
#include <string>
#include <string_view>

// LineBreaks::toCrLf for a text given a piece at a time: the same bytes come out as if
// the pieces were one text, a CR at the end of one piece and a LF at the start of the
// next included, while only a piece's worth is ever held.
class CrLfWriter
{
public:
    using Sink = std::function<void(std::string_view bytes)>;

    explicit CrLfWriter(Sink sink);

    void write(std::string_view piece);
    // Ends the text; with endWithBreak a text that does not end with a break gets one.
    void finish(bool endWithBreak);

private:
    Sink m_sink;
    std::string m_out;
    bool m_afterCr = false; // the last byte was a CR, already written as CR LF
    bool m_any = false;
    bool m_endsWithBreak = false;
};
