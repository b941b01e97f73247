#include "tools/CliSmtpOptions.h"

#include "config/ConfigSettings.h"
#include "config/SmtpPassword.h"
#include "os/QtKeychainKeyring.h"
#include "tools/CliSupport.h"

#include <QFile>
#include <cstdio>

namespace {

// A password longer than this is not a password: the source is refused rather than read whole.
constexpr qint64 MaxPasswordSize = 64 * 1024;

// The first line of a password source, without its line break.
std::string firstLine(const QByteArray &bytes)
{
    const qsizetype end = bytes.indexOf('\n');
    QByteArray line = end < 0 ? bytes : bytes.left(end);
    if (line.endsWith('\r'))
        line.chop(1);
    return line.toStdString();
}

} // namespace

namespace CliSmtpOptions {

std::optional<std::string> password(const std::optional<QString> &pass, const std::optional<QString> &passFile,
                                    ConfigSettings *account)
{
    if (pass && passFile) {
        Cli::fail(QStringLiteral("give --pass or --pass-file, not both"));
        return std::nullopt;
    }
    if (pass && *pass != QLatin1String("-"))
        return pass->toStdString();
    if (pass || passFile) {
        QFile file;
        const bool opened = pass ? file.open(stdin, QIODevice::ReadOnly) : (file.setFileName(*passFile), file.open(QIODevice::ReadOnly));
        if (!opened) {
            Cli::fail(QStringLiteral("cannot read the password from %1").arg(pass ? QStringLiteral("standard input") : *passFile));
            return std::nullopt;
        }
        // Standard input is read up to its first line break only, so a script may go on using it.
        const QByteArray bytes = pass ? file.readLine(MaxPasswordSize + 1) : file.read(MaxPasswordSize + 1);
        if (bytes.size() > MaxPasswordSize) {
            Cli::fail(QStringLiteral("the password source holds more than %1 bytes").arg(MaxPasswordSize));
            return std::nullopt;
        }
        return firstLine(bytes);
    }
    if (qEnvironmentVariableIsSet("VELLORN_SMTP_PASS"))
        return qgetenv("VELLORN_SMTP_PASS").toStdString();
    if (account) {
        QtKeychainKeyring keyring;
        SmtpPassword place(&keyring);
        if (!place.load(*account)) {
            Cli::fail(place.problem());
            return std::nullopt;
        }
        return account->ACC_SMTPPass;
    }
    return std::string();
}

std::optional<int> numberOption(QStringList &args, const QString &name, int low, int high, bool *error)
{
    const std::optional<QString> text = Cli::takeOption(args, name, error);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int value = text->toInt(&ok);
    if (!ok || value < low || value > high) {
        Cli::fail(QStringLiteral("%1 must be a number from %2 to %3").arg(name).arg(low).arg(high));
        *error = true;
        return std::nullopt;
    }
    return value;
}

} // namespace CliSmtpOptions
