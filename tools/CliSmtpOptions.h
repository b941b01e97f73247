#pragma once

#include "config/ConfigSettings.h"
#include "send/SmtpAccount.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

class QtKeychainKeyring;

// The options vellorn-cli send and vellorn-cli account test share.
namespace CliSmtpOptions {

// The password, from the first source given: --pass WORD (which every "ps" shows),
// --pass - (the first line of standard input), --pass-file FILE (its first line), the
// environment variable VELLORN_SMTP_PASS, the account of --config (the desktop's keyring
// when the password lives there, else the file). Nullopt (a message printed) when a
// source cannot be read or more than one option names one.
std::optional<std::string> password(const std::optional<QString> &pass, const std::optional<QString> &passFile,
                                    ConfigSettings *account);
// "--name N" with N from low to high; nullopt when absent, or (a message printed, *error
// set) when it is no such number.
std::optional<int> numberOption(QStringList &args, const QString &name, int low, int high, bool *error);

// The certificates of --ca-file (a private CA, trusted beside the system's store): none
// without the option; nullopt (a message printed) when the file holds none or is unreadable.
std::optional<QList<QSslCertificate>> caCertificates(const std::optional<QString> &caFile);
// The server and login of vellorn-cli send and account test: the account of --config (as
// the program uses it) with --host, --port, --user, --security, --timeout, --ca-file,
// --trust, the password options and --auth with its OAuth2 options over it.
struct Server
{
    SmtpAccount account;
    std::optional<ConfigSettings> config; // the Config.dat of --config
    // The keyring the account's sign-in is read through, kept while its tokens are used.
    std::shared_ptr<QtKeychainKeyring> keyring;
};
// Takes those options out of `args`; nullopt (a message printed) when one is wrong or no
// host is named. `command` names the command in the messages.
std::optional<Server> takeServer(QStringList &args, const QString &command);

} // namespace CliSmtpOptions
