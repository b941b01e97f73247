#pragma once

#include "richtext/writing/CodePageEncoder.h"

#include <QString>
#include <QStringView>
#include <map>
#include <memory>
#include <string>
#include <string_view>

// The byte stream of an RTF file being written: control words with the single space
// that delimits them only where one is needed, and text escaped for RTF in the code page
// of the current font (\'hh where the code page holds the character, \uN? otherwise).
class RtfOutput
{
public:
    // "\name" or "\nameN".
    void word(std::string_view name);
    void word(std::string_view name, long long value);
    void open();  // {
    void close(); // }
    void newline(); // CR LF, which RTF readers ignore
    // Bytes written as they are (hex of pictures, prepared control text).
    void raw(std::string_view bytes);

    // Text in the given code page (1252 for Latin fonts, 0 for none: then only \uN? and
    // ASCII; a symbol code page of RtfTextDecoder: the font's bytes where it shows the
    // character, else \uN?). Tabs become \tab, line separators \line.
    void text(QStringView text, int codePage);

    std::string &bytes() { return m_out; }

private:
    void delimitBeforeText(char16_t next);
    void unicode(char16_t c);
    CodePageEncoder &encoder(int codePage);

    std::string m_out;
    bool m_pendingDelimiter = false;
    std::map<int, std::unique_ptr<CodePageEncoder>> m_encoders;
};
