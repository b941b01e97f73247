#include "richtext/writing/CodePageEncoder.h"

#include "richtext/reading/RtfTextDecoder.h"

#include <QByteArray>

namespace {

// Reading and writing share the converter of each code page, so that what we write
// reads back as the same characters.
QByteArray converterName(int codePage)
{
    return RtfTextDecoder::encodingName(codePage > 0 ? codePage : 1252);
}

} // namespace

CodePageEncoder::CodePageEncoder(int codePage)
    : m_codePage(codePage)
    , m_encoder(converterName(codePage).constData())
    , m_decoder(converterName(codePage).constData())
{
}

int CodePageEncoder::codePageOfCharset(int charset)
{
    // The reader's table; 0 where a charset names no code page of its own (symbol fonts).
    const int codePage = RtfTextDecoder::codePageOfCharset(charset, 0);
    return codePage > 0 ? codePage : 0;
}

uint32_t CodePageEncoder::lookUp(char16_t c)
{
    if (m_cache.empty())
        m_cache.assign(0x10000, kUnknown);
    uint32_t &slot = m_cache[c];
    if (slot != kUnknown)
        return slot;
    slot = kNone;
    if (!m_encoder.isValid() || QChar::isSurrogate(c))
        return slot;
    const QChar ch(c);
    const QByteArray bytes = m_encoder.encode(QStringView(&ch, 1));
    if (m_encoder.hasError()) {
        // The converter keeps its error flag across resets: start a fresh one, or every
        // later character would look unwritable too.
        m_encoder = QStringEncoder(converterName(m_codePage).constData());
        return slot;
    }
    m_encoder.resetState();
    if (bytes.isEmpty() || bytes.size() > 2)
        return slot;
    // Substitution characters and best-fit mappings do not decode back to c.
    const QString back = m_decoder.decode(bytes);
    m_decoder.resetState();
    if (back.size() != 1 || back.at(0) != ch)
        return slot;
    uint32_t packed = static_cast<uint32_t>(bytes.size()) << 16;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        packed |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * (1 - i) * (bytes.size() - 1));
    slot = packed;
    return slot;
}

bool CodePageEncoder::append(char32_t c, std::string &out)
{
    if (c > 0xFFFF)
        return false;
    const uint32_t packed = lookUp(static_cast<char16_t>(c));
    if (packed == kNone)
        return false;
    if ((packed >> 16) == 2)
        out.push_back(static_cast<char>((packed >> 8) & 0xFF));
    out.push_back(static_cast<char>(packed & 0xFF));
    return true;
}
