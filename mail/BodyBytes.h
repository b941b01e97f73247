#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// The bytes of a part's body: either a string of its own, or a stretch of the mail text
// the part was read from. A stretch shares ownership of that text, so it stays valid
// however long the part lives (cleared, detached, moved to another message, or its
// message loaded again or destroyed), and reading a mail copies none of its bodies.
// Every change makes the bytes the body's own first.
class BodyBytes
{
public:
    BodyBytes() = default;
    // A stretch of `text`; `bytes` must lie inside it (anything else is copied).
    BodyBytes(std::shared_ptr<const std::string> text, std::string_view bytes);

    BodyBytes &operator=(std::string bytes);

    operator std::string_view() const noexcept { return m_text ? m_view : std::string_view(m_owned); }
    const char *data() const noexcept { return std::string_view(*this).data(); }
    std::size_t size() const noexcept { return std::string_view(*this).size(); }
    bool empty() const noexcept { return size() == 0; }
    // An owned copy.
    std::string str() const { return std::string(std::string_view(*this)); }
    // True while the bytes are a stretch of a shared text.
    bool isShared() const noexcept { return m_text != nullptr; }

    // Empties the body and gives its memory back (a shared text goes when no other part
    // refers to it).
    void clear() noexcept;
    void append(std::string_view bytes);

    friend bool operator==(const BodyBytes &a, std::string_view b) noexcept { return std::string_view(a) == b; }

private:
    std::string m_owned;
    std::shared_ptr<const std::string> m_text; // null when the bytes are m_owned
    std::string_view m_view;                   // the stretch of *m_text
};
