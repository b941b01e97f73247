#include "mail/BodyBytes.h"

#include <functional>

BodyBytes::BodyBytes(std::shared_ptr<const std::string> text, std::string_view bytes)
{
    const std::less<const char *> before;
    const bool inside = text && !before(bytes.data(), text->data())
                        && !before(text->data() + text->size(), bytes.data() + bytes.size());
    if (inside && !bytes.empty()) {
        m_text = std::move(text);
        m_view = bytes;
    } else {
        m_owned.assign(bytes);
    }
}

BodyBytes &BodyBytes::operator=(std::string bytes)
{
    m_owned = std::move(bytes);
    m_text.reset();
    m_view = {};
    return *this;
}

void BodyBytes::clear() noexcept
{
    std::string().swap(m_owned);
    m_text.reset();
    m_view = {};
}

void BodyBytes::append(std::string_view bytes)
{
    if (bytes.empty())
        return;
    if (m_text) {
        std::string joined;
        joined.reserve(m_view.size() + bytes.size());
        joined.append(m_view).append(bytes);
        *this = std::move(joined);
        return;
    }
    m_owned.append(bytes);
}
