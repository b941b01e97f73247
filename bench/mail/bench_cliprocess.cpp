// `vellorn-cli build` of a mail with a 20 MB attachment and `vellorn-cli dump` of the mail
// it wrote (about 27 MB), as whole processes: peak memory (wait4) against the mail's size.
// `vellorn-cli build` of a mail without the attachment is measured in the same rounds as
// the process that holds no mail to speak of, and the figures are printed both whole and
// less it. `cp` of the same file is the floor
// for reading and writing it.
//
//     mail_bench_cliprocess [ROUNDS] [PATH/TO/vellorn-cli]

#include "bench/mail/ChildUsage.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

bool writeRandomFile(const QString &path, std::size_t size)
{
    std::mt19937 gen(28);
    std::string bytes(size, '\0');
    for (char &c : bytes)
        c = static_cast<char>(gen());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes.data(), qint64(size)) == qint64(size);
}

void print(const char *what, const ChildUsage::Samples &side, const ChildUsage::Samples &idle, double mailMb)
{
    using namespace ChildUsage;
    const double rss = median(side.rss), base = median(idle.rss);
    std::printf("%s: peak RSS median %.1f MB (min %.1f) = %.2f x the mail; less a build of a small mail (%.1f MB): %.2f x "
                "(goal <= 2); CPU median %.3f s (min %.3f)\n",
                what, rss, minimum(side.rss), rss / mailMb, base, (rss - base) / mailMb, median(side.cpu),
                minimum(side.cpu));
}

} // namespace

int main(int argc, char **argv)
{
    ChildUsage::startLauncher();
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const std::string cli = ChildUsage::cliPath(argc, argv, 2);

    QTemporaryDir dir;
    const QString attachment = dir.filePath(QStringLiteral("file.bin"));
    const QString plain = dir.filePath(QStringLiteral("plain.txt"));
    const std::string mail = dir.filePath(QStringLiteral("mail.eml")).toStdString();
    const std::string copy = dir.filePath(QStringLiteral("copy.eml")).toStdString();
    if (!writeRandomFile(attachment, 20 * 1024 * 1024)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(attachment));
        return 1;
    }
    {
        QFile f(plain);
        if (!f.open(QIODevice::WriteOnly) || f.write("A letter with a large file.\n") < 0)
            return 1;
    }
    const std::vector<std::string> build{cli, "build", "-o", mail, "--subject", "20 MB", "--from", "Me <me@vellorn.test>",
                                         "--to", "to@x.test", "--plain", plain.toStdString(), "--attach",
                                         attachment.toStdString()};
    const std::vector<std::string> dump{cli, "dump", mail};
    const std::string small = dir.filePath(QStringLiteral("small.eml")).toStdString();
    std::vector<std::string> idle(build.begin(), build.end() - 2); // without --attach FILE
    idle[3] = small;
    const std::vector<std::string> cp{"/bin/cp", mail, copy};

    ChildUsage::Samples builds, dumps, idles, cps;
    double mailMb = 0;
    for (int i = 0; i < rounds; ++i) {
        const ChildUsage::Usage b = ChildUsage::run(build);
        mailMb = double(QFileInfo(QString::fromStdString(mail)).size()) / 1048576.0;
        const ChildUsage::Usage d = ChildUsage::run(dump);
        const ChildUsage::Usage v = ChildUsage::run(idle);
        const ChildUsage::Usage c = ChildUsage::run(cp);
        if (!b.ok || !d.ok || !v.ok || !c.ok) {
            std::fprintf(stderr, "a command failed (build %d, dump %d, small build %d, cp %d)\n", int(b.ok), int(d.ok),
                         int(v.ok), int(c.ok));
            return 1;
        }
        builds.add(b);
        dumps.add(d);
        idles.add(v);
        cps.add(c);
        std::printf("  round %d: build %.1f MB %.3f s, dump %.1f MB %.3f s, small build %.1f MB, cp %.1f MB\n", i + 1,
                    b.maxRssMb, b.cpu, d.maxRssMb, d.cpu, v.maxRssMb, c.maxRssMb);
    }
    std::printf("vellorn-cli: %s\nmail: %.1f MB (a 20 MB attachment), %d rounds\n", cli.c_str(), mailMb, rounds);
    print("build", builds, idles, mailMb);
    print("dump", dumps, idles, mailMb);
    std::printf("cp of the mail (the floor for reading and writing it): peak RSS median %.1f MB, CPU median %.3f s\n",
                ChildUsage::median(cps.rss), ChildUsage::median(cps.cpu));
    return 0;
}
