#pragma once

#include <QSet>
#include <QString>
#include <string_view>

// Writes the attachments of a stored mail into the temporary folder, so that the mail can
// be built again from files. The names come from a mail, so they are made safe first: only
// the last path component is kept, "/", "\" and NUL are dropped, and a name that would be
// empty, "." or ".." becomes "attachment". A name already written through this object gets
// a distinct file ("name (2).ext"), so two attachments of one name never overwrite each
// other. The file is created afresh (an existing one is removed first) and never through a
// link left in its place.
class AttachmentTempFiles
{
public:
    explicit AttachmentTempFiles(QString folder);

    // The file name the attachment `name` is written under, without the folder.
    static QString safeName(const QString &name);

    // Writes bytes and returns the file's full path. Throws AppError when the file cannot
    // be written.
    QString write(const QString &name, std::string_view bytes);

private:
    QString uniqueName(const QString &name) const;

    QString m_folder; // ends with "/"
    QSet<QString> m_used; // names written so far, compared case-blind
};
