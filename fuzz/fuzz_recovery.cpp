// A composer's recovery copy as the program reads it at start, however damaged; and a copy
// made of the input's bytes, written and read back. What is read writes a copy that reads
// back the same, and size() is exactly what write() produces (the size guard relies on it).
// The first byte chooses: 0, the rest is a copy's file; else the rest are the fields.
#include "fuzz/FuzzSupport.h"

#include "composer/RecoveryCopy.h"
#include "os/AppError.h"

#include <QByteArray>

namespace {

void requireSame(const RecoveryCopy &a, const RecoveryCopy &b)
{
    bool same = a.stamp == b.stamp && a.mode == b.mode && a.boxCode == b.boxCode && a.recordPos == b.recordPos
                && a.replacedDigest == b.replacedDigest && a.letter == b.letter && a.subject == b.subject
                && a.to == b.to && a.cc == b.cc && a.bcc == b.bcc && a.attachments.size() == b.attachments.size();
    for (std::size_t i = 0; same && i < a.attachments.size(); ++i)
        same = a.attachments[i].caption == b.attachments[i].caption && a.attachments[i].stream == b.attachments[i].stream
               && (a.attachments[i].stream ? a.attachments[i].bytes == b.attachments[i].bytes
                                            : a.attachments[i].path == b.attachments[i].path);
    FuzzSupport::require(same, "a recovery copy written reads back the same");
}

void writeAndRead(const RecoveryCopy &copy)
{
    const QByteArray written = copy.write();
    FuzzSupport::require(copy.size() == written.size(), "size() is the size of what write() produces");
    RecoveryCopy back;
    try {
        back = RecoveryCopy::read(written);
    } catch (const AppError &) {
        FuzzSupport::require(false, "a recovery copy written can be read");
    }
    requireSame(copy, back);
    FuzzSupport::require(back.write() == written, "a copy read back writes the same bytes");
}

// A copy whose fields are cut out of the bytes at every zero byte.
RecoveryCopy madeOf(std::string_view bytes)
{
    std::vector<QByteArray> parts;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        const std::size_t zero = std::min(bytes.find('\0', start), bytes.size());
        parts.emplace_back(bytes.data() + start, qsizetype(zero - start));
        start = zero + 1;
    }
    const auto part = [&](std::size_t i) { return i < parts.size() ? parts[i] : QByteArray(); };
    RecoveryCopy copy;
    copy.stamp = part(0).size();
    copy.mode = part(0).size() % 2 ? ComposeMode::Modify : ComposeMode::New;
    copy.recordPos = part(1).size();
    copy.replacedDigest = part(1);
    copy.letter = part(2).toStdString();
    copy.subject = QString::fromUtf8(part(3));
    copy.to = QString::fromUtf8(part(4));
    for (std::size_t i = 5; i + 1 < parts.size(); i += 2) {
        const bool stream = parts[i].size() % 2 == 0;
        copy.attachments.push_back({QString::fromUtf8(parts[i]), stream ? QString() : QString::fromUtf8(parts[i + 1]),
                                    stream ? parts[i + 1] : QByteArray(), stream});
    }
    return copy;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view rest = FuzzSupport::bytes(data + 1, size - 1);
    if (data[0] != 0) {
        writeAndRead(madeOf(rest));
        return 0;
    }
    (void)RecoveryCopy::stampOf(QByteArray(rest.data(), qsizetype(rest.size())));
    RecoveryCopy copy;
    try {
        copy = RecoveryCopy::read(QByteArray(rest.data(), qsizetype(rest.size())));
    } catch (const AppError &) {
        return 0; // damage is reported, not read
    }
    writeAndRead(copy);
    return 0;
}
