#include "richtext/writing/RtfOutput.h"

#include "richtext/reading/RtfTextDecoder.h"

#include <cstdio>

void RtfOutput::word(std::string_view name)
{
    m_out.push_back('\\');
    m_out.append(name);
    m_pendingDelimiter = true;
}

void RtfOutput::word(std::string_view name, long long value)
{
    m_out.push_back('\\');
    m_out.append(name);
    m_out.append(std::to_string(value));
    m_pendingDelimiter = true;
}

void RtfOutput::open()
{
    m_out.push_back('{');
    m_pendingDelimiter = false;
}

void RtfOutput::close()
{
    m_out.push_back('}');
    m_pendingDelimiter = false;
}

void RtfOutput::newline()
{
    m_out.append("\r\n");
    m_pendingDelimiter = false;
}

void RtfOutput::raw(std::string_view bytes)
{
    m_out.append(bytes);
    m_pendingDelimiter = false;
}

void RtfOutput::delimitBeforeText(char16_t next)
{
    // A letter, digit, hyphen or space would run into the control word before it.
    const bool needed = (next >= u'a' && next <= u'z') || (next >= u'A' && next <= u'Z')
        || (next >= u'0' && next <= u'9') || next == u'-' || next == u' ';
    if (m_pendingDelimiter && needed) {
        m_out.push_back(' ');
        m_pendingDelimiter = false;
    }
}

CodePageEncoder &RtfOutput::encoder(int codePage)
{
    auto it = m_encoders.find(codePage);
    if (it == m_encoders.end())
        it = m_encoders.emplace(codePage, std::make_unique<CodePageEncoder>(codePage)).first;
    return *it->second;
}

void RtfOutput::text(QStringView text, int codePage)
{
    static const char hex[] = "0123456789abcdef";
    CodePageEncoder *enc = codePage > 0 ? &encoder(codePage) : nullptr;
    const bool symbol = RtfTextDecoder::isSymbol(codePage);
    const SymbolCharacters::Face face = RtfTextDecoder::symbolFace(codePage);
    std::string bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text[i].unicode();
        if (symbol && c >= 0x20 && c != 0xFFFE && c != 0xFFFF && !(c >= 0x2028 && c <= 0x2029)
            && !(c >= 0xFDD0 && c <= 0xFDD1) && c != 0xFFFC) {
            // A symbol font reads its bytes as its pictures: a character it shows goes as
            // its byte, every other (a Latin "H" too) as \uN?, which reads back unchanged.
            const uint8_t b = SymbolCharacters::byteOf(face, c);
            if (b >= 0x80) {
                m_out.append("\\'");
                m_out.push_back(hex[b >> 4]);
                m_out.push_back(hex[b & 15]);
                m_pendingDelimiter = false;
                continue;
            }
            if (b == 0) {
                unicode(c);
                continue;
            }
            c = b; // an ASCII byte, written below as text is
        }
        if (c == u'\t') {
            word("tab");
            continue;
        }
        if (c == 0x2028 || c == u'\n' || c == 0x000B) {
            word("line");
            continue;
        }
        if (c == u'\r' || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1 || c == 0xFFFC)
            continue; // paragraph and frame marks are written by the caller
        // Other control characters (and the non-characters U+FFFE, U+FFFF) carry no text:
        // reading drops them, so they are not written either, and the letter saved a
        // second time is the letter saved the first time.
        if (c < 0x20 || c == 0xFFFE || c == 0xFFFF)
            continue;
        if (c >= 0x20 && c < 0x80) {
            delimitBeforeText(c);
            if (c == u'\\' || c == u'{' || c == u'}')
                m_out.push_back('\\');
            m_out.push_back(static_cast<char>(c));
            m_pendingDelimiter = false;
            continue;
        }
        bytes.clear();
        if (c >= 0x80 && enc && enc->append(c, bytes)) {
            for (char b : bytes) {
                const auto u = static_cast<unsigned char>(b);
                m_out.append("\\'");
                m_out.push_back(hex[u >> 4]);
                m_out.push_back(hex[u & 15]);
            }
            m_pendingDelimiter = false;
            continue;
        }
        unicode(c);
    }
}

void RtfOutput::unicode(char16_t c)
{
    // A Unicode word with a '?' for readers without Unicode; characters above the BMP go
    // as their two surrogates, as the control writes them.
    m_out.append("\\u");
    m_out.append(std::to_string(c >= 0x8000 ? static_cast<int>(c) - 65536 : static_cast<int>(c)));
    m_out.push_back('?');
    m_pendingDelimiter = false;
}
