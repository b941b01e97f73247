#pragma once

#include <QString>

// One row of the composer's attachment list. A file from disk has its full path and the
// kind "File"; an attachment of a stored mail opened for changes has its index in the
// composer's message and the kind "Stream" until the mail is stored again.
struct AttachmentRow
{
    QString caption; // the attachment's file name, as the mail names it
    QString source;  // the full path ("File") or the index in the message ("Stream")
    QString kind;    // "File" or "Stream"

    static inline const QString File = QStringLiteral("File");
    static inline const QString Stream = QStringLiteral("Stream");
};
