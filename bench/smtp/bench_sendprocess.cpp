// `vellorn-cli send` beside a Python smtplib script, as whole processes sending the same
// 20 MB mail file to the same local aiosmtpd server, in cleartext and over STARTTLS:
// CPU time (user + system) and peak memory of each, read with wait4. The rounds are
// interleaved (ours, then theirs, per mode) so that a busy machine weighs on both alike.
// Each side also sends a mail of a few hundred bytes in the same rounds: the process with
// no mail to speak of (its libraries, TLS, the interpreter). The figures are printed both
// whole and less that baseline.
//
//     smtp_bench_sendprocess [ROUNDS] [PATH/TO/vellorn-cli]

#include "bench/mail/ChildUsage.h"
#include "bench/smtp/SmtpBenchPeer.h"
#include "tests/support/AiosmtpdServer.h"
#include "tests/support/TestCertificates.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

// A mail as `build` writes one: a short text and a 20 MB attachment in base64 lines.
std::string mailText(std::size_t size)
{
    std::string text = "From: <bench@vellorn.test>\r\nTo: <to@x.test>\r\nSubject: 20 MB\r\nMime-Version: 1.0\r\n"
                       "Content-Type: multipart/mixed; boundary=\"b_mixed\"\r\n\r\n"
                       "This is a multipart message in mime format.\r\n\r\n--b_mixed\r\n"
                       "Content-Type: text/plain; charset=\"iso-8859-1\"\r\nContent-Transfer-Encoding: quoted-printable\r\n"
                       "\r\nThe file.\r\n.A line with a dot.\r\n\r\n--b_mixed\r\n"
                       "Content-Type: application/octet-stream; name=\"file.bin\"\r\n"
                       "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=\"file.bin\"\r\n\r\n";
    SmtpBenchPeer::appendBase64Lines(text, size);
    text += "\r\n--b_mixed--\r\n";
    return text;
}

void print(const char *mode, const char *what, const ChildUsage::Samples &ours, const ChildUsage::Samples &theirs, const ChildUsage::Samples &ourBase,
           const ChildUsage::Samples &theirBase, double mailMb)
{
    using namespace ChildUsage;
    const double oc = median(ours.cpu), tc = median(theirs.cpu);
    const double ob = median(ourBase.cpu), tb = median(theirBase.cpu);
    std::printf("%s %s CPU (user+sys): vellorn-cli median %.3f s (min %.3f), smtplib median %.3f s (min %.3f); "
                "ratio of medians %.2f, of minimums %.2f (goal <= 1.3)\n",
                mode, what, oc, minimum(ours.cpu), tc, minimum(theirs.cpu), oc / tc, minimum(ours.cpu) / minimum(theirs.cpu));
    std::printf("%s %s CPU less a send of a small mail (%.3f s / %.3f s): %.3f s against %.3f s, ratio %.2f\n", mode, what,
                ob, tb, oc - ob, tc - tb, (oc - ob) / (tc - tb));
    const double orss = median(ours.rss), trss = median(theirs.rss);
    const double obr = median(ourBase.rss), tbr = median(theirBase.rss);
    std::printf("%s %s peak RSS: vellorn-cli %.1f MB = %.2f x the mail, smtplib %.1f MB = %.2f x (goal <= 2)\n", mode,
                what, orss, orss / mailMb, trss, trss / mailMb);
    std::printf("%s %s peak RSS less a send of a small mail (%.1f MB / %.1f MB): vellorn-cli %.2f x, smtplib %.2f x\n", mode,
                what, obr, tbr, (orss - obr) / mailMb, (trss - tbr) / mailMb);
}

} // namespace

int main(int argc, char **argv)
{
    ChildUsage::startLauncher();
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const std::string cli = ChildUsage::cliPath(argc, argv, 2);
    const std::string python = VELLORN_PYTHON3;

    TestCertificates certs;
    TestCertificates::Issued issued;
    if (!SmtpBenchPeer::issueServerCertificate(certs, issued))
        return 1;

    const std::string text = mailText(20 * 1024 * 1024);
    const double mailMb = double(text.size()) / 1048576.0;
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("mail.eml")).toStdString();
    const std::string smallPath = dir.filePath(QStringLiteral("small.eml")).toStdString();
    for (const auto &[file, bytes] : {std::pair{path, text}, std::pair{smallPath, mailText(200)}}) {
        QFile f(QString::fromStdString(file));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
            std::fprintf(stderr, "cannot write %s\n", file.c_str());
            return 1;
        }
    }
    std::printf("vellorn-cli: %s\nmail: %zu bytes (%.1f MB), %d interleaved rounds per mode\n", cli.c_str(), text.size(),
                mailMb, rounds);

    for (const bool tls : {false, true}) {
        AiosmtpdServer server;
        if (!SmtpBenchPeer::startServer(server, tls, issued))
            return 1;
        const std::string port = std::to_string(server.port());
        std::vector<std::string> ours{cli, "send", path, "--host", "localhost", "--port", port, "--user", "bench",
                                      "--pass", "bench", "--security", tls ? "starttls" : "none"};
        std::vector<std::string> theirs{python, "-c", SmtpBenchPeer::SmtplibScript, port, path};
        if (tls) {
            ours.insert(ours.end(), {"--ca-file", certs.caFile().toStdString()});
            theirs.push_back(certs.caFile().toStdString());
        }
        std::vector<std::string> ourIdle = ours, theirIdle = theirs;
        ourIdle[2] = smallPath;
        theirIdle[4] = smallPath;
        ChildUsage::Samples a, b, aIdle, bIdle;
        for (int i = 0; i < rounds; ++i) {
            server.clearMails();
            const ChildUsage::Usage u = ChildUsage::run(ours);
            const ChildUsage::Usage v = ChildUsage::run(theirs);
            const ChildUsage::Usage ui = ChildUsage::run(ourIdle);
            const ChildUsage::Usage vi = ChildUsage::run(theirIdle);
            if (!u.ok || !v.ok || !ui.ok || !vi.ok || server.mails().size() != 4) {
                std::fprintf(stderr, "a send failed (vellorn-cli %d, smtplib %d, mails received %lld)\n", int(u.ok),
                             int(v.ok), static_cast<long long>(server.mails().size()));
                return 1;
            }
            a.add(u);
            b.add(v);
            aIdle.add(ui);
            bIdle.add(vi);
            std::printf("  %s round %d: vellorn-cli %.3f s %.1f MB, smtplib %.3f s %.1f MB\n", tls ? "STARTTLS" : "cleartext",
                        i + 1, u.cpu, u.maxRssMb, v.cpu, v.maxRssMb);
        }
        print(tls ? "STARTTLS" : "cleartext", "send", a, b, aIdle, bIdle, mailMb);
    }
    return 0;
}
