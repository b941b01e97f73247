#pragma once

#include <cstdint>
#include <string>
#include <vector>

class StoreFile;

// The text of a stored mail with the bodies of its large attachments left out, for a
// reader that shows the mail (its fields, its letter, the names of its files) without
// holding or even reading the files' bytes.
//
// An attachment's body is left out when its part says how long it is (the
// "Content-Length" every stored attachment carries), is base64 and no text, and the
// delimiter of its multipart container stands exactly where that length ends. The part
// then keeps its header lines and an empty body, and the walk goes on behind the body
// without reading it. Every other byte of the text is kept as it is, so a mail whose
// lengths do not fit reads exactly as the whole text reads.
class RecordSkeleton
{
public:
    // A body that was left out: where it lies in the record's text, and its length.
    struct Gap
    {
        std::int64_t offset = 0;
        std::int64_t length = 0;
    };

    // Bodies shorter than this are kept: reading them costs less than the look at their end.
    static constexpr std::int64_t MinGap = 64 * 1024;

    // The text of the record whose text is `length` bytes at `textStart` of the file;
    // `gaps` receives the bodies left out, in text order.
    static std::string read(const StoreFile &file, std::int64_t textStart, std::int64_t length, std::vector<Gap> &gaps);
};
