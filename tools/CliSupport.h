#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

// Small helpers shared by the subcommands: argument scanning, file I/O, error lines.
namespace Cli {

// Prints "vellorn-cli: <message>" on stderr and returns 1 (so "return Cli::fail(...)").
int fail(const QString &message);

// Removes "--name VALUE" from args and returns VALUE; nullopt when absent.
// A "--name" without a value is reported through fail() and sets *error.
std::optional<QString> takeOption(QStringList &args, const QString &name, bool *error = nullptr);
// Removes every "--name VALUE" pair and returns the values in order.
QStringList takeAllOptions(QStringList &args, const QString &name, bool *error = nullptr);
// Removes "--name" and tells whether it was there.
bool takeFlag(QStringList &args, const QString &name);

// Whole file as bytes; nullopt (and a message on stderr) when it cannot be read.
std::optional<std::string> readFile(const QString &path);
bool writeFile(const QString &path, const std::string &bytes);
// The pieces one after the other, as one file (a mail's header block and body, without
// putting them together first).
bool writeFile(const QString &path, std::initializer_list<std::string_view> pieces);
// The file `write` makes, handing its pieces to the sink it is given, one after the other.
using PieceSink = std::function<void(std::string_view)>;
bool writeFile(const QString &path, const std::function<void(const PieceSink &)> &write);
void writeStdout(const std::string &bytes);

} // namespace Cli
