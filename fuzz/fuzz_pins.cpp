// A certificate pin kept in a Config.dat of any content: the input's first line (up to its
// first LF) is "host|port|fingerprint" (split at its last two "|"), the rest is the file. The pin is either refused, leaving the file
// as it was, or kept where it reads back for that host and port, with every other key of
// the file reading as before.
#include "fuzz/FuzzSupport.h"

#include "config/CertificatePins.h"
#include "config/IniFile.h"

#include <QFile>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::ensureApplication();
    const std::string_view input = FuzzSupport::bytes(data, size);
    const std::size_t lf = std::min(input.find('\n'), input.size());
    const std::string_view first = input.substr(0, lf);
    const std::size_t second = first.rfind('|');
    const std::size_t one = second == std::string_view::npos || second == 0 ? std::string_view::npos : first.rfind('|', second - 1);
    std::string host(first);
    int port = 25;
    std::string fingerprint = "AB:CD:EF";
    if (one != std::string_view::npos) {
        host = std::string(first.substr(0, one));
        bool ok = false;
        const int n = IniFile::parseInteger(first.substr(one + 1, second - one - 1), &ok);
        if (ok)
            port = n;
        fingerprint = std::string(first.substr(second + 1));
    }
    const std::string_view file = lf < input.size() ? input.substr(lf + 1) : std::string_view();
    const QString path = FuzzSupport::scratchFile("Config.dat", file);
    const IniFile ini(path);
    const std::string smtpHost = ini.readString("System", "ACC_SMTPHost", "none");
    const int width = ini.readInteger("System", "PIC_W", -1);

    CertificatePins pins(path);
    (void)pins.fingerprint(host, port);
    const QByteArray before = fileBytes(path);
    if (!pins.trust(host, port, fingerprint)) {
        FuzzSupport::require(fileBytes(path) == before, "a pin refused leaves the file as it was");
        return 0;
    }
    FuzzSupport::require(pins.fingerprint(host, port) == fingerprint, "a pin kept reads back for its host and port");
    FuzzSupport::require(ini.readString("System", "ACC_SMTPHost", "none") == smtpHost
                             && ini.readInteger("System", "PIC_W", -1) == width,
                         "a pin kept changes no other key");
    return 0;
}
