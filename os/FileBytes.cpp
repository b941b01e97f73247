#include "os/FileBytes.h"

#include <QFile>

namespace FileBytes {

bool readAll(QFile &file, std::string &out)
{
    out.clear();
    // A regular file is read into a buffer of its size; what has no size (a pipe, a file
    // of /proc) or grew meanwhile is read on in chunks.
    const qint64 size = file.isSequential() ? 0 : file.size() - file.pos();
    std::size_t got = 0;
    if (size > 0) {
        // Room for a final line break that a reader of mail text may add.
        out.reserve(static_cast<std::size_t>(size) + 2);
        out.resize(static_cast<std::size_t>(size));
        while (got < out.size()) {
            const qint64 n = file.read(out.data() + got, static_cast<qint64>(out.size() - got));
            if (n < 0)
                return false;
            if (n == 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        out.resize(got);
    }
    // The probe for more goes to a buffer of its own: growing `out` by a chunk would make
    // the string double its capacity and copy the whole file.
    char chunk[64 * 1024];
    for (;;) {
        const qint64 n = file.read(chunk, static_cast<qint64>(sizeof chunk));
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        out.append(chunk, static_cast<std::size_t>(n));
    }
}

} // namespace FileBytes
