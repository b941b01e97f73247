// Start-up of the program to the first paint of its main window, against a bare
// QApplication + QMainWindow built the same way (with one line of text in its status bar, so
// that it loads a font as every real window does), with an empty store and with a store of
// 10,000 mails (20-200 KB each, all in the box shown at start), then once more with the empty
// store and no picture cache (the start after an update). Whole processes on the
// offscreen platform (or, with --xcb, on the X display of the environment), each in a data
// folder of its own (a copy of the program beside its data, as a first start makes it); a
// probe loaded into both ends each at its first paint.
// With --xcb, run a window manager on the display, as every desktop has one: on a bare
// X server (xvfb-run alone) both programs wait longer for their first paint, the bare
// window most, and the ratio comes out lower than on a desktop (1.2 against 1.5 here).
// Runs are interleaved in pairs so that a busy machine slows both alike. Prints the median
// and the least time of each and their ratios; never fails.
//
//   startup_bench_gui [--xcb] [ROUNDS [MAILS [OTHER-VELLORN]]]   defaults: 20 rounds, 10000 mails
// OTHER-VELLORN: another build's program, measured in the same rounds (before and after).
//   startup_bench_gui --prepare FOLDER [MAILS]
// only makes the two data folders (FOLDER/p0/empty, FOLDER/p0/full) for a profiler, and
// prints the environment the runs get.
#include "bench/mailbox/StoreGenerator.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

pid_t g_child = 0;

void onAlarm(int)
{
    if (g_child > 0)
        ::kill(g_child, SIGKILL);
}

