#include "composer/RecoveryCopy.h"

#include "mailbox/BoxTable.h"
#include "os/AppError.h"

#include <QCryptographicHash>
#include <QList>

namespace {

const QByteArray kMagic = QByteArrayLiteral("VELLORN-RECOVERY 1 ");

void putField(QByteArray &out, const char *name, const QByteArray &value)
{
    out += name;
    out += ' ';
    out += QByteArray::number(value.size());
    out += '\n';
    out += value;
    out += '\n';
}

// Reads the fields one after another; every length is checked against what is left.
class FieldReader
{
public:
    explicit FieldReader(const QByteArray &bytes, qsizetype from)
        : m_bytes(bytes)
        , m_at(from)
    {
    }

    bool atEnd() const { return m_at >= m_bytes.size(); }
    qsizetype position() const { return m_at; }

    // The next field's name and value; throws when the frame is broken.
    void next(QByteArray &name, QByteArray &value)
    {
        const qsizetype eol = m_bytes.indexOf('\n', m_at);
        if (eol < 0 || eol - m_at > 64)
            throw AppError("the copy is cut short");
        const QByteArray line = m_bytes.mid(m_at, eol - m_at);
        const qsizetype space = line.indexOf(' ');
        bool ok = false;
        const qint64 length = space > 0 ? line.mid(space + 1).toLongLong(&ok) : -1;
        if (!ok || length < 0)
            throw AppError("a field of the copy is damaged");
        const qsizetype start = eol + 1;
        if (length > m_bytes.size() - start - 1)
            throw AppError("the copy is cut short");
        if (m_bytes.at(start + qsizetype(length)) != '\n')
            throw AppError("a field of the copy is damaged");
        name = line.left(space);
        value = m_bytes.mid(start, qsizetype(length));
        m_at = start + qsizetype(length) + 1;
    }

private:
    const QByteArray &m_bytes;
    qsizetype m_at;
};

QByteArray text(const QString &s)
{
    return s.toUtf8();
}

QString fromText(const QByteArray &b)
{
    return QString::fromUtf8(b);
}

// One of the three boxes; the unsent box for anything else.
BoxCode boxOfField(const QByteArray &value)
{
    const std::optional<BoxCode> box = value.size() == 1 ? BoxTable::fromByte(value[0]) : std::nullopt;
    return box && BoxTable::selectorItem(*box) >= 0 ? *box : BoxCode::Unsent;
}

} // namespace

QByteArray RecoveryCopy::write() const
{
    QByteArray fields;
    putField(fields, "mode", mode == ComposeMode::Modify ? "Modify" : "New");
    putField(fields, "box", QByteArray(1, BoxTable::byte(boxCode)));
    putField(fields, "record", QByteArray::number(qint64(recordPos)));
    putField(fields, "replaces", replacedDigest);
    putField(fields, "subject", text(subject));
    putField(fields, "to", text(to));
    putField(fields, "cc", text(cc));
    putField(fields, "bcc", text(bcc));
    putField(fields, "letter", QByteArray(letter.data(), qsizetype(letter.size())));
    for (const Attachment &a : attachments) {
        putField(fields, "attachment", text(a.caption));
        if (a.stream)
            putField(fields, "stream", a.bytes);
        else
            putField(fields, "file", text(a.path));
    }
    QByteArray out = kMagic + QByteArray::number(qint64(stamp)) + '\n';
    out += fields;
    putField(out, "end", QCryptographicHash::hash(fields, QCryptographicHash::Sha256).toHex());
    return out;
}

std::int64_t RecoveryCopy::size() const
{
    // Only the letter and the attachments' bytes can be large: the rest is written without
    // them, and each of them adds its bytes and the digits its length has beyond the one
    // digit of the empty field's "0".
    const auto grows = [](std::int64_t bytes) {
        return bytes + QByteArray::number(qint64(bytes)).size() - 1;
    };
    RecoveryCopy small = *this;
    small.letter.clear();
    std::int64_t total = grows(std::int64_t(letter.size()));
    for (Attachment &a : small.attachments) {
        if (a.stream)
            total += grows(a.bytes.size());
        a.bytes.clear();
    }
    return total + small.write().size();
}

std::int64_t RecoveryCopy::stampOf(const QByteArray &firstBytes)
{
    if (!firstBytes.startsWith(kMagic))
        return -1;
    const qsizetype eol = firstBytes.indexOf('\n');
    if (eol < 0)
        return -1;
    bool ok = false;
    const qint64 stamp = firstBytes.mid(kMagic.size(), eol - kMagic.size()).toLongLong(&ok);
    return ok && stamp >= 0 ? stamp : -1;
}

RecoveryCopy RecoveryCopy::read(const QByteArray &bytes)
{
    if (bytes.size() > MaxBytes)
        throw AppError("the copy is larger than a copy can be");
    RecoveryCopy copy;
    copy.stamp = stampOf(bytes.left(kMagic.size() + 24));
    if (copy.stamp < 0)
        throw AppError("the file is not a recovery copy");
    FieldReader reader(bytes, bytes.indexOf('\n') + 1);
    const qsizetype fieldsStart = reader.position();
    QByteArray name, value;
    Attachment *pending = nullptr; // an attachment whose source field comes next
    while (true) {
        if (reader.atEnd())
            throw AppError("the copy is cut short");
        const qsizetype fieldStart = reader.position();
        reader.next(name, value);
        if (name == "end") {
            const QByteArray fields = bytes.mid(fieldsStart, fieldStart - fieldsStart);
            if (value != QCryptographicHash::hash(fields, QCryptographicHash::Sha256).toHex())
                throw AppError("the copy is damaged (its checksum does not match)");
            if (pending || !reader.atEnd())
                throw AppError("the copy is damaged");
            return copy;
        }
        if (pending && name != "stream" && name != "file")
            throw AppError("an attachment of the copy is damaged");
        if (name == "mode")
            copy.mode = value == "Modify" ? ComposeMode::Modify : ComposeMode::New;
        else if (name == "box")
            copy.boxCode = boxOfField(value);
        else if (name == "record")
            copy.recordPos = std::max<qint64>(0, value.toLongLong());
        else if (name == "replaces")
            copy.replacedDigest = value;
        else if (name == "subject")
            copy.subject = fromText(value);
        else if (name == "to")
            copy.to = fromText(value);
        else if (name == "cc")
            copy.cc = fromText(value);
        else if (name == "bcc")
            copy.bcc = fromText(value);
        else if (name == "letter")
            copy.letter.assign(value.constData(), std::size_t(value.size()));
        else if (name == "attachment") {
            copy.attachments.push_back({fromText(value), {}, {}, false});
            pending = &copy.attachments.back();
        } else if (name == "stream") {
            if (!pending)
                throw AppError("an attachment of the copy is damaged");
            pending->bytes = value;
            pending->stream = true;
            pending = nullptr;
        } else if (name == "file") {
            if (!pending)
                throw AppError("an attachment of the copy is damaged");
            pending->path = fromText(value);
            pending = nullptr;
        }
        // Unknown fields belong to a later version and are passed over.
    }
}
