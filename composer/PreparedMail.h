#pragma once

#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TMailMessage;

// A composed mail laid out for the store, with the bytes of its attached files still on
// the disk: the text is the message's header block and parts (views into the message),
// and each file is read and base64 encoded a piece at a time while the record is written.
// So a large attachment is never held in memory, and the record is the same bytes the
// message would write with the files' bytes in it.
//
// Made on the GUI thread by MailStorer; write() may then run on another thread as long
// as nobody touches the message meanwhile.
class PreparedMail
{
public:
    // Bytes written so far and the record's length; false stops the write.
    using Progress = std::function<bool(std::int64_t done, std::int64_t total)>;

    PreparedMail() = default;
    PreparedMail(PreparedMail &&) = default;
    PreparedMail &operator=(PreparedMail &&) = default;

    // The record's text length.
    std::int64_t length() const { return m_length; }

    // Appends the record to the store and returns its position; -1 when `progress` said
    // stop (the store is then as it was). A file that cannot be read, or that changed its
    // size since the mail was laid out, raises AppError and leaves the store as it was.
    std::int64_t write(const Progress &progress = {}) const;

    // Gives back the memory of the layout; the attachment parts of the message keep
    // their headers only.
    void release();

private:
    friend class MailStorer;

    struct File
    {
        std::size_t piece; // the piece that stands for the file's base64 text
        QString path;
        std::int64_t size = 0;
    };

    TMailMessage *m_message = nullptr;
    QString m_mailBoxPath;
    char m_boxCode = 'u';
    char m_attachFlag = 'N';
    std::deque<std::string> m_made;
    std::vector<std::string_view> m_pieces;
    std::vector<File> m_files;
    std::int64_t m_length = 0;
};
