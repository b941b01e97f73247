#include "config/CertificatePins.h"

#include "config/IniFile.h"

#include <algorithm>

namespace {

bool fitsInKey(const std::string &host)
{
    if (host.empty() || host.front() == ';' || host.front() == '[')
        return false;
    return std::none_of(host.begin(), host.end(),
                        [](char c) { return c == '=' || static_cast<unsigned char>(c) < ' '; });
}

} // namespace

CertificatePins::CertificatePins(QString configPath)
    : m_path(std::move(configPath))
{
}

std::string CertificatePins::key(const std::string &host, int port)
{
    std::string name = host;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    return name + ":" + std::to_string(port);
}

std::string CertificatePins::fingerprint(const std::string &host, int port) const
{
    if (!fitsInKey(host))
        return {};
    return IniFile(m_path).readString(Section, key(host, port));
}

bool CertificatePins::trust(const std::string &host, int port, const std::string &fingerprint)
{
    if (!fitsInKey(host) || fingerprint.empty())
        return false;
    return IniFile(m_path).writeString(Section, key(host, port), fingerprint);
}
