#include "composer/AttachSizeCheck.h"

#include "mail/Base64.h"
#include "mail/TMailMessage.h"

#include <QFileInfo>

namespace {

// The header block of an attachment part and its delimiter line, generously.
constexpr std::int64_t kPartHead = 1024;
constexpr std::int64_t kMegabyte = 1024 * 1024;

} // namespace

std::int64_t AttachSizeCheck::attachedSize(std::int64_t bytes)
{
    return static_cast<std::int64_t>(Base64StreamSize(static_cast<std::size_t>(std::max<std::int64_t>(bytes, 0))))
           + kPartHead;
}

std::int64_t AttachSizeCheck::mailSize(std::int64_t letterBytes, const std::vector<AttachmentRow> &rows,
                                       const TMailMessage &MSG)
{
    // The letter goes as quoted-printable text, which rarely grows it by more than a tenth.
    std::int64_t size = kPartHead + letterBytes + letterBytes / 10;
    for (const AttachmentRow &row : rows) {
        if (row.kind == AttachmentRow::File) {
            const QFileInfo info(row.source);
            if (info.isFile())
                size += attachedSize(info.size());
            continue;
        }
        bool ok = false;
        const int index = row.source.trimmed().toInt(&ok);
        if (ok && index >= 0 && index < MSG.Attachments.Count())
            size += static_cast<std::int64_t>(MSG.Attachments[index]->EncodedBody.size()) + kPartHead;
    }
    return size;
}

QString AttachSizeCheck::megabytesUp(std::int64_t bytes)
{
    const std::int64_t tenths = (std::max<std::int64_t>(bytes, 0) * 10 + kMegabyte - 1) / kMegabyte;
    if (tenths % 10 == 0)
        return QString::number(tenths / 10) + QStringLiteral(" MB");
    return QStringLiteral("%1.%2 MB").arg(tenths / 10).arg(tenths % 10);
}

QString AttachSizeCheck::question(std::int64_t mailBytes) const
{
    if (m_limitMB <= 0 || mailBytes <= static_cast<std::int64_t>(m_limitMB) * kMegabyte)
        return {};
    return QStringLiteral("With this attachment the mail will be %1, more than the %2 MB that many mail "
                          "servers accept.\r\nAttach it anyway?")
        .arg(megabytesUp(mailBytes))
        .arg(m_limitMB);
}
