#pragma once

#include <QStringEncoder>
#include <QStringDecoder>
#include <string>
#include <vector>

// Writes characters in one Windows code page, as RTF's \'hh bytes need them: tells
// whether the code page holds a character and gives its one or two bytes. Answers are
// cached per character, so a long letter asks the converter once per distinct character.
class CodePageEncoder
{
public:
    explicit CodePageEncoder(int codePage);

    int codePage() const { return m_codePage; }
    // Appends the bytes of c to out; false (and nothing appended) when the code page has
    // no exact byte form of c. Only characters of the Basic Multilingual Plane qualify.
    bool append(char32_t c, std::string &out);

    // The code page of an RTF \fcharset value; 0 when the charset names none (symbol).
    static int codePageOfCharset(int charset);

private:
    static constexpr uint32_t kUnknown = 0;
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    uint32_t lookUp(char16_t c);

    int m_codePage;
    QStringEncoder m_encoder;
    QStringDecoder m_decoder;
    std::vector<uint32_t> m_cache; // 1 + (length << 16 | bytes), kNone, or kUnknown
};
