// Start-up of vellorn-cli's commands that draw nothing, against the bare QCoreApplication
// peer: whole processes, interleaved in pairs so that a busy machine slows both alike.
// Prints the median and the least time of each and their ratios; never fails.
#include <QTemporaryDir>
#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

// Wall time of one run in microseconds, output thrown away; -1 when it did not run.
double runOnce(const std::vector<std::string> &argv)
{
    std::vector<char *> args;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = 0;
    const bool ok = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) == 0
                    && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    return ok ? std::chrono::duration<double, std::micro>(end - start).count() : -1;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    // bench_startup [ROUNDS [OTHER-VELLORN-CLI]]: another build's program to compare with.
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const std::string cli = argc > 2 ? argv[2] : VELLORN_CLI;
    QTemporaryDir dir;
    const QString storePath = dir.path() + QStringLiteral("/MailBox.dat");
    // An empty store: its 100-byte header and no record.
    QFile file(storePath);
    QByteArray header("Vellorn MailBox");
    header.append(100 - header.size(), '\0');
    if (!file.open(QIODevice::WriteOnly) || file.write(header) != header.size())
        return 0;
    file.close();
    const std::string store = storePath.toStdString();
    const std::vector<std::vector<std::string>> commands = {
        {cli, "version"}, {cli, "help"}, {cli, "store", "list", store}};
    const std::vector<std::string> peer = {VELLORN_PEER};
    for (const auto &c : commands)
        runOnce(c); // warm-up: page cache, the empty store file
    std::printf("%-28s %10s %10s %10s %10s %8s %8s\n", "command", "median us", "min us", "peer med", "peer min",
                "ratio", "min rat");
    for (const auto &command : commands) {
        std::vector<double> mine, theirs;
        for (int i = 0; i < rounds; ++i) {
            // Alternate who goes first, so neither always follows the other's cache warm-up.
            const bool peerFirst = i % 2 == 1;
            const double a = peerFirst ? runOnce(peer) : runOnce(command);
            const double b = peerFirst ? runOnce(command) : runOnce(peer);
            const double own = peerFirst ? b : a;
            const double other = peerFirst ? a : b;
            if (own < 0 || other < 0) {
                std::printf("%s did not run\n", command[1].c_str());
                return 0;
            }
            mine.push_back(own);
            theirs.push_back(other);
        }
        std::string name;
        for (size_t i = 1; i < command.size() && i < 3; ++i)
            name += (i > 1 ? " " : "") + command[i];
        const double mMed = median(mine), pMed = median(theirs);
        const double mMin = *std::min_element(mine.begin(), mine.end());
        const double pMin = *std::min_element(theirs.begin(), theirs.end());
        std::printf("%-28s %10.0f %10.0f %10.0f %10.0f %8.2f %8.2f\n", name.c_str(), mMed, mMin, pMed, pMin, mMed / pMed,
                    mMin / pMin);
    }
    std::printf("goal: ratio at most 1.5\n");
    return 0;
}
