#pragma once

// What the SMTP benches share: the Python smtplib script they measure ours against, and
// the base64-like lines of their large mails.

#include "tests/support/AiosmtpdServer.h"
#include "tests/support/TestCertificates.h"

#include <cstddef>
#include <cstdio>
#include <string>

namespace SmtpBenchPeer {

// python3 -c SCRIPT PORT FILE [CA-FILE]: sends FILE as it is (over STARTTLS when a CA file
// is given), logged in as bench/bench, and prints the seconds of sendmail alone.
inline const char *SmtplibScript = R"(
import smtplib, ssl, sys, time
port, path = int(sys.argv[1]), sys.argv[2]
data = open(path, 'rb').read()
s = smtplib.SMTP('localhost', port)
s.ehlo('bench')
if len(sys.argv) > 3:
    s.starttls(context=ssl.create_default_context(cafile=sys.argv[3]))
    s.ehlo('bench')
s.login('bench', 'bench')
t = time.perf_counter()
s.sendmail('bench@vellorn.test', ['to@x.test'], data)
print('%.6f' % (time.perf_counter() - t))
s.quit()
)";

// Lines of 76 base64 characters and CR LF appended to `text` until it holds `size` bytes
// or a little more; the same lines for the same size every time.
inline void appendBase64Lines(std::string &text, std::size_t size)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    text.reserve(size + 80);
    unsigned state = 1;
    while (text.size() < size) {
        for (int i = 0; i < 76; ++i) {
            state = state * 1103515245u + 12345u;
            text += alphabet[(state >> 16) & 63];
        }
        text += "\r\n";
    }
}

// A CA and a certificate for "localhost" made for the run; false, with the reason on
// stderr, when openssl cannot make them.
inline bool issueServerCertificate(TestCertificates &certs, TestCertificates::Issued &issued)
{
    if (!certs.create()) {
        std::fprintf(stderr, "cannot make the test certificates: %s\n", qPrintable(certs.errorString()));
        return false;
    }
    issued = certs.issue(QStringLiteral("server"), {QStringLiteral("DNS:localhost")});
    if (!issued.valid()) {
        std::fprintf(stderr, "cannot make the server certificate: %s\n", qPrintable(certs.errorString()));
        return false;
    }
    return true;
}

// The aiosmtpd sink the benches send to, logged in as bench/bench, over STARTTLS with the
// run's certificate when `tls`; false, with the reason on stderr, when it does not start.
inline bool startServer(AiosmtpdServer &server, bool tls, const TestCertificates::Issued &issued)
{
    server.setPaths(QStringLiteral(VELLORN_PYTHON3), QStringLiteral(VELLORN_SOURCE_DIR "/tests/support/smtp_sink.py"));
    server.setLogin("bench", "bench");
    if (tls)
        server.setTls(issued.certificate, issued.key);
    if (!server.start()) {
        std::fprintf(stderr, "cannot start the SMTP server: %s\n", qPrintable(server.errorString()));
        return false;
    }
    return true;
}

} // namespace SmtpBenchPeer
