#pragma once

#include "composer/AttachmentRow.h"

#include <QString>
#include <cstdint>
#include <vector>

class TMailMessage;

// Whether a mail grows past the size most mail servers accept once a file is attached.
// The size is the mail text's: each attachment as the base64 text it becomes, plus the
// letter and the header block.
class AttachSizeCheck
{
public:
    // `limitMB` of 0 or less never warns.
    explicit AttachSizeCheck(int limitMB) : m_limitMB(limitMB) {}

    // The mail text's size in bytes for a letter of `letterBytes` with these attachments.
    // A "File" row counts its file's size, a "Stream" row its part in `MSG`; a file that
    // cannot be read counts nothing (storing will say why).
    static std::int64_t mailSize(std::int64_t letterBytes, const std::vector<AttachmentRow> &rows,
                                 const TMailMessage &MSG);
    // The base64 text of a file of `bytes`, with its part's header block.
    static std::int64_t attachedSize(std::int64_t bytes);

    // The question to ask before attaching, when a mail of `mailBytes` is over the limit;
    // empty when it is not.
    QString question(std::int64_t mailBytes) const;

    // "3.2 MB": megabytes (of 1024 * 1024 bytes) with one decimal at most, rounded up, so
    // a size over a limit never reads as the limit itself.
    static QString megabytesUp(std::int64_t bytes);

private:
    int m_limitMB;
};
