// Throughput of the transfer encodings: base64 of 20 MB of random bytes beside the
// coreutils base64 command on the same data, and quoted-printable of 10 MB of text.
#include "mail/Base64.h"
#include "mail/Base64Decoder.h"
#include "mail/QuotedPrintable.h"
#include "mail/StringHelpers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <random>
#include <string>

namespace {

constexpr int kRuns = 3;

// Best wall time of a few runs, in seconds.
double bestOf(const std::function<void()> &work)
{
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        const double s = static_cast<double>(t.nsecsElapsed()) / 1e9;
        if (s < best)
            best = s;
    }
    return best;
}

void report(const char *what, std::size_t bytes, double seconds)
{
    std::printf("%-44s %8.1f MB/s  (%.3f s for %.1f MB)\n", what, static_cast<double>(bytes) / 1e6 / seconds, seconds,
                static_cast<double>(bytes) / 1e6);
}

bool writeFile(const QString &path, const std::string &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly)
        && f.write(data.data(), static_cast<qint64>(data.size())) == static_cast<qint64>(data.size());
}

// Runs "base64 ARGS" with stdin/stdout redirected to files; -1 on failure.
double timeCoreutils(const QStringList &args, const QString &in, const QString &out)
{
    return bestOf([&] {
        QProcess p;
        p.setStandardInputFile(in);
        p.setStandardOutputFile(out);
        p.start(QStringLiteral("base64"), args);
        if (!p.waitForFinished(120000) || p.exitCode() != 0)
            std::fprintf(stderr, "base64 %s failed\n", qPrintable(args.join(' ')));
    });
}

std::string randomBytes(std::size_t n)
{
    std::mt19937 gen(12345);
    std::string s(n, '\0');
    for (std::size_t i = 0; i + 4 <= n; i += 4) {
        const std::uint32_t v = gen();
        s[i] = static_cast<char>(v);
        s[i + 1] = static_cast<char>(v >> 8);
        s[i + 2] = static_cast<char>(v >> 16);
        s[i + 3] = static_cast<char>(v >> 24);
    }
    return s;
}

// Letter-like text: words, spaces, some 8-bit characters, CR LF lines of varied length.
std::string sampleText(std::size_t n)
{
    static const char *const words[] = {"Dear",  "friend", "the",     "letter", "caf\xe9", "na\xefve", "and",
                                        "pages", "with",   "pictures", "=",     "r\xe9sum\xe9", "mail", "send"};
    std::mt19937 gen(777);
    std::string s;
    s.reserve(n + 64);
    int column = 0;
    while (s.size() < n) {
        const char *w = words[gen() % (sizeof words / sizeof *words)];
        s += w;
        column += static_cast<int>(std::char_traits<char>::length(w));
        if (column > 40 + static_cast<int>(gen() % 60)) {
            s += "\r\n";
            column = 0;
        } else {
            s += ' ';
            ++column;
        }
    }
    s.resize(n);
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const std::size_t base64Size = 20u * 1000u * 1000u;
    const std::size_t qpSize = 10u * 1000u * 1000u;

    std::printf("Base64 of %.0f MB of random bytes (best of %d runs)\n", static_cast<double>(base64Size) / 1e6, kRuns);
    const std::string data = randomBytes(base64Size);
    std::string encoded;
    const double enc = bestOf([&] { Base64EncodeStream(data, encoded); });
    report("Base64EncodeStream", data.size(), enc);

    std::string decoded;
    const double dec = bestOf([&] {
        decoded.clear();
        decoded.reserve(encoded.size() / 4 * 3);
        int position = 1;
        while (position >= 0)
            Base64DecodeLineAppend(NextLineView(encoded, position), decoded);
    });
    report("Base64DecodeLineAppend, line by line", data.size(), dec);
    if (decoded != data)
        std::printf("  MISMATCH after decoding\n");

    const double decCopy = bestOf([&] {
        decoded.clear();
        int position = 1;
        while (position >= 0)
            decoded += Base64DecodeLine(TrimBlanks(NextLine(encoded, position)));
    });
    report("NextLine+TrimBlanks+Base64DecodeLine", data.size(), decCopy);
    if (decoded != data)
        std::printf("  MISMATCH after decoding\n");

    // A whole body as a part decodes it: one stream, line breaks skipped.
    const double decText = bestOf([&] { Base64DecodeText(encoded, decoded); });
    report("Base64DecodeText, whole body", data.size(), decText);
    if (decoded != data)
        std::printf("  MISMATCH after decoding\n");

    QTemporaryDir dir;
    const QString raw = dir.filePath(QStringLiteral("raw.bin"));
    const QString b64 = dir.filePath(QStringLiteral("raw.b64"));
    const QString back = dir.filePath(QStringLiteral("back.bin"));
    if (dir.isValid() && writeFile(raw, data)) {
        const double ce = timeCoreutils({QStringLiteral("-w"), QStringLiteral("76")}, raw, b64);
        report("coreutils base64 -w 76 (file to file)", data.size(), ce);
        const double cd = timeCoreutils({QStringLiteral("-d")}, b64, back);
        report("coreutils base64 -d (file to file)", data.size(), cd);
        std::printf("ratio encode ours/coreutils speed: %.2f, decode: %.2f\n", ce / enc, cd / dec);
    } else {
        std::printf("coreutils comparison skipped: no temporary folder\n");
    }

    std::printf("\nQuoted-printable of %.0f MB of text\n", static_cast<double>(qpSize) / 1e6);
    const std::string text = sampleText(qpSize);
    std::string qp;
    const double qpe = bestOf([&] { qp = QPEncode(text, false); });
    report("QPEncode (body mode)", text.size(), qpe);
    std::string plain;
    const double qpd = bestOf([&] { plain = QPDecode(qp); });
    report("QPDecode", text.size(), qpd);
    if (plain != text)
        std::printf("  MISMATCH after decoding\n");
    std::printf("(encoded text %.1f MB)\n", static_cast<double>(qp.size()) / 1e6);
    return 0;
}
