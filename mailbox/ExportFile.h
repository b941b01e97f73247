#pragma once

#include <QByteArray>
#include <QString>
#include <string_view>

// Files the main window writes for the user: the previewed text and saved attachments.
namespace ExportFile {

// The preview's plain text as a text file: one line per paragraph, each ended by CR LF,
// in UTF-8 (what text editors here expect; nothing of the text is lost).
QByteArray previewText(const QString &plainText);

// Writes the bytes to the file, replacing it. A file that cannot be written raises
// AppError "Cannot create file <path>" and an existing file is left as it was.
void write(const QString &path, std::string_view bytes);

} // namespace ExportFile
