// A second process for the store's tests:
//   store_helper purge FILE              announces "purging" then purges
//   store_helper hold FILE               locks the store, says "locked", waits for stdin to close
//   store_helper limited-purge FILE N    purges with the file size limit set to N bytes
//   store_helper limited-append FILE N   appends a 1000-byte mail with the same limit
#include "mailbox/MailStore.h"
#include "mailbox/StoreFile.h"

#include <QString>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

void limitFileSize(const char *bytes)
{
    // Writes past the limit then fail with EFBIG instead of killing the process.
    std::signal(SIGXFSZ, SIG_IGN);
    const rlim_t limit = std::strtoull(bytes, nullptr, 10);
    struct rlimit r{limit, limit};
    setrlimit(RLIMIT_FSIZE, &r);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    const std::string mode = argv[1];
    const QString path = QString::fromLocal8Bit(argv[2]);
    try {
        if (mode == "purge") {
            std::fputs("purging\n", stdout);
            std::fflush(stdout);
            MailStore(path).PurgeDeleted();
        } else if (mode == "hold") {
            StoreFile file(path);
            std::fputs("locked\n", stdout);
            std::fflush(stdout);
            char c;
            while (read(0, &c, 1) > 0) {
            }
        } else if (mode == "limited-purge" && argc == 4) {
            limitFileSize(argv[3]);
            MailStore(path).PurgeDeleted();
        } else if (mode == "limited-append" && argc == 4) {
            limitFileSize(argv[3]);
            MailStore(path).AppendMail(std::string(1000, 'x'), 'u', 'N');
        } else {
            return 2;
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
