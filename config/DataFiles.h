#pragma once

#include <QString>

// The two data files beside the executable, created with their first-run contents
// when missing. Existing files are never touched, whatever their size.
namespace DataFiles {

// Throws AppError "Cannot create file <path>" when a file cannot be created.
void ensureConfigFile(const QString &configPath);
void ensureMailBoxFile(const QString &mailBoxPath);

// The 100-byte header of a new store: a product notice cut to 100 bytes.
QByteArray mailBoxHeader();

} // namespace DataFiles