// Wall time of one run, spawn to exit, in milliseconds; -1 when it did not end well
// (a run that never paints is stopped after a minute). Output goes to /dev/null unless
// `show` (the warm-up runs, where a problem should be seen).
double runOnce(const std::string &program, const std::vector<std::string> &env, bool show = false)
{
    std::vector<char *> envp;
    for (const std::string &e : env)
        envp.push_back(const_cast<char *>(e.c_str()));
    envp.push_back(nullptr);
    char *argv[] = {const_cast<char *>(program.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (!show)
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    bool ok = posix_spawn(&g_child, argv[0], &actions, nullptr, argv, envp.data()) == 0;
    if (ok) {
        alarm(60);
        ok = waitpid(g_child, &status, 0) == g_child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        alarm(0);
    }
    const auto end = std::chrono::steady_clock::now();
    g_child = 0;
    posix_spawn_file_actions_destroy(&actions);
    return ok ? std::chrono::duration<double, std::milli>(end - start).count() : -1;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// A data folder with its own copy of the program and the help beside it, as a portable
// install has them.
std::string installCopy(const QString &folder, const QString &from)
{
    QDir().mkpath(folder);
    const QString program = folder + QStringLiteral("/vellorn");
    QFile::copy(from, program);
    QFile::link(QStringLiteral(VELLORN_HELP), folder + QStringLiteral("/help"));
    return QFile::encodeName(program).toStdString();
}

} // namespace

int main(int argc, char **argv)
{
    // --xcb: the platform of a real desktop, on the display the environment names.
    const bool xcb = argc > 1 && std::string(argv[1]) == "--xcb";
    if (xcb) {
        argv[1] = argv[0];
        ++argv;
        --argc;
    }
    const bool prepare = argc > 2 && std::string(argv[1]) == "--prepare";
    const int rounds = argc > 1 && !prepare ? std::max(1, std::atoi(argv[1])) : 20;
    const int mails = argc > 2 + int(prepare) ? std::max(1, std::atoi(argv[2 + int(prepare)])) : 10000;
    const QString other = argc > 3 && !prepare ? QFile::decodeName(argv[3]) : QString();
    std::signal(SIGALRM, onAlarm);

    QTemporaryDir dir;
    const QString root = prepare ? QFile::decodeName(argv[2]) : dir.path();
    // Both programs see the same environment: offscreen, the probe, no desktop keyring or
    // settings of the person running the bench.
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string entry = *e;
        for (const char *drop : {"QT_QPA_PLATFORM=", "LD_PRELOAD=", "DBUS_SESSION_BUS_ADDRESS=", "XDG_CONFIG_HOME=",
                                 "XDG_DATA_HOME=", "XDG_CACHE_HOME="})
            if (entry.rfind(drop, 0) == 0)
                goto skip;
        env.push_back(entry);
    skip:;
    }
    env.push_back(xcb ? "QT_QPA_PLATFORM=xcb" : "QT_QPA_PLATFORM=offscreen");
    env.push_back("LD_PRELOAD=" VELLORN_PROBE);
    env.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/vellorn-no-bus");
    env.push_back("XDG_CONFIG_HOME=" + QFile::encodeName(root).toStdString() + "/config");
    env.push_back("XDG_DATA_HOME=" + QFile::encodeName(root).toStdString() + "/data");
    // The pictures the program keeps between starts: filled by the warm-up run.
    const QString cache = root + QStringLiteral("/cache");
    env.push_back("XDG_CACHE_HOME=" + QFile::encodeName(cache).toStdString());

    // Each program in a folder of its own: they must not share Config.dat or the store.
    struct Program
    {
        std::string label;
        QString from;
        std::string empty, full;
    };
    std::vector<Program> programs = {{"vellorn", QStringLiteral(VELLORN_PROGRAM), {}, {}}};
    if (!other.isEmpty())
        programs.push_back({"other", other, {}, {}});
    QRandomGenerator rng(2002);
    for (std::size_t p = 0; p < programs.size(); ++p) {
        const QString folder = root + QStringLiteral("/p%1").arg(p);
        programs[p].empty = installCopy(folder + QStringLiteral("/empty"), programs[p].from);
        programs[p].full = installCopy(folder + QStringLiteral("/full"), programs[p].from);
        const QString store = folder + QStringLiteral("/full/MailBox.dat");
        if (p == 0)
            StoreGenerator::writeStore(store, mails, "u", rng);
        else
            QFile::copy(root + QStringLiteral("/p0/full/MailBox.dat"), store);
    }
    const std::string peer = VELLORN_PEER;
    if (prepare) {
        for (const std::string &e : env)
            if (e.rfind("QT_QPA", 0) == 0 || e.rfind("LD_PRE", 0) == 0 || e.rfind("DBUS", 0) == 0 || e.rfind("XDG_", 0) == 0)
                std::printf("export %s\n", e.c_str());
        return 0;
    }

    std::printf("platform %s; peer: QApplication + 700x480 QMainWindow with a status bar line\n",
                xcb ? "xcb" : "offscreen");
    std::printf("%-26s %9s %9s %9s %9s %7s %7s\n", "program, store", "median ms", "min ms", "peer med", "peer min",
                "ratio", "min rat");
    for (const bool full : {false, true}) {
        const std::string store = full ? std::to_string(mails) + " mails" : std::string("empty store");
        // Runs in turn: each program of the list, then the peer; the order turns every round,
        // so that none always follows another.
        std::vector<std::string> runs;
        for (const Program &p : programs)
            runs.push_back(full ? p.full : p.empty);
        runs.push_back(peer);
        // Warm-up: the first start writes Config.dat (and the empty store); page cache.
        for (const std::string &r : runs)
            if (runOnce(r, env, true) < 0) {
                std::printf("%s, %s: did not reach its first paint\n", r.c_str(), store.c_str());
                return 0;
            }
        std::vector<std::vector<double>> times(runs.size());
        for (int i = 0; i < rounds; ++i)
            for (std::size_t k = 0; k < runs.size(); ++k) {
                const std::size_t which = (k + std::size_t(i)) % runs.size();
                const double t = runOnce(runs[which], env);
                if (t < 0) {
                    std::printf("%s, %s: a run did not reach its first paint\n", runs[which].c_str(), store.c_str());
                    return 0;
                }
                times[which].push_back(t);
            }
        const std::vector<double> &theirs = times.back();
        const double pMed = median(theirs), pMin = *std::min_element(theirs.begin(), theirs.end());
        for (std::size_t p = 0; p < programs.size(); ++p) {
            const double mMed = median(times[p]), mMin = *std::min_element(times[p].begin(), times[p].end());
            const std::string label = programs[p].label + ", " + store;
            std::printf("%-26s %9.1f %9.1f %9.1f %9.1f %7.2f %7.2f\n", label.c_str(), mMed, mMin, pMed, pMin,
                        mMed / pMed, mMin / pMin);
        }
    }
    // The start after an update or with the cache deleted: every picture drawn and kept again.
    std::vector<double> cold, coldPeer;
    for (int i = 0; i < std::max(3, rounds / 2); ++i) {
        QDir(cache).removeRecursively();
        const double t = runOnce(programs[0].empty, env);
        const double tp = runOnce(peer, env);
        if (t < 0 || tp < 0)
            break;
        cold.push_back(t);
        coldPeer.push_back(tp);
    }
    if (!cold.empty()) {
        const double mMed = median(cold), mMin = *std::min_element(cold.begin(), cold.end());
        const double pMed = median(coldPeer), pMin = *std::min_element(coldPeer.begin(), coldPeer.end());
        std::printf("%-26s %9.1f %9.1f %9.1f %9.1f %7.2f %7.2f\n", "vellorn, no picture cache", mMed, mMin, pMed,
                    pMin, mMed / pMed, mMin / pMin);
    }
    std::printf("goal: ratio at most 1.4 (with the pictures kept by an earlier start)\n");
    return 0;
}
