// Sends a 20 MB mail to a local aiosmtpd server over loopback with TSMTP and, in the
// same run, the same text to the same server with Python's smtplib: first in cleartext,
// then over STARTTLS (a CA and server certificate made with openssl for the run).
// Prints both times and the most bytes the socket held unsent at once.

#include "bench/smtp/SmtpBenchPeer.h"
#include "mail/TMailMessage.h"
#include "smtp/TSMTP.h"
#include "smtp/TSocketTalk.h"
#include "tests/support/AiosmtpdServer.h"
#include "tests/support/TestCertificates.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A 20 MB single-part mail whose body is base64-like lines of 76 characters.
void fillMessage(TMailMessage &message, std::size_t size)
{
    message.Headers = {"From: <bench@vellorn.test>", "To: <to@x.test>", "Subject: 20 MB",
                       "MIME-Version: 1.0", "Content-Type: application/octet-stream",
                       "Content-Transfer-Encoding: base64"};
    std::string body;
    SmtpBenchPeer::appendBase64Lines(body, size);
    message.EncodedBody = body;
    message.NeedRebuild = false;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Figures
{
    std::vector<double> ours, theirs;
    qint64 peak = 0;
};

// One round: TSMTP, then smtplib, each sending the text once; false after a failure.
bool round(AiosmtpdServer &server, TMailMessage &message, const QString &path, const QString &caFile, int packetSize,
           Figures &figures)
{
    server.clearMails();
    TSMTP smtp;
    smtp.Host = "localhost";
    smtp.Port = server.port();
    smtp.PacketSize = packetSize;
    smtp.MailMessage = &message;
    if (!caFile.isEmpty())
        smtp.TrustedCertificates = QSslCertificate::fromPath(caFile);
    if (!smtp.Connect() || !smtp.Login("bench", "bench")) {
        std::fprintf(stderr, "connect/login failed: %s\n", smtp.LastReply().c_str());
        return false;
    }
    if (smtp.Encrypted() != !caFile.isEmpty()) {
        std::fprintf(stderr, "the session is not in the expected mode\n");
        return false;
    }
    smtp.Talk()->resetPeakBuffered();
    QElapsedTimer clock;
    clock.start();
    const bool ok = smtp.SendMailTo("bench@vellorn.test", "to@x.test");
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (!ok) {
        std::fprintf(stderr, "send failed: %s\n", smtp.LastReply().c_str());
        return false;
    }
    figures.peak = std::max(figures.peak, smtp.Talk()->peakBuffered());
    smtp.Quit();
    figures.ours.push_back(seconds);

    QStringList args{QStringLiteral("-c"), QString::fromLatin1(SmtpBenchPeer::SmtplibScript), QString::number(server.port()), path};
    if (!caFile.isEmpty())
        args << caFile;
    QProcess python;
    python.start(QStringLiteral(VELLORN_PYTHON3), args);
    if (!python.waitForFinished(600000) || python.exitCode() != 0) {
        std::fprintf(stderr, "smtplib failed: %s\n", python.readAllStandardError().constData());
        return false;
    }
    figures.theirs.push_back(python.readAllStandardOutput().trimmed().toDouble());
    // Both clients must deliver the same text; ours carries the Message-ID it sets.
    const QList<AiosmtpdServer::Mail> mails = server.mails();
    bool same = mails.size() == 2;
    if (same) {
        QByteArray withoutId = mails[0].content;
        const qsizetype at = withoutId.indexOf("\r\nMessage-ID: ");
        if (at >= 0)
            withoutId.remove(at, withoutId.indexOf("\r\n", at + 2) - at);
        same = withoutId == mails[1].content;
    }
    std::printf("  TSMTP %.3f s, smtplib %.3f s%s\n", figures.ours.back(), figures.theirs.back(),
                same ? ", same text received" : " (received texts differ!)");
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;

    TestCertificates certs;
    TestCertificates::Issued issued;
    if (!SmtpBenchPeer::issueServerCertificate(certs, issued))
        return 1;

    TMailMessage message;
    fillMessage(message, 20 * 1024 * 1024);
    const std::string text = message.SourceText();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mail.eml"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(text.data(), qint64(text.size())) != qint64(text.size())) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }

    const int packetSize = 102400;
    for (const bool tls : {false, true}) {
        AiosmtpdServer server;
        if (!SmtpBenchPeer::startServer(server, tls, issued))
            return 1;
        const char *mode = tls ? "STARTTLS" : "cleartext";
        std::printf("%s: mail of %zu bytes to aiosmtpd on localhost:%u, %d rounds\n", mode, text.size(), server.port(),
                    rounds);
        Figures figures;
        for (int i = 0; i < rounds; ++i)
            if (!round(server, message, path, tls ? certs.caFile() : QString(), packetSize, figures))
                return 1;
        const double a = median(figures.ours), b = median(figures.theirs);
        std::printf("%s median send (MAIL FROM to the final 250): TSMTP %.3f s (%.1f MB/s), smtplib %.3f s (%.1f MB/s), "
                    "ratio %.2f (goal <= %s)\n",
                    mode, a, double(text.size()) / a / 1e6, b, double(text.size()) / b / 1e6, a / b, tls ? "1.2" : "1.10");
        std::printf("%s socket write buffer: at most %lld bytes unsent = %.2f pieces of %d (goal <= 2)\n", mode,
                    static_cast<long long>(figures.peak), double(figures.peak) / packetSize, packetSize);
    }
    return 0;
}
