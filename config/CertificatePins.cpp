#include "config/CertificatePins.h"

#include "config/IniFile.h"
#include "text/TextRules.h"

#include <algorithm>

namespace {

// A host name that reads back as the same key of the same section: INI readers trim blanks
// at a key's edges, a line that begins with "[" (or holds "]") is taken as a section
// header, ";" starts a comment, "=" ends the key, and a control character (a line break
// among them) would cut or hide the line.
bool fitsInKey(const std::string &host)
{
    if (host.empty() || host.front() == ' ' || host.back() == ' ')
        return false;
    return std::none_of(host.begin(), host.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return c == '=' || c == ';' || c == '[' || c == ']' || u < ' ' || u == 0x7F;
    });
}

// The fingerprint is the value: it must neither end the line nor lose blanks at its edges.
bool fitsInValue(const std::string &value)
{
    if (value.empty() || value.front() == ' ' || value.back() == ' ')
        return false;
    return std::none_of(value.begin(), value.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < ' ' || u == 0x7F;
    });
}

} // namespace

CertificatePins::CertificatePins(QString configPath)
    : m_path(std::move(configPath))
{
}

std::string CertificatePins::key(const std::string &host, int port)
{
    return TextRules::lowerAsciiCopy(host) + ":" + std::to_string(port);
}

std::string CertificatePins::fingerprint(const std::string &host, int port) const
{
    if (!fitsInKey(host))
        return {};
    return IniFile(m_path).readString(Section, key(host, port));
}

bool CertificatePins::trust(const std::string &host, int port, const std::string &fingerprint)
{
    if (!fitsInKey(host) || !fitsInValue(fingerprint))
        return false;
    return IniFile(m_path).writeString(Section, key(host, port), fingerprint);
}
