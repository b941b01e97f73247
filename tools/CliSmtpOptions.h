#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

struct ConfigSettings;

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

} // namespace CliSmtpOptions
