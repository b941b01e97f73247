// Writing and reading a message with one large attachment: Rebuild, then LoadFromString
// + ScanParts of the text it wrote, at 20 MB and 40 MB, to show that both grow linearly.
#include "mail/TMailMessage.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <random>
#include <string>

namespace {

double seconds(const QElapsedTimer &t)
{
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

std::string randomBytes(std::size_t n, std::uint32_t seed)
{
    std::mt19937 gen(seed);
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

struct Figures
{
    double attach = 0;  // AttachStream (encodes the file)
    double rebuild = 0; // Rebuild
    double load = 0;    // LoadFromString + ScanParts
    double decode = 0;  // Decode of the attachment, as a reader saving it does
    std::size_t textSize = 0;
    bool ok = false;
};

Figures run(std::size_t size)
{
    Figures f;
    const std::string file = randomBytes(size, static_cast<std::uint32_t>(size));
    const std::string letter = "Dear Bob,\r\n\r\nthe file is attached.\r\n\r\nRen\xe9" "e\r\n";

    TMailMessage m;
    m.Clear();
    m.SetSubject("Large attachment");
    m.SetFrom("Ren\xe9" "e", "renee@example.org");
    m.ToRecipients.SetAll("", "bob@example.net");
    m.SetPlainText(letter);
    QElapsedTimer t;
    t.start();
    m.AttachStream(file, "archive.zip");
    f.attach = seconds(t);
    t.restart();
    m.Rebuild();
    f.rebuild = seconds(t);
    const std::string text = m.SourceText();
    f.textSize = text.size();

    TMailMessage r;
    r.Clear();
    t.restart();
    r.LoadFromString(text);
    r.ScanParts();
    f.load = seconds(t);
    if (r.Attachments.Count() == 1) {
        t.restart();
        r.Attachments[0]->Decode();
        f.decode = seconds(t);
        f.ok = r.Attachments[0]->DecodedBody == file;
    }
    return f;
}

void print(const char *label, const Figures &f)
{
    std::printf("%s: text %.1f MB | AttachStream %.3f s | Rebuild %.3f s | LoadFromString+ScanParts %.3f s | "
                "Decode %.3f s%s\n",
                label, static_cast<double>(f.textSize) / 1e6, f.attach, f.rebuild, f.load, f.decode,
                f.ok ? "" : "  (ATTACHMENT MISMATCH)");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const Figures small = run(20u * 1000u * 1000u);
    print("20 MB", small);
    const Figures large = run(40u * 1000u * 1000u);
    print("40 MB", large);
    std::printf("ratio 40/20: Rebuild %.2f, LoadFromString+ScanParts %.2f, Decode %.2f\n",
                small.rebuild > 0 ? large.rebuild / small.rebuild : 0.0, small.load > 0 ? large.load / small.load : 0.0,
                small.decode > 0 ? large.decode / small.decode : 0.0);
    return 0;
}
