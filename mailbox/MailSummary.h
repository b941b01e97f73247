#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

// What the listing of the store tells about one record; built from the record's
// header and the first 1024 bytes of its text, never stored.
struct MailSummary
{
    std::int64_t position = 0; // the record's byte offset
    std::string sizeText;     // "12 KB", "3 MB"
    char boxCode = 0;
    char attachFlag = 0;
    std::string to;           // the first recipient of the last "To:" field: its name as it stands
                              // (encoded words kept), or its address when it has no name
    std::string subject;      // decoded (bytes of every encoded word, whatever its charset)
    // The same as the mail list shows them: encoded words read in their charsets.
    QString toText;
    QString subjectText;
    std::string date;         // "YYYY-MM-DD HH:MM:SS" as the sender's clock showed it
    std::int64_t length = 0;  // the text's exact length in bytes (orders sizes across units)

    // At most this many bytes of the text are looked at.
    static constexpr std::int64_t WindowSize = 1024;

    // The summary of the record at `position` with text length `length`, from the
    // start of its text (`window`, at most WindowSize bytes).
    static MailSummary build(std::int64_t position, std::int64_t length, char boxCode, char attachFlag,
                             std::string_view window);

    // Size for display: kilobytes, or megabytes above 1024 KB, rounded half to even; a
    // mail with bytes shows at least "1 KB".
    static std::string formatSize(std::int64_t length);
    // "2002-12-02 10:20:30" from a Date header value "Mon, 02 Dec 2002 10:20:30 +0800".
    static std::string formatDate(std::string_view value);
};
