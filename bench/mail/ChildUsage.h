#pragma once

// Runs a program as a child process and reads what it used from the kernel (wait4):
// CPU time (user + system) and peak resident memory. Shared by the benches that measure
// vellorn-cli and its peers as whole processes. Header only: benches are single files.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace ChildUsage {

struct Usage
{
    bool ok = false;      // exited with 0
    double cpu = 0;       // user + system seconds
    double maxRssMb = 0;  // peak resident set, MB (2^20 bytes)
};

namespace detail {

inline int toLauncher = -1;
inline int fromLauncher = -1;

inline bool writeAll(int fd, const void *data, std::size_t size)
{
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

inline bool readAll(int fd, void *data, std::size_t size)
{
    char *p = static_cast<char *>(data);
    while (size > 0) {
        const ssize_t n = read(fd, p, size);
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Forks and runs one program; standard output to `output` (or /dev/null), the rest to /dev/null.
inline Usage spawn(const std::vector<std::string> &argv, const std::string &output)
{
    Usage usage;
    std::vector<char *> args;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        return usage;
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        const int out = output.empty() ? null : open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(null, 0);
        dup2(out, 1);
        dup2(null, 2);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage ru{};
    if (wait4(pid, &status, 0, &ru) != pid)
        return usage;
    usage.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    usage.cpu = double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
    usage.maxRssMb = double(ru.ru_maxrss) / 1024.0; // ru_maxrss is in KiB on Linux
    return usage;
}

inline bool sendString(const std::string &s)
{
    const std::uint32_t n = static_cast<std::uint32_t>(s.size());
    return writeAll(toLauncher, &n, sizeof n) && writeAll(toLauncher, s.data(), s.size());
}

inline bool readString(int fd, std::string &s)
{
    std::uint32_t n = 0;
    if (!readAll(fd, &n, sizeof n))
        return false;
    s.resize(n);
    return readAll(fd, s.data(), n);
}

} // namespace detail

// Starts the small process that runs the measured programs. Call it first in main, while
// this process is small: a child forked from a large process counts the parent's pages
// in its peak memory even after exec, so the children are forked from this one instead.
inline void startLauncher()
{
    int down[2], up[2];
    if (pipe(down) != 0 || pipe(up) != 0)
        return;
    const pid_t pid = fork();
    if (pid < 0)
        return;
    if (pid == 0) {
        close(down[1]);
        close(up[0]);
        for (;;) {
            std::string output, count;
            if (!detail::readString(down[0], output) || !detail::readString(down[0], count))
                _exit(0);
            std::vector<std::string> argv(std::stoul(count));
            for (std::string &a : argv)
                if (!detail::readString(down[0], a))
                    _exit(0);
            const Usage usage = detail::spawn(argv, output);
            if (!detail::writeAll(up[1], &usage, sizeof usage))
                _exit(0);
        }
    }
    close(down[0]);
    close(up[1]);
    detail::toLauncher = down[1];
    detail::fromLauncher = up[0];
}

// Runs argv[0] (a path) with the arguments through the launcher (or directly when it did
// not start); its standard output and error go to /dev/null unless `output` names a file
// for standard output.
inline Usage run(const std::vector<std::string> &argv, const std::string &output = {})
{
    if (detail::toLauncher < 0)
        return detail::spawn(argv, output);
    Usage usage;
    bool sent = detail::sendString(output) && detail::sendString(std::to_string(argv.size()));
    for (const std::string &a : argv)
        sent = sent && detail::sendString(a);
    if (!sent || !detail::readAll(detail::fromLauncher, &usage, sizeof usage))
        return Usage{};
    return usage;
}

// The figures of several runs of one command.
struct Samples
{
    std::vector<double> cpu, rss;
    void add(const Usage &usage)
    {
        cpu.push_back(usage.cpu);
        rss.push_back(usage.maxRssMb);
    }
};

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

inline double minimum(const std::vector<double> &v)
{
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

// vellorn-cli: the path given, else the one of this build (bench/../bin).
inline std::string cliPath(int argc, char **argv, int index)
{
    if (argc > index)
        return argv[index];
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../bin/vellorn-cli"))
        .toStdString();
}

} // namespace ChildUsage
