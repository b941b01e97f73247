#include "bench/mailbox/StoreGenerator.h"

#include "mailbox/RecordHeader.h"

#include <QFile>
#include <algorithm>
#include <fstream>

namespace StoreGenerator {

namespace {

std::string two(int value)
{
    return (value < 10 ? "0" : "") + std::to_string(value);
}

} // namespace

std::string mailText(int n, std::int64_t size, QRandomGenerator &rng)
{
    std::string m = "From: \"Sender\" <sender@example.org>\r\nTo: \"Recipient " + std::to_string(n)
                    + "\" <r@example.org>\r\nSubject: =?iso-8859-1?Q?Gr=FC=DFe_" + std::to_string(n)
                    + "?=\r\nDate: Mon, " + two(1 + n % 28) + " Dec 2002 " + two(n % 24) + ":" + two(n % 60) + ":30 +0800\r\n"
                      "MIME-Version: 1.0\r\n"
                      "Content-Type: multipart/related; boundary=\"b\"\r\n\r\n--b\r\n"
                      "Content-Type: image/jpeg\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    // Base64-looking lines cut from one random pool at a random line.
    static const std::string pool = [] {
        static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        QRandomGenerator poolRng(76);
        std::string p;
        for (int line = 0; line < 2 * 3500; ++line) {
            for (int i = 0; i < 76; ++i)
                p += alphabet[poolRng.bounded(64)];
            p += "\r\n";
        }
        return p;
    }();
    const size_t start = size_t(rng.bounded(3500)) * 78;
    m.append(pool, start, size_t(std::max<std::int64_t>(0, size - std::int64_t(m.size()))));
    m.resize(size_t(size));
    return m;
}

std::vector<std::int64_t> writeStore(const QString &path, int mails, const std::string &boxCodes,
                                     QRandomGenerator &rng)
{
    std::vector<std::int64_t> positions;
    std::ofstream out(QFile::encodeName(path).constData(), std::ios::binary);
    out << std::string(100, 'H');
    std::int64_t at = 100;
    for (int i = 0; i < mails; ++i) {
        const std::string text = mailText(i, MinMail + std::int64_t(rng.bounded(quint64(MaxMail - MinMail + 1))), rng);
        char header[RecordHeader::Size];
        RecordHeader::encode(header, std::int32_t(text.size()), boxCodes[size_t(i) % boxCodes.size()], i % 2 ? 'Y' : 'N');
        out.write(header, RecordHeader::Size);
        out.write(text.data(), std::streamsize(text.size()));
        positions.push_back(at);
        at += RecordHeader::Size + std::int64_t(text.size());
    }
    return positions;
}

} // namespace StoreGenerator
