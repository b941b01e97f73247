#pragma once

#include "composer/ComposeMode.h"
#include "mailbox/BoxCode.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

// Everything needed to bring back a composer that ended before its letter was saved: the
// letter's RTF, the subject, the address fields, the attachments and which stored mail it
// replaces. Written as a small framed file: a first line with the format and the time of
// the last change it holds, then one "name length" line per field followed by that many
// bytes, and an end line with a checksum over all fields, so that a copy cut short or
// damaged is recognised instead of half read.
struct RecoveryCopy
{
    // A copy larger than this is not written (the user is told): the whole copy is held in
    // memory when it is written and read again.
    static constexpr std::int64_t MaxBytes = 64 * 1024 * 1024;

    struct Attachment
    {
        QString caption;  // the name the mail gives the file
        QString path;     // a file on disk (empty for an attachment of an opened mail)
        QByteArray bytes; // the bytes of an attachment of an opened mail
        bool stream = false;
    };

    std::int64_t stamp = 0; // milliseconds since 1970 of the last change the copy holds
    ComposeMode mode = ComposeMode::New;
    BoxCode boxCode = BoxCode::Unsent;
    std::int64_t recordPos = 0;
    QByteArray replacedDigest; // SHA-256 of the stored mail it replaces, as it was opened
    std::string letter; // RTF bytes
    QString subject, to, cc, bcc;
    std::vector<Attachment> attachments;

    QByteArray write() const;
    // Throws AppError naming what is wrong when the bytes are not a whole copy.
    static RecoveryCopy read(const QByteArray &bytes);
    // The stamp of a copy from its first line alone; -1 when that line is not a copy's.
    static std::int64_t stampOf(const QByteArray &firstBytes);
    // How many bytes write() will produce, without producing them.
    std::int64_t size() const;
};
