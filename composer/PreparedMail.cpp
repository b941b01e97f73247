#include "composer/PreparedMail.h"

#include "mail/Base64.h"
#include "mail/TMailMessage.h"
#include "mailbox/MailStore.h"
#include "os/AppError.h"

#include <QDir>
#include <QFile>

namespace {

// Whole 76-character lines of base64 per piece, so that the pieces' text is the whole
// file's; about 1 MB of text each.
constexpr std::size_t kFilePiece = 57 * 14000;

[[noreturn]] void unreadable(const QString &path, const char *what)
{
    throw AppError(std::string(what) + " \"" + QDir::toNativeSeparators(path).toStdString() + "\"");
}

} // namespace

std::int64_t PreparedMail::write(const Progress &progress) const
{
    std::int64_t done = 0;
    const auto fill = [&](const MailStore::PieceWriter &put) {
        std::size_t nextFile = 0;
        std::string bytes(kFilePiece, '\0');
        std::string encoded;
        for (std::size_t i = 0; i < m_pieces.size(); ++i) {
            if (nextFile < m_files.size() && m_files[nextFile].piece == i) {
                const File &file = m_files[nextFile++];
                QFile in(file.path);
                if (!in.open(QIODevice::ReadOnly))
                    unreadable(file.path, "Cannot open file");
                std::int64_t read = 0;
                for (;;) {
                    std::size_t got = 0;
                    while (got < bytes.size()) {
                        const qint64 n = in.read(bytes.data() + got, static_cast<qint64>(bytes.size() - got));
                        if (n < 0)
                            unreadable(file.path, "Cannot read file");
                        if (n == 0)
                            break;
                        got += static_cast<std::size_t>(n);
                    }
                    read += static_cast<std::int64_t>(got);
                    if (read > file.size)
                        break;
                    encoded.clear();
                    Base64EncodeStreamAppend(std::string_view(bytes.data(), got), encoded);
                    put(encoded);
                    done += static_cast<std::int64_t>(encoded.size());
                    if (progress && !progress(done, m_length))
                        return false;
                    if (got < bytes.size())
                        break;
                }
                // The record's length was announced from the file's size.
                if (read != file.size)
                    throw AppError("The file \"" + QDir::toNativeSeparators(file.path).toStdString()
                                   + "\" changed while the mail was stored");
                continue;
            }
            put(m_pieces[i]);
            done += static_cast<std::int64_t>(m_pieces[i].size());
        }
        return !progress || progress(done, m_length);
    };
    return MailStore(m_mailBoxPath).AppendMailPieces(m_length, m_boxCode, m_attachFlag, fill);
}

void PreparedMail::release()
{
    m_pieces.clear();
    m_made.clear();
    m_files.clear();
    if (m_message)
        for (TMailPart *part : m_message->Attachments)
            part->EncodedBody.clear();
}
